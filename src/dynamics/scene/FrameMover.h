#pragma once
// Carries points of one instance's body frame (the source) into another's
// (the target): out into the world, the difference to the target's centre
// folded to its nearest periodic image point by point, and into the target's
// frame through its stored inverse rotation. This is the source point's
// fromInternal followed by toInternal with the target's frame and
// compartment, with the two centres' difference folded once for all points.
#include <algorithm>

#include "utils/geometry/OBJECT3D.h"
#include "utils/geometry/PeriodicDistance.h"

class FrameMover {
public:
    FrameMover(const OBJECT3D& source, const OBJECT3D& target, const COMPARTMENT* compartment)
        : source_(source),
          target_(target),
          periodic_(compartment != nullptr && compartment->type == 0 ? compartment : nullptr),
          offset_{getAxisDelta(source.x - target.x, AXIS::x, compartment),
                  getAxisDelta(source.y - target.y, AXIS::y, compartment),
                  getAxisDelta(source.z - target.z, AXIS::z, compartment)} {}

    POINT3D move(const POINT3D& body) const {
        POINT3D d = body.fromInternalRotateOnly(source_) + offset_;
        if (periodic_ != nullptr) {
            d.x = geometry_detail::fold_delta(d.x, periodic_->halfsize.x, periodic_->size.x);
            d.y = geometry_detail::fold_delta(d.y, periodic_->halfsize.y, periodic_->size.y);
            d.z = geometry_detail::fold_delta(d.z, periodic_->halfsize.z, periodic_->size.z);
        }
        return d.toInternalRotateOnly(target_);
    }

private:
    const OBJECT3D& source_;
    const OBJECT3D& target_;
    const COMPARTMENT* periodic_;
    POINT3D offset_;  // source centre − target centre, folded
};

// A cheap test in the source's own frame, before a point is moved: a source
// element (centre b, radius r) can touch the target only if it comes within
// the target's reach (the largest distance of any target element's surface
// from the target's centre) plus r of the target's centre. The test is
// skipped in a periodic box narrower than the two reaches together, where a
// point's nearest image of the target may differ from the centre's.
class ReachFilter {
public:
    ReachFilter(const OBJECT3D& source, const OBJECT3D& target, const COMPARTMENT* compartment, double source_reach,
                double target_reach)
        : target_centre_(POINT3D{target.x, target.y, target.z}.toInternal(source, compartment)),
          target_reach_(target_reach) {
        if (compartment != nullptr && compartment->type == 0) {
            const double narrowest =
                std::min({compartment->halfsize.x, compartment->halfsize.y, compartment->halfsize.z});
            active_ = narrowest >= source_reach + target_reach;
        }
    }

    // Whether the element cannot touch any target element.
    bool out_of_reach(const POINT3D& body, double r) const {
        if (!active_) return false;
        const POINT3D d = body - target_centre_;
        // A margin for the rounding of rotations that are orthonormal only
        // to a few parts in a million.
        const double limit = (target_reach_ + r) * (1.0 + tolerance);
        return d.x * d.x + d.y * d.y + d.z * d.z >= limit * limit;
    }

private:
    static constexpr double tolerance = 1e-4;
    POINT3D target_centre_;
    double target_reach_;
    bool active_ = true;
};

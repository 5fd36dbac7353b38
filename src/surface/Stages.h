#pragma once
// The surface stages as the run drives them. The run calls them through this
// interface so that its restart scheme can be exercised with stages that fail
// on purpose.
#include "surface/RunState.h"

namespace velmesh {

class SurfaceStages {
public:
    virtual ~SurfaceStages() = default;
    // 1 on success, negative for a failure worth a restart, 0 for a fatal one.
    virtual int reduced_surface(RunState& run) = 0;
    // The SES of one reduced-surface component; the number of problems met.
    virtual int solvent_excluded_surface(RunState& run, RS_component& component) = 0;
    // The analytical areas of every SES component.
    virtual void analytical_areas(RunState& run) = 0;
    // The triangulation of one SES component; the number of faces with problems.
    virtual int triangulate(RunState& run, SES_component& component) = 0;
};

// The program's own stages.
class VelmeshStages final : public SurfaceStages {
public:
    int reduced_surface(RunState& run) override;
    int solvent_excluded_surface(RunState& run, RS_component& component) override;
    void analytical_areas(RunState& run) override;
    int triangulate(RunState& run, SES_component& component) override;
};

}  // namespace velmesh

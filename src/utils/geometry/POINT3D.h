#pragma once
// A point or vector in three dimensions, in metres.
#include <type_traits>

struct OBJECT3D;
struct COMPARTMENT;

struct POINT3D {
    double x;
    double y;
    double z;

    POINT3D& operator*=(double f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    POINT3D& operator/=(double f) {
        x /= f;
        y /= f;
        z /= f;
        return *this;
    }
    POINT3D& operator+=(const POINT3D& p) {
        x += p.x;
        y += p.y;
        z += p.z;
        return *this;
    }
    POINT3D& operator-=(const POINT3D& p) {
        x -= p.x;
        y -= p.y;
        z -= p.z;
        return *this;
    }
    POINT3D operator*(double f) const { return {x * f, y * f, z * f}; }
    POINT3D operator/(double f) const { return {x / f, y / f, z / f}; }
    POINT3D operator+(const POINT3D& p) const { return {x + p.x, y + p.y, z + p.z}; }
    POINT3D operator-(const POINT3D& p) const { return {x - p.x, y - p.y, z - p.z}; }

    // Body frame to world and back (defined in OBJECT3D.h): world =
    // rotᵀ · body + centre; body = rot_invᵀ · (world − centre), with the
    // difference folded by the minimum-image rule of `c` (null: open space).
    POINT3D fromInternal(const OBJECT3D& o) const;
    POINT3D fromInternalRotateOnly(const OBJECT3D& o) const;
    POINT3D toInternal(const OBJECT3D& o, const COMPARTMENT* c) const;
    POINT3D toInternalRotateOnly(const OBJECT3D& o) const;

    // Wraps this point into a periodic box, in place (defined in
    // COMPARTMENT.h). Other boxes leave it unchanged.
    void translate2bounds(const COMPARTMENT& c);
};

static_assert(std::is_trivially_copyable_v<POINT3D> && sizeof(POINT3D) == 24, "POINT3D is a restart record");

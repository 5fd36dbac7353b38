#pragma once
// A point or direction of the viewer's scenes: x, y, z, ångström.
#include <istream>

class CVector {
public:
    double x = 0;
    double y = 0;
    double z = 0;

    CVector() = default;
    CVector(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    CVector(const CVector&) = default;
    CVector& operator=(const CVector&) = default;
    virtual ~CVector() = default;

    double length() const;
    // This vector divided by its length; the zero vector when the length is 0.
    CVector normalized() const;
    CVector operator/(double divisor) const { return {x / divisor, y / divisor, z / divisor}; }
    // The vector from this point to `b` (b − this).
    CVector to(const CVector& b) const { return {b.x - x, b.y - y, b.z - z}; }

    bool operator==(const CVector& other) const { return x == other.x && y == other.y && z == other.z; }
};

// a × b.
CVector cross(const CVector& a, const CVector& b);

// Three numbers in the stream's own locale; the vector is zeroed first, so
// numbers that are missing leave 0.
std::istream& operator>>(std::istream& in, CVector& v);

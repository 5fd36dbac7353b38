#include "visualization/CVector.h"

#include <cmath>

double CVector::length() const { return std::sqrt(x * x + y * y + z * z); }

CVector CVector::normalized() const {
    const double l = length();
    if (l == 0) return {};
    return *this / l;
}

CVector cross(const CVector& a, const CVector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

std::istream& operator>>(std::istream& in, CVector& v) {
    v = CVector{};
    return in >> v.x >> v.y >> v.z;
}

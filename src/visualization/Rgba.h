#pragma once
// A colour with its opacity, each component in [0, 1].
struct Rgba {
    double c[4] = {1.0, 1.0, 1.0, 1.0};  // red, green, blue, alpha

    bool operator==(const Rgba&) const = default;
};

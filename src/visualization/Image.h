#pragma once
// A picture read back from a rendering: 8-bit red, green, blue per pixel,
// rows from the top of the picture down.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width × height × 3 bytes

    std::array<std::uint8_t, 3> at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

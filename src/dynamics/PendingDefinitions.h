#pragma once
// TEMPORARY: stands in for the trajectory format header until it is merged.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace trajectory {
inline constexpr std::size_t step_bytes = 8;
constexpr std::uint64_t frame_size(std::uint64_t instances) { return step_bytes + 101 * instances; }
inline std::int64_t decode_step(const unsigned char* bytes) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | bytes[i];
    std::int64_t s;
    std::memcpy(&s, &v, 8);
    return s;
}
}  // namespace trajectory

#pragma once
// Fixed-width numbers as little-endian bytes, whatever the host's order:
// binary files are written and read field by field through these.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace little_endian {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559, "doubles are IEEE 754 binary64");

template <class Unsigned>
    requires std::is_unsigned_v<Unsigned>
void store(Unsigned value, unsigned char* bytes) {
    for (std::size_t k = 0; k < sizeof(Unsigned); ++k) bytes[k] = static_cast<unsigned char>(value >> (8 * k));
}

template <class Unsigned>
    requires std::is_unsigned_v<Unsigned>
Unsigned load(const unsigned char* bytes) {
    Unsigned value = 0;
    for (std::size_t k = 0; k < sizeof(Unsigned); ++k)
        value |= static_cast<Unsigned>(static_cast<Unsigned>(bytes[k]) << (8 * k));
    return value;
}

inline void store_i32(std::int32_t value, unsigned char* bytes) { store(static_cast<std::uint32_t>(value), bytes); }
inline void store_i64(std::int64_t value, unsigned char* bytes) { store(static_cast<std::uint64_t>(value), bytes); }
inline void store_f64(double value, unsigned char* bytes) { store(std::bit_cast<std::uint64_t>(value), bytes); }

inline std::int32_t load_i32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(load<std::uint32_t>(bytes));
}
inline std::int64_t load_i64(const unsigned char* bytes) {
    return static_cast<std::int64_t>(load<std::uint64_t>(bytes));
}
inline double load_f64(const unsigned char* bytes) { return std::bit_cast<double>(load<std::uint64_t>(bytes)); }

}  // namespace little_endian

#pragma once
// The checksum that ends a restart file: after the signature and the blocks,
// 8 bytes, the tag "ZSUM" and the CRC-32 of everything before it (as a
// little-endian 32-bit number). A reader of the older layout, which reads
// the signature and the blocks only, is not disturbed by it; a file without
// it is still read, unchecked.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace restart_checksum {

inline constexpr std::size_t record_size = 8;
using Record = std::array<unsigned char, record_size>;

// The CRC-32 of the bytes added so far.
class Sum {
public:
    void add(const void* data, std::size_t size);
    std::uint32_t value() const { return value_; }

private:
    std::uint32_t value_ = 0;
};

Record record(std::uint32_t sum);

// The sum a record holds; none when the bytes are no record.
std::optional<std::uint32_t> stored_sum(std::span<const unsigned char> bytes);

}  // namespace restart_checksum

#include "utils/backup/Checksum.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "utils/LittleEndian.h"

namespace restart_checksum {

namespace {

constexpr std::array<unsigned char, 4> tag = {'Z', 'S', 'U', 'M'};

}  // namespace

void Sum::add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const Bytef*>(data);
    // zlib takes at most a uInt of bytes at a time.
    while (size > 0) {
        const std::size_t part = std::min<std::size_t>(size, std::numeric_limits<uInt>::max());
        value_ = static_cast<std::uint32_t>(crc32(value_, bytes, static_cast<uInt>(part)));
        bytes += part;
        size -= part;
    }
}

Record record(std::uint32_t sum) {
    Record bytes{};
    std::copy(tag.begin(), tag.end(), bytes.begin());
    little_endian::store(sum, bytes.data() + tag.size());
    return bytes;
}

std::optional<std::uint32_t> stored_sum(std::span<const unsigned char> bytes) {
    if (bytes.size() != record_size || !std::equal(tag.begin(), tag.end(), bytes.begin())) return std::nullopt;
    return little_endian::load<std::uint32_t>(bytes.data() + tag.size());
}

}  // namespace restart_checksum

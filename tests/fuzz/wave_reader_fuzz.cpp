// Feeds arbitrary bytes to the wave-file reader of the movie writer. Nothing
// may crash or read outside the bytes; what it finds must lie inside them,
// and a file it accepts must read the same after its chunks are written anew.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "visualization/movie/WaveFile.h"

namespace {

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out += static_cast<char>((value >> (8 * k)) & 0xff);
}

// The found format and samples as a minimal wave file of their own.
std::string rewritten(const movie::WaveData& wave) {
    std::string chunks = "fmt ";
    put(chunks, 18, 4);
    put(chunks, wave.format.format_tag, 2);
    put(chunks, wave.format.channels, 2);
    put(chunks, wave.format.sample_rate, 4);
    put(chunks, wave.format.bytes_per_second, 4);
    put(chunks, wave.format.block_align, 2);
    put(chunks, wave.format.bits_per_sample, 2);
    put(chunks, wave.format.extra_size, 2);
    chunks += "data";
    put(chunks, static_cast<std::uint32_t>(wave.samples.size()), 4);
    chunks.append(wave.samples.begin(), wave.samples.end());
    if (wave.samples.size() % 2 != 0) chunks += '\0';
    std::string file = "RIFF";
    put(file, static_cast<std::uint32_t>(4 + chunks.size()), 4);
    return file + "WAVE" + chunks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto wave = movie::read_wave(bytes);
    if (!wave) return 0;
    if (wave->samples.data() < data || wave->samples.data() + wave->samples.size() > data + size) std::abort();
    const std::string again = rewritten(*wave);
    const auto reread = movie::read_wave({reinterpret_cast<const std::uint8_t*>(again.data()), again.size()});
    if (!reread || reread->format.sample_rate != wave->format.sample_rate ||
        reread->format.channels != wave->format.channels || reread->format.extra_size != wave->format.extra_size ||
        !std::equal(reread->samples.begin(), reread->samples.end(), wave->samples.begin(), wave->samples.end()))
        std::abort();
    return 0;
}

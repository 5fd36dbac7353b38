// A trajectory file may be cut short by a crash or still be growing: any
// bytes must give whole frames or none, never crash or read past the file.
//
// The input's first byte is the number of instances; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "dynamics/output/TrajectoryReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t instances = data[0] % 8;
    const std::string path = fuzz_support::write_input("t.bin", fuzz_support::as_text(data + 1, size - 1));
    trajectory::Reader reader(path, instances);
    if (!reader.is_open()) std::abort();
    const std::uint64_t frames = reader.frame_count();
    if (frames != (size - 1) / reader.frame_size()) std::abort();
    trajectory::Frame frame;
    for (std::uint64_t f = 0; f < frames && f < 64; ++f) {
        if (!reader.read(f, frame) || frame.instances.size() != instances) std::abort();
        std::int64_t step = 0;
        std::memcpy(&step, data + 1 + f * reader.frame_size(), sizeof step);
        if (frame.step != step) std::abort();
    }
    frame.step = -7;
    if (reader.read(frames, frame) || reader.read(~std::uint64_t{0}, frame) || frame.step != -7) std::abort();
    return 0;
}

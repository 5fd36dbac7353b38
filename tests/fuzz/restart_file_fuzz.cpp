// A restart file comes back from disk after a crash, a full disk or a copy
// between machines: any bytes must be restored exactly or refused with a
// reason, never crash, and never change a registered block when refused.
//
// The registry holds blocks of several sizes (one of none); the input is
// the file.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "utils/backup/backup.h"

namespace {

constexpr std::array<std::size_t, 5> block_sizes = {16, 5, 0, 40, 8};
constexpr unsigned char untouched = 0xA5;

std::vector<std::vector<unsigned char>>& blocks() {
    static std::vector<std::vector<unsigned char>> all = [] {
        std::vector<std::vector<unsigned char>> made;
        for (const std::size_t size : block_sizes) made.emplace_back(size);
        return made;
    }();
    return all;
}

void register_blocks() {
    static const bool registered = [] {
        backup::init(fuzz_support::folder().path().string().append("/").c_str());
        for (auto& block : blocks()) backup::add(block.data(), block.size(), __FILE__, __LINE__);
        backup::init_complete();
        return true;
    }();
    (void)registered;
}

bool all_untouched() {
    for (const auto& block : blocks())
        for (const unsigned char byte : block)
            if (byte != untouched) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    register_blocks();
    for (auto& block : blocks()) std::fill(block.begin(), block.end(), untouched);
    const std::string path = fuzz_support::write_input("state.backup", fuzz_support::as_text(data, size));
    const fuzz_support::QuietLog quiet;
    try {
        backup::read(path.c_str());
    } catch (const char*) {
        if (!all_untouched()) std::abort();
        return 0;
    } catch (const std::string&) {
        if (!all_untouched()) std::abort();
        return 0;
    }
    // Restored: every block holds the bytes after the signature, in order.
    std::size_t at = sizeof(std::uint64_t);
    for (const auto& block : blocks()) {
        if (at + block.size() > size || !std::equal(block.begin(), block.end(), data + at)) std::abort();
        at += block.size();
    }
    return 0;
}

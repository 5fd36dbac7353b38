#pragma once
// Helpers shared by the fuzz targets: a folder for the input files, writing
// an input to a file, and a logger that formats every message (so that its
// arguments are checked) and shows none.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "support/TempDir.h"
#include "utils/Log.h"

namespace fuzz_support {

// The folder of one target's files, removed when the target ends.
inline const testing_support::TempDir& folder() {
    static const testing_support::TempDir dir;
    return dir;
}

inline std::string write_input(const std::string& name, std::string_view bytes) {
    const std::string path = folder().file(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Logging without a file or console for as long as it lives.
class QuietLog {
public:
    QuietLog() {
        SLogParams quiet{};
        quiet.no_console = true;
        quiet.quiet_errors = true;
        quiet.quiet_warnings = true;
        quiet.quiet_messages = true;
        CLog::StartLogging(&quiet, nullptr);
    }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;
    ~QuietLog() { CLog::EndLogging(); }
};

}  // namespace fuzz_support

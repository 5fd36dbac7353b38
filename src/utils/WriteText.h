#pragma once
// Text written to an open C stream, with its success known.
#include <cstdio>
#include <string_view>

// Writes `text` and flushes it; false when any of it could not be written.
inline bool write_text(std::FILE* file, std::string_view text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file) != text.size()) return false;
    return std::fflush(file) == 0 && !std::ferror(file);
}

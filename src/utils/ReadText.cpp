#include "utils/ReadText.h"

#include <cstdio>

#include "utils/File.h"

std::optional<std::string> read_text_file(const std::string& name) {
    const FilePtr file(std::fopen(name.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
    if (std::ferror(file.get())) return std::nullopt;
    return text;
}

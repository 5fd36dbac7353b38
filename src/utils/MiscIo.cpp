#include "utils/MiscIo.h"

#include <cstring>
#include <string_view>

void Io::SetTraceHandler(TraceFunction handler) {
    if (handler != nullptr) trace = handler;
}

std::string Io::Dir(std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

bool Io::CreateDirectoryRecursive(const std::string& /*folder*/) { return true; }

namespace {

// Separators between an option and its value: white space and the bytes of a
// UTF-8 byte-order mark.
bool is_separator(char c) {
    switch (static_cast<unsigned char>(c)) {
        case ' ': case '\n': case '\r': case '\f': case '\t':
        case 0xEF: case 0xBB: case 0xBF: return true;
        default: return false;
    }
}

}  // namespace

bool Io::GetCommandLineOption(const char* option, const char* command_line, std::string& value) {
    if (option == nullptr || command_line == nullptr) return false;
    if (*option == '\0' || *command_line == '\0') {
        trace(Msgtype::error, "illegal option, strlen <= 0");
        return false;
    }
    std::string line(command_line);
    line += ' ';
    std::string needle(" ");
    needle += option;
    needle += ' ';
    const auto found = line.find(needle);
    if (found == std::string::npos) return false;
    std::size_t pos = found + needle.size() - 1;  // at the blank after the option
    while (pos < line.size() && is_separator(line[pos])) ++pos;
    std::size_t end = pos;
    if (pos < line.size() && (line[pos] == '"' || line[pos] == '\'')) {
        ++pos;
        end = line.find_first_of("\"'", pos);
        if (end == std::string::npos) end = line.size() - 1;  // without the added blank
    } else {
        while (end < line.size() && !is_separator(line[end])) ++end;
    }
    value = line.substr(pos, end - pos);
    return true;
}

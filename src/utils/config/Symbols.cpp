#include "utils/config/Symbols.h"

#include "utils/Trace.h"

bool Symbols::is_blank(unsigned char c) {
    switch (c) {
        case ' ': case '\n': case '\r': case '\f': case '\t':
        case 0xEF: case 0xBB: case 0xBF: return true;
        default: return false;
    }
}

bool Symbols::is_line_end(unsigned char c) { return c == '\n' || c == '\r'; }

bool Symbols::is_letter(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return true;
    // Code page 1251: the Cyrillic block 0xC0-0xFF without 0xC9 and 0xE9,
    // and the two letters 0xA8 and 0xB8.
    if (c >= 0xC0) return c != 0xC9 && c != 0xE9;
    return c == 0xA8 || c == 0xB8;
}

bool Symbols::is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

std::string_view Symbols::clear_blanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return text;
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string& Symbols::clear_blanks(std::string& text) {
    const std::string_view cleared = clear_blanks(std::string_view(text));
    if (cleared.size() != text.size()) text = std::string(cleared);
    return text;
}

bool Symbols::check_path(std::string_view path) {
    if (path.empty()) return true;
    const auto first = static_cast<unsigned char>(path.front());
    if (is_digit(first)) {
        trace(Msgtype::error, "section cannot begin with number");
        return false;
    }
    if (first == '.') {
        trace(Msgtype::error, "path cannot begin with '.'");
        return false;
    }
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (!is_letter_or_digit(byte) && byte != '.') {
            trace(Msgtype::error, "unknown symbol in the path");
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> Symbols::parse(std::string_view& cursor, char separator) {
    // The text ends at its first NUL byte, as a C string would.
    const std::string_view text = cursor.substr(0, cursor.find('\0'));
    const auto in_word = [separator](char c) {
        return separator == '\0' ? is_letter_or_digit(static_cast<unsigned char>(c)) : c != separator;
    };
    std::size_t begin = 0;
    while (begin < text.size() && !in_word(text[begin])) ++begin;
    if (begin == text.size()) {
        cursor.remove_prefix(text.size());
        return std::nullopt;
    }
    std::size_t end = begin;
    while (end < text.size() && in_word(text[end])) ++end;
    cursor.remove_prefix(end);
    return text.substr(begin, end - begin);
}

#pragma once
// Byte classes of the configuration file format and the checks on dotted
// paths. The reader works on single bytes, not characters.
#include <optional>
#include <string>
#include <string_view>

class Symbols {
public:
    // Skipped between tokens: white space and the bytes of a UTF-8 byte-order mark.
    static bool is_blank(unsigned char c);
    // Line feed and carriage return; each one counts as a line.
    static bool is_line_end(unsigned char c);
    // First byte of a name or a link: A-Z, a-z, '_' and the Cyrillic letters
    // of code page 1251.
    static bool is_letter(unsigned char c);
    static bool is_digit(unsigned char c);
    static bool is_letter_or_digit(unsigned char c) { return is_letter(c) || is_digit(c); }

    // Removes leading and trailing space bytes (only ' ') and returns the
    // string; a string made only of spaces is returned unchanged.
    static std::string& clear_blanks(std::string& text);
    static std::string_view clear_blanks(std::string_view text);

    // Control characters are kept as they are: the text comes back unchanged.
    static std::string& clear_ctrl(std::string& text) { return text; }

    // True for an empty path; otherwise every byte must be a letter, a digit
    // or '.', and the first byte neither a digit nor '.'. Failures are traced
    // as errors.
    static bool check_path(std::string_view path);

    // The next word of `cursor`, which moves past it; none when no word is
    // left. With separator 0 a word is a run of letters and digits and the
    // bytes between words are skipped; with another separator a word is a run
    // of bytes other than the separator (and a NUL byte), and the separators
    // before it are skipped. The word is a view into the text of the cursor.
    static std::optional<std::string_view> parse(std::string_view& cursor, char separator);
};

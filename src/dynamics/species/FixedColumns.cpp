#include "dynamics/species/FixedColumns.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "utils/config/NumberText.h"

namespace fixed_columns {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The field's text: white space skipped, then at most `width` characters.
std::string_view field(std::string_view text, std::size_t width) {
    const std::string_view start = skip_space(text);
    return width == 0 ? start : start.substr(0, width);
}

}  // namespace

std::optional<std::string_view> after(std::string_view line, std::size_t columns) {
    if (line.size() < columns) return std::nullopt;
    return line.substr(columns);
}

std::string_view skip_space(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && is_space(text[pos])) ++pos;
    return text.substr(pos);
}

std::optional<Scanned<int>> read_int(std::string_view text, std::size_t width) {
    const std::string_view start = skip_space(text);
    const std::string_view f = field(text, width);
    std::size_t pos = 0;
    const bool negative = pos < f.size() && f[pos] == '-';
    if (pos < f.size() && (f[pos] == '-' || f[pos] == '+')) ++pos;
    const std::size_t first_digit = pos;
    long long value = 0;
    for (; pos < f.size() && is_digit(f[pos]); ++pos) {
        value = value * 10 + (f[pos] - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
    }
    if (pos == first_digit) return std::nullopt;
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) return std::nullopt;
    return Scanned<int>{static_cast<int>(value), start.substr(pos)};
}

std::optional<Scanned<float>> read_float(std::string_view text, std::size_t width) {
    const std::string_view start = skip_space(text);
    const std::string_view f = field(text, width);
    const DecimalNumber number = read_decimal(f);
    if (number.length == 0) return std::nullopt;
    // Converted from the decimal text straight to single precision, as a
    // scan directive does (through double it could round twice).
    std::string_view digits = f.substr(0, number.length);
    if (digits.front() == '+') digits.remove_prefix(1);
    float value = 0.0f;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for single precision: no number; too small: zero.
        if (number.overflow || std::fabs(number.value) > 1.0) return std::nullopt;
        value = digits.front() == '-' ? -0.0f : 0.0f;
    } else if (result.ec != std::errc{}) {
        return std::nullopt;
    }
    return Scanned<float>{value, start.substr(number.length)};
}

std::string_view read_word(std::string_view text, std::size_t width) {
    const std::string_view f = field(text, width);
    std::size_t pos = 0;
    while (pos < f.size() && !is_space(f[pos])) ++pos;
    return f.substr(0, pos);
}

}  // namespace fixed_columns

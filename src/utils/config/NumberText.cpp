#include "utils/config/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t count_digits(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && is_digit(text[end])) ++end;
    return end - pos;
}

// The power of ten of the first significant digit of a number that the
// standard conversion rejected as out of range: positive means too large.
long long decimal_magnitude(std::string_view mantissa, std::string_view exponent) {
    long long exp = 0;
    bool negative = false;
    std::size_t pos = 0;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
        negative = exponent[0] == '-';
        pos = 1;
    }
    for (; pos < exponent.size(); ++pos) {
        if (exp < 1'000'000'000) exp = exp * 10 + (exponent[pos] - '0');
    }
    if (negative) exp = -exp;

    const auto point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : mantissa.substr(point + 1);
    const auto first_whole = whole.find_first_not_of('0');
    if (first_whole != std::string_view::npos) return exp + static_cast<long long>(whole.size() - first_whole);
    const auto first_fraction = fraction.find_first_not_of('0');
    if (first_fraction == std::string_view::npos) return std::numeric_limits<long long>::min();
    return exp - static_cast<long long>(first_fraction);
}

template <class... Format>
std::string to_text(double value, Format... format) {
    std::array<char, 512> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format...);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

DecimalNumber read_decimal(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t mantissa_start = pos;
    std::size_t digits = count_digits(text, pos);
    pos += digits;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fraction = count_digits(text, pos + 1);
        digits += fraction;
        pos += 1 + fraction;
    }
    if (digits == 0) return {};
    const std::size_t mantissa_end = pos;
    std::size_t exponent_start = pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t at = pos + 1;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        const std::size_t exponent_digits = count_digits(text, at);
        if (exponent_digits > 0) {
            exponent_start = pos + 1;
            pos = at + exponent_digits;
        }
    }

    DecimalNumber number;
    number.length = pos;
    // from_chars takes no leading '+'; the sign is applied afterwards.
    const std::string_view unsigned_text = text.substr(mantissa_start, pos - mantissa_start);
    double magnitude = 0.0;
    const auto result =
        std::from_chars(unsigned_text.data(), unsigned_text.data() + unsigned_text.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        const std::string_view mantissa = text.substr(mantissa_start, mantissa_end - mantissa_start);
        const std::string_view exponent =
            exponent_start > mantissa_end ? text.substr(exponent_start, pos - exponent_start) : std::string_view{};
        number.overflow = decimal_magnitude(mantissa, exponent) > 0;
        magnitude = number.overflow ? std::numeric_limits<double>::infinity() : 0.0;
    }
    number.value = negative ? -magnitude : magnitude;
    return number;
}

std::string format_e(double value) { return to_text(value, std::chars_format::scientific, 6); }

std::string format_g(double value) { return to_text(value, std::chars_format::general, 6); }

std::string format_shortest(double value) { return to_text(value); }

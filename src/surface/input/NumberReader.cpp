#include "surface/input/NumberReader.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace velmesh {

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }

locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

double check_number(std::string_view text, NumberError& error) {
    error = NumberError::invalid;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && is_space(text[i])) ++i;
    const std::size_t start = i;
    bool sign = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        sign = true;
        ++i;
    }
    std::size_t mantissa_digits = 0;
    while (i < n && is_digit(text[i])) ++i, ++mantissa_digits;
    bool point = false;
    if (i < n && text[i] == '.') {
        point = true;
        ++i;
        while (i < n && is_digit(text[i])) ++i, ++mantissa_digits;
    }
    bool exponent = false;
    std::size_t exponent_digits = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        exponent = true;
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        while (i < n && is_digit(text[i])) ++i, ++exponent_digits;
    }
    const std::size_t stop = i;
    while (i < n && is_space(text[i])) ++i;
    if (i != n) return 0;
    if (exponent && (exponent_digits == 0 || mantissa_digits == 0)) return 0;
    if ((point || sign) && mantissa_digits == 0) return 0;
    error = NumberError::none;
    if (mantissa_digits == 0) return 0;
    const std::string number(text.substr(start, stop - start));
    return strtod_l(number.c_str(), nullptr, c_locale());
}

float read_float(std::string_view text, NumberError& error) {
    const double value = check_number(text, error);
    if (error != NumberError::none) return 0;
    const double magnitude = std::fabs(value);
    if (magnitude < FLT_MIN) return 0;
    if (magnitude > FLT_MAX) {
        error = NumberError::out_of_range;
        return value < 0 ? -FLT_MAX : FLT_MAX;
    }
    return static_cast<float>(value);
}

int read_int(std::string_view text, NumberError& error) {
    const double value = check_number(text, error);
    if (error != NumberError::none) return 0;
    if (std::fabs(value) > INT_MAX) {
        error = NumberError::out_of_range;
        return value < 0 ? -INT_MAX : INT_MAX;
    }
    if (value != std::trunc(value)) {
        error = NumberError::invalid;
        return 0;
    }
    return static_cast<int>(value);
}

void strip_blanks(std::string& text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return is_space(c); }), text.end());
}

}  // namespace velmesh

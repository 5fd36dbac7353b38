#include "dynamics/species/NumberText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "utils/CLocaleScope.h"

namespace {

// How close to halfway a scaled value may come before its rounding is left
// to the library: far above the scaling's rounding error (below 4e-9 for
// scaled values under 10^7, from a power of ten rounded to the nearest
// double and up to two products).
constexpr double halfway_margin = 1e-7;

// Powers of ten from 10^-308 to 10^308, each the double nearest to it (the
// library's reading of "1e<k>" is correctly rounded; up to 10^22 they are
// exact).
constexpr int largest_power = 308;
const double* powers_of_ten() {
    static const auto powers = [] {
        std::array<double, 2 * largest_power + 1> table{};
        for (int k = -largest_power; k <= largest_power; ++k)
            table[static_cast<std::size_t>(k + largest_power)] =
                std::strtod(("1e" + std::to_string(k)).c_str(), nullptr);
        return table;
    }();
    return powers.data() + largest_power;
}

const char* library_format(NumberStyle style) {
    switch (style) {
        case NumberStyle::cube_value: return "%12.6g";
        case NumberStyle::exponent: return "%e";
        case NumberStyle::whole: return "%.0f";
    }
    return "%e";
}

char* put_by_library(char* out, double value, NumberStyle style) {
    const CLocaleScope c_numbers;
    const int written = std::snprintf(out, number_text_room, library_format(style), value);
    return out + (written > 0 ? written : 0);
}

// The first `count` (at most 7) significant digits of `a` (finite,
// positive, normal), rounded to nearest, as an integer of exactly `count`
// digits, and the decimal exponent of the first digit. False when they
// cannot be told fast.
bool significant_digits(double a, int count, std::uint64_t& digits, int& exponent) {
    const auto biased = static_cast<int>((std::bit_cast<std::uint64_t>(a) >> 52) & 0x7ff);
    if (biased == 0) return false;  // subnormal
    const double* const powers = powers_of_ten();
    // floor(log10 a), or one less.
    int e = static_cast<int>(std::floor((biased - 1023) * 0.30102999566398120));
    const double low = powers[count - 1], high = powers[count];
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = count - 1 - e;
        // Below 10^-302 the scale passes the largest power: two steps.
        const double s = scale <= largest_power ? a * powers[scale] : a * powers[largest_power] * powers[scale - largest_power];
        if (s >= high) {
            ++e;
            continue;
        }
        if (s < low) {
            --e;
            continue;
        }
        // s is positive and below 2^24: truncation is its floor, and the
        // fraction is exact.
        const auto whole = static_cast<std::uint64_t>(s);
        const double fraction = s - static_cast<double>(whole);
        if (std::fabs(fraction - 0.5) < halfway_margin) return false;
        digits = whole + (fraction > 0.5 ? 1u : 0u);
        if (digits == static_cast<std::uint64_t>(high)) {  // rounded up to the next power of ten
            digits /= 10;
            ++e;
        }
        exponent = e;
        return true;
    }
    return false;
}

// The two digits of each number below 100.
constexpr auto digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int v = 0; v < 100; ++v) {
        pairs[static_cast<std::size_t>(2 * v)] = static_cast<char>('0' + v / 10);
        pairs[static_cast<std::size_t>(2 * v + 1)] = static_cast<char>('0' + v % 10);
    }
    return pairs;
}();

// `count` digits of v, with leading zeros, two at a time from the end.
void put_digits(char* out, std::uint64_t v, int count) {
    int i = count;
    for (; i >= 2; i -= 2) {
        std::memcpy(out + i - 2, &digit_pairs[static_cast<std::size_t>(2 * (v % 100))], 2);
        v /= 100;
    }
    if (i == 1) out[0] = static_cast<char>('0' + v % 10);
}

// "e+05", "e-17", "e+123".
char* put_exponent(char* out, int e) {
    *out++ = 'e';
    *out++ = e < 0 ? '-' : '+';
    unsigned magnitude = static_cast<unsigned>(e < 0 ? -e : e);
    if (magnitude >= 100) {
        *out++ = static_cast<char>('0' + magnitude / 100);
        magnitude %= 100;
    }
    *out++ = static_cast<char>('0' + magnitude / 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

// "%.6g" of a positive value with these six digits and decimal exponent:
// the fixed form for exponents from -4 to 5, else the exponent form, the
// fraction's trailing zeros dropped and its point with them.
class General {
public:
    General(std::uint64_t digits, int e) : e_(e) {
        put_digits(d_, digits, 6);
        const int least = exponent_form() ? 0 : std::max(e, 0);  // the last digit that must stay
        while (last_ > least && d_[last_] == '0') --last_;
    }

    int length() const {
        if (exponent_form()) return 1 + (last_ > 0 ? 1 + last_ : 0) + (e_ <= -100 || e_ >= 100 ? 5 : 4);
        if (e_ >= 0) return e_ + 1 + (last_ > e_ ? last_ - e_ + 1 : 0);
        return 2 + (-e_ - 1) + last_ + 1;
    }

    char* put(char* out) const {
        if (exponent_form()) {
            *out++ = d_[0];
            if (last_ > 0) *out++ = '.';
            for (int i = 1; i <= last_; ++i) *out++ = d_[i];
            return put_exponent(out, e_);
        }
        if (e_ >= 0) {
            for (int i = 0; i <= e_; ++i) *out++ = d_[i];
            if (last_ > e_) *out++ = '.';
            for (int i = e_ + 1; i <= last_; ++i) *out++ = d_[i];
            return out;
        }
        *out++ = '0';
        *out++ = '.';
        for (int zero = 0; zero < -e_ - 1; ++zero) *out++ = '0';
        for (int i = 0; i <= last_; ++i) *out++ = d_[i];
        return out;
    }

private:
    bool exponent_form() const { return e_ < -4 || e_ >= 6; }

    char d_[6];
    int e_;
    int last_ = 5;  // the last digit written
};

// "%12.6g": right-justified in 12 characters. The characters go straight
// into `out` (no copy through a small buffer, which costs more than the
// conversion).
char* put_cube_value(char* out, double value) {
    constexpr int width = 12;
    const bool negative = std::signbit(value);
    std::memset(out, ' ', width);
    if (value == 0.0) {
        out += width - 1 - (negative ? 1 : 0);
        if (negative) *out++ = '-';
        *out++ = '0';
        return out;
    }
    std::uint64_t digits = 0;
    int e = 0;
    if (!std::isfinite(value) || !significant_digits(std::fabs(value), 6, digits, e))
        return put_by_library(out, value, NumberStyle::cube_value);
    const General general(digits, e);
    const int length = general.length() + (negative ? 1 : 0);
    if (length < width) out += width - length;
    if (negative) *out++ = '-';
    return general.put(out);
}

char* put_exponent_value(char* out, double value) {
    std::uint64_t digits = 0;
    int e = 0;
    if (value != 0.0 && (!std::isfinite(value) || !significant_digits(std::fabs(value), 7, digits, e)))
        return put_by_library(out, value, NumberStyle::exponent);
    if (std::signbit(value)) *out++ = '-';
    char d[8];
    put_digits(d, digits, 7);
    *out = d[0];
    out[1] = '.';
    std::memcpy(out + 2, d + 1, 6);
    return put_exponent(out + 8, e);
}

char* put_whole(char* out, double value) {
    if (!(std::fabs(value) < 1e15)) return put_by_library(out, value, NumberStyle::whole);
    // Halfway cases go to the even neighbour, as the library rounds them
    // (both follow the current rounding mode).
    auto magnitude = static_cast<std::uint64_t>(std::fabs(std::nearbyint(value)));
    if (std::signbit(value)) *out++ = '-';
    char d[20];
    int count = 0;
    do {
        d[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) *out++ = d[--count];
    return out;
}

}  // namespace

char* put_number(char* out, double value, NumberStyle style) {
    switch (style) {
        case NumberStyle::cube_value: return put_cube_value(out, value);
        case NumberStyle::exponent: return put_exponent_value(out, value);
        case NumberStyle::whole: return put_whole(out, value);
    }
    return put_by_library(out, value, style);
}

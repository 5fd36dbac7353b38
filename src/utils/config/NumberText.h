#pragma once
// Conversions between numbers and their decimal text that never depend on the
// process locale (a desktop toolkit may set one with a decimal comma).
#include <cstddef>
#include <string>
#include <string_view>

struct DecimalNumber {
    double value = 0.0;
    std::size_t length = 0;  // bytes of the text that form the number; 0: no number
    bool overflow = false;   // too large for a double: value is +-infinity
};

// Reads the longest leading part of `text` that is a decimal floating-point
// number: an optional sign, digits with an optional point (at least one
// digit), and an optional exponent 'e' or 'E' with an optional sign and
// digits. Numbers too small for a double read as zero of their sign.
DecimalNumber read_decimal(std::string_view text);

// The "%e", "%g" and shortest round-trip texts of a value, in the C locale.
std::string format_e(double value);
std::string format_g(double value);
std::string format_shortest(double value);

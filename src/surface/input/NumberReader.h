#pragma once
// The strict number readers of the sphere file and the command line. A text
// is a number when, after optional white space, it holds an optional sign,
// digits, an optional ".", digits, an optional exponent ("e" or "E", an
// optional sign, digits) and then only white space. Numbers are read in the C
// locale whatever the process locale.
#include <string>
#include <string_view>

namespace velmesh {

enum class NumberError {
    none,
    invalid,       // not a number by the rule above
    out_of_range,  // a number too large for the type; the value is clamped
};

// Checks the text and converts it. A text without mantissa digits (also an
// empty one) is valid and reads 0. An invalid text reads 0.
double check_number(std::string_view text, NumberError& error);

// The float of the text: 0 for an invalid text, 0 below the smallest normal
// float, +-3.4028235e38 with out_of_range above the largest float.
float read_float(std::string_view text, NumberError& error);

// The integer of the text: 0 for an invalid text, +-2147483647 with
// out_of_range beyond that, 0 with invalid for a value with a fraction.
int read_int(std::string_view text, NumberError& error);

// Removes every white-space character from the text.
void strip_blanks(std::string& text);

}  // namespace velmesh

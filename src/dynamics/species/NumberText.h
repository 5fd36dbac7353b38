#pragma once
// The number conversions of the grid files, written fast: each gives exactly
// the characters the C library's formatted output gives for its conversion
// in the C locale, several times faster.
//
// A finite value is scaled by a power of ten to a number with as many
// digits before the point as the conversion shows; its rounding to an
// integer gives exactly the library's digits unless the scaled value lies
// within a hair's breadth of halfway between two integers (the scaling's
// error is millions of times smaller than that). Those values, subnormal
// ones, whole numbers from 10^15 on, infinities and NaNs are handed to the C
// library itself, so every value comes out as it always has.
#include <cstddef>

enum class NumberStyle {
    cube_value,  // "%12.6g"
    exponent,    // "%e"
    whole,       // "%.0f"
};

// Room that any value needs in any style (a whole number of the largest
// double has 309 digits).
inline constexpr std::size_t number_text_room = 320;

// Writes `value` in `style` at `out`, which has room for number_text_room
// characters, and returns the end of what it wrote (no terminating NUL).
char* put_number(char* out, double value, NumberStyle style);

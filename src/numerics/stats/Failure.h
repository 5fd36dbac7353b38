#pragma once
// How the routines of the statistics layer report a bad argument: an error
// code 65 + (reason - 1), a printed message and the substituted result.
#include <string_view>

namespace calvex {

// The result of a routine that sets a non-zero error code (bits 0x7f7fc99e).
inline constexpr float kErrorValue = 3.4e38f;

struct Failure {
    unsigned code;          // 65, 66, 67 or 68
    int reason;             // the reason number printed
    std::string_view text;  // the reason printed
    bool value_line;        // whether the message says that the value is set to 3.4E38
};

// Sets `code`, prints the message of `routine` and returns kErrorValue.
float fail(std::string_view routine, const Failure& failure, unsigned& code);

}  // namespace calvex

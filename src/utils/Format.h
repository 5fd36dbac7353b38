#pragma once
// printf-style formatting into std::string, without a length limit, with
// numbers in the C locale.
#include <cstdarg>
#include <string>

std::string vformat(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));

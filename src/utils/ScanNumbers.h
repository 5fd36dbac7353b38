#pragma once
// Numbers read from text the way the C library's "%lf" conversion reads
// them in the C locale, whatever locale the process has set: white space is
// skipped, then the longest text that forms a number is taken.
#include <string>
#include <string_view>

class NumberScanner {
public:
    explicit NumberScanner(std::string_view text) : text_(text) {}

    // The next number; false (nothing consumed) at the end of the text or
    // where the text does not begin a number.
    bool next(double& value);

    // Reads `count` numbers into `values`; returns how many were read before
    // the first that failed.
    int next(double* values, int count) {
        int read = 0;
        while (read < count && next(values[read])) ++read;
        return read;
    }

private:
    std::string text_;  // NUL-terminated for the conversion
    std::size_t position_ = 0;
};

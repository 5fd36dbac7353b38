#pragma once
// Fields of fixed-column text lines (structure, charges and topology files),
// read the way a C scan directive reads them, but in the C locale whatever
// the process locale, and never past the end of the line.
//
// A field starts after a fixed number of columns ("%*Nc"). Number and word
// fields then skip white space and read at most their width of characters
// ("%Nd", "%Nf", "%Ns"); a width of 0 means no limit.
#include <cstddef>
#include <optional>
#include <string_view>

namespace fixed_columns {

// The text after the first `columns` characters; none when the line is
// shorter.
std::optional<std::string_view> after(std::string_view line, std::size_t columns);

// `text` without its leading white space (blank, tab, line and page ends).
std::string_view skip_space(std::string_view text);

// A number read from the front of a text, and the text after it.
template <class T>
struct Scanned {
    T value;
    std::string_view rest;
};

// An optional sign and at least one digit; none when there is no digit or
// the value does not fit an int.
std::optional<Scanned<int>> read_int(std::string_view text, std::size_t width = 0);

// A decimal number (optional sign, digits with an optional point, optional
// exponent) in single precision; none for a number too large for single
// precision.
std::optional<Scanned<float>> read_float(std::string_view text, std::size_t width = 0);

// Up to `width` characters that are not white space; empty when there are
// none.
std::string_view read_word(std::string_view text, std::size_t width = 0);

}  // namespace fixed_columns

// File-name patterns come from users' configurations: any text must either
// fill or be refused with a reason, never be read as a printf format.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dynamics/output/FileNamePattern.h"

namespace {

void check(const file_names::Filled& filled) {
    if (filled.text.has_value() == !filled.error.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view pattern(reinterpret_cast<const char*>(data), size);
    const file_names::PatternValues values{-2147483647 - 1, "09_12_2026__10_20_32", 4294967295ul};

    const file_names::Filled name = file_names::fill_pattern(pattern, values);
    check(name);
    // Text without directives passes unchanged.
    if (pattern.find('%') == std::string_view::npos && name.text != std::string(pattern)) std::abort();

    check(file_names::fill_dump_number(pattern, -9223372036854775807 - 1));
    check(file_names::fill_default(pattern, pattern));

    // A name filled into a default pattern stays literal through the pattern.
    const file_names::Filled defaulted = file_names::fill_default("%s.%%1$d", pattern);
    if (!defaulted.text) std::abort();
    const file_names::Filled literal = file_names::fill_pattern(*defaulted.text, values);
    if (literal.text != std::string(pattern) + ".-2147483648") std::abort();
    return 0;
}

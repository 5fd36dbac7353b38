#pragma once
// File-name patterns of the output files, filled without printf.
//
// A pattern comes from the configuration, so it is never used as a printf
// format: only the documented placeholders are substituted and any other
// directive is refused with an error text.
//   %1$d    the experiment number
//   %2$s    the local date and time, "dd_mm_yyyy__hh_mm_ss"
//   %3$lu   the process id
//   %%      a percent sign
// Each placeholder may carry printf's flags ("-+ #0"), a width and a
// precision of up to three digits, such as %1$03d.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace file_names {

struct PatternValues {
    std::int32_t experiment = 0;
    std::string time;
    unsigned long process_id = 0;
};

// The filled text, or why the pattern cannot be filled.
struct Filled {
    std::optional<std::string> text;
    std::string error;
};

// The pattern with its placeholders replaced.
Filled fill_pattern(std::string_view pattern, const PatternValues& values);

// A default pattern over a name: "%s" takes the name, with every '%' of the
// name doubled so that the name stays literal in the pattern; "%%" becomes
// '%'. The default patterns are the program's own, such as
// "%s.%%1$d.%%2$s-%%3$lu.log" for the name r giving "r.%1$d.%2$s-%3$lu.log".
Filled fill_default(std::string_view default_pattern, std::string_view name);

// A name with a structure-dump number still to place: "%d" (with flags and
// width) takes the number and "%%" becomes '%'.
Filled fill_dump_number(std::string_view name, std::int64_t number);

// `text` with every '%' doubled.
std::string escape_percent(std::string_view text);

// The local date and time of `when` as "dd_mm_yyyy__hh_mm_ss".
std::string time_text(std::time_t when);

// The time the file names are dated with: now.
std::time_t now();

}  // namespace file_names

// Seam for tests: the clock behind file_names::now(). Null restores the
// system clock.
namespace file_names_detail {
using ClockFunction = std::time_t (*)();
void set_clock(ClockFunction clock);
}  // namespace file_names_detail

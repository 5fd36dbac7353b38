#include "dynamics/output/FileNamePattern.h"

#include <atomic>
#include <cctype>

#include "utils/Format.h"

namespace file_names {

namespace {

// One '%' directive as printf would read it.
struct Directive {
    int position = 0;        // N of "%N$"; 0 without one, -1 for one that names nothing
    std::string spec;        // flags, width and precision as written
    std::string conversion;  // length modifiers and the conversion letter
    std::string_view text;   // the whole directive in the pattern
    bool well_formed = false;
};

constexpr std::string_view flag_characters = "-+ #0";
constexpr std::string_view length_characters = "hlLqjzt";
constexpr std::size_t max_digits = 3;

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Digits from `at` on; returns how many.
std::size_t digits_at(std::string_view text, std::size_t at) {
    std::size_t n = 0;
    while (at + n < text.size() && is_digit(text[at + n])) ++n;
    return n;
}

// Reads the directive that starts with the '%' at `at` (not "%%").
Directive read_directive(std::string_view pattern, std::size_t at) {
    Directive d;
    std::size_t i = at + 1;
    if (const std::size_t n = digits_at(pattern, i); n > 0 && i + n < pattern.size() && pattern[i + n] == '$') {
        // Positions count from 1; "%0$" and overlong numbers name none.
        d.position = n <= max_digits ? std::stoi(std::string(pattern.substr(i, n))) : -1;
        if (d.position == 0) d.position = -1;
        i += n + 1;
    }
    const std::size_t spec_begin = i;
    while (i < pattern.size() && flag_characters.find(pattern[i]) != std::string_view::npos) ++i;
    const std::size_t width = digits_at(pattern, i);
    i += width;
    std::size_t precision = 0;
    if (i < pattern.size() && pattern[i] == '.') {
        precision = digits_at(pattern, i + 1);
        i += 1 + precision;
    }
    d.spec = std::string(pattern.substr(spec_begin, i - spec_begin));
    const std::size_t conversion_begin = i;
    while (i < pattern.size() && length_characters.find(pattern[i]) != std::string_view::npos) ++i;
    if (i < pattern.size() && std::isalpha(static_cast<unsigned char>(pattern[i])) != 0) {
        ++i;
        d.well_formed = width <= max_digits && precision <= max_digits;
    } else if (i < pattern.size()) {
        ++i;  // show the character that ends the directive in the message
    }
    d.conversion = std::string(pattern.substr(conversion_begin, i - conversion_begin));
    d.text = pattern.substr(at, i - at);
    return d;
}

// Walks `pattern`, copying text, turning "%%" into '%' and handing every
// other directive to `substitute`, which appends its text and returns true,
// or returns false to refuse it.
template <class Substitute>
Filled fill(std::string_view pattern, Substitute substitute, const char* what, const char* allowed) {
    std::string out;
    out.reserve(pattern.size() + 32);
    std::size_t i = 0;
    while (i < pattern.size()) {
        const std::size_t percent = pattern.find('%', i);
        out.append(pattern.substr(i, percent == std::string_view::npos ? std::string_view::npos : percent - i));
        if (percent == std::string_view::npos) break;
        if (percent + 1 < pattern.size() && pattern[percent + 1] == '%') {
            out += '%';
            i = percent + 2;
            continue;
        }
        const Directive d = read_directive(pattern, percent);
        if (!d.well_formed || !substitute(d, out)) {
            const std::string directive(d.text);
            const std::string text(pattern);
            return {std::nullopt, format("\"%s\" in %s \"%s\" is not allowed; %s", directive.c_str(), what,
                                         text.c_str(), allowed)};
        }
        i = percent + d.text.size();
    }
    return {std::move(out), {}};
}

std::atomic<file_names_detail::ClockFunction> clock_function{nullptr};

}  // namespace

Filled fill_pattern(std::string_view pattern, const PatternValues& values) {
    const auto substitute = [&](const Directive& d, std::string& out) {
        const std::string spec = "%" + d.spec;
        if (d.position == 1 && (d.conversion == "d" || d.conversion == "i")) {
            out += format((spec + "d").c_str(), static_cast<int>(values.experiment));
        } else if (d.position == 2 && d.conversion == "s") {
            out += format((spec + "s").c_str(), values.time.c_str());
        } else if (d.position == 3 && d.conversion == "lu") {
            out += format((spec + "lu").c_str(), values.process_id);
        } else {
            return false;
        }
        return true;
    };
    return fill(pattern, substitute, "file name pattern",
                "a pattern may hold %1$d (experiment number), %2$s (date and time), %3$lu (process id) and %% "
                "(a percent sign)");
}

Filled fill_default(std::string_view default_pattern, std::string_view name) {
    const std::string escaped = escape_percent(name);
    const auto substitute = [&](const Directive& d, std::string& out) {
        if (d.position != 0 || !d.spec.empty() || d.conversion != "s") return false;
        out += escaped;
        return true;
    };
    return fill(default_pattern, substitute, "default file name pattern",
                "a default pattern may hold %s (the name) and %% (a percent sign)");
}

Filled fill_dump_number(std::string_view name, std::int64_t number) {
    const auto substitute = [&](const Directive& d, std::string& out) {
        if (d.position != 0 || d.conversion != "d") return false;
        out += format(("%" + d.spec + "lld").c_str(), static_cast<long long>(number));
        return true;
    };
    return fill(name, substitute, "structure dump name",
                "a dump name may hold %d (the dump number) and %% (a percent sign)");
}

std::string escape_percent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string time_text(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return format("%02d_%02d_%04d__%02d_%02d_%02d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec);
}

std::time_t now() {
    const file_names_detail::ClockFunction clock = clock_function.load();
    return clock != nullptr ? clock() : std::time(nullptr);
}

}  // namespace file_names

void file_names_detail::set_clock(ClockFunction clock) { file_names::clock_function.store(clock); }

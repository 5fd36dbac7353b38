#include "utils/options.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

// ---------------------------------------------------------------------------
// OptionSpec

const char* const OptionSpec::NULL_spec = "";

OptionSpec::OptionSpec(const char* decl) : spec_(decl != nullptr ? decl : NULL_spec) {
    if (*spec_ == '-') {
        hidden_ = true;
        ++spec_;
    }
}

bool OptionSpec::hasShortForm() const {
    const auto c = static_cast<unsigned char>(OptChar());
    return std::isprint(c) && !std::isspace(c);
}

std::string_view OptionSpec::LongOpt() const {
    if (spec_[0] == '\0' || spec_[1] == '\0' || spec_[2] == '\0' || is_space(spec_[2])) return {};
    return spec_ + 2;
}

std::string_view OptionSpec::LongName() const {
    const std::string_view text = LongOpt();
    std::size_t end = 0;
    while (end < text.size() && !is_space(text[end])) ++end;
    return text.substr(0, end);
}

std::string_view OptionSpec::Description() const {
    static constexpr std::string_view default_description = "<value>";
    const std::string_view text(spec_);
    std::size_t pos = 1;
    while (pos < text.size() && !is_space(text[pos])) ++pos;
    while (pos < text.size() && is_space(text[pos])) ++pos;
    return pos < text.size() ? text.substr(pos) : default_description;
}

bool OptionSpec::isSyntaxError(const std::string& name) const {
    if (isNULL()) {
        std::cerr << name << ": empty option specifier." << std::endl;
        std::cerr << "\tmust be at least 1 character long." << std::endl;
        return true;
    }
    if (spec_[1] != '\0' && std::strchr("|?:*+", spec_[1]) == nullptr) {
        std::cerr << name << ": bad option specifier \"" << spec_ << "\"." << std::endl;
        std::cerr << "\t2nd character must be in the set \"|?:*+\"." << std::endl;
        return true;
    }
    return false;
}

std::string OptionSpec::Format(unsigned controls) const {
    if (hidden_) return {};
    bool short_form = hasShortForm();
    const std::string_view long_name = LongName();
    bool long_form = !long_name.empty();
    if ((controls & Options::long_only) && long_form) short_form = false;
    if ((controls & Options::short_only) && short_form) long_form = false;

    std::string text = "[";
    if (short_form) {
        text += '-';
        text += OptChar();
    }
    if (short_form && long_form) text += '|';
    if (long_form) {
        text += (controls & (Options::long_only | Options::short_only)) ? "-" : "--";
        text += long_name;
    }
    if (!isNoArg()) {
        text += ' ';
        if (isValOptional()) text += '[';
        text += Description();
        if (isList()) text += " ...";
        if (isValOptional()) text += ']';
    }
    text += ']';
    return text;
}

// ---------------------------------------------------------------------------
// Iterators

const char* OptIter::operator()() {
    const char* current = curr();
    next();
    return current;
}

const char* OptArgvIter::curr() {
    if (argv_ == nullptr || index_ >= count_) return nullptr;
    return argv_[index_];
}

void OptArgvIter::next() {
    if (curr() != nullptr) ++index_;
}

OptStrTokIter::OptStrTokIter(std::string_view text, std::string_view delimiters) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = text.find_first_not_of(delimiters, pos);
        if (pos == std::string_view::npos) break;
        std::size_t end = text.find_first_of(delimiters, pos);
        if (end == std::string_view::npos) end = text.size();
        tokens_.emplace_back(text.substr(pos, end - pos));
        pos = end;
    }
}

const char* OptStrTokIter::curr() { return index_ < tokens_.size() ? tokens_[index_].c_str() : nullptr; }

void OptStrTokIter::next() {
    if (index_ < tokens_.size()) ++index_;
}

bool OptIstreamIter::fill() {
    std::string line;
    while (std::getline(input_, line)) {
        std::size_t start = 0;
        while (start < line.size() && is_space(line[start])) ++start;
        if (start == line.size() || line[start] == '#') continue;
        line_ = std::make_unique<OptStrTokIter>(std::string_view(line).substr(start));
        if (line_->curr() != nullptr) return true;
    }
    return false;
}

const char* OptIstreamIter::curr() {
    if (line_ != nullptr && line_->curr() != nullptr) return line_->curr();
    return fill() ? line_->curr() : nullptr;
}

void OptIstreamIter::next() {
    if (curr() != nullptr) line_->next();
}

// ---------------------------------------------------------------------------
// Options

Options::Options(const char* program_name, const char* const* table) : specs(table) {
    const std::string_view name = program_name != nullptr ? program_name : "";
    const auto slash = name.find_last_of('/');
    command = std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
    if (check_syntax() > 0) std::exit(127);
}

int Options::check_syntax() const {
    int errors = 0;
    if (specs == nullptr) return 0;
    for (const char* const* spec = specs; *spec != nullptr; ++spec)
        if (OptionSpec(*spec).isSyntaxError(command)) ++errors;
    return errors;
}

bool Options::is_option(const char* arg) const {
    return arg[0] == '-' || ((controls & plus_long) && arg[0] == '+');
}

OptionSpec Options::match_opt(char c, bool ignore_case) const {
    if (!has_table()) return {};
    for (const char* const* decl = specs; *decl != nullptr; ++decl) {
        const OptionSpec spec(*decl);
        if (!spec.hasShortForm()) continue;
        if (spec.OptChar() == c || (ignore_case && lower(spec.OptChar()) == lower(c))) return spec;
    }
    return {};
}

OptionSpec Options::match_longopt(std::string_view name, bool& ambiguous) const {
    ambiguous = false;
    if (!has_table() || name.empty()) return {};
    OptionSpec matched;
    for (const char* const* decl = specs; *decl != nullptr; ++decl) {
        const OptionSpec spec(*decl);
        // The long name runs to the end of the spec string, so a long name
        // followed by a description can only match as a prefix.
        const std::string_view long_opt = spec.LongOpt();
        if (long_opt.size() < name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < name.size(); ++i) same = lower(long_opt[i]) == lower(name[i]);
        if (!same) continue;
        if (long_opt.size() == name.size()) return spec;
        if (!matched.isNULL()) {
            ambiguous = true;
            return {};
        }
        matched = spec;
    }
    return matched;
}

int Options::operator()(OptIter& iter, std::optional<std::string>& optarg) {
    if (!(controls & return_positional)) ended = false;
    if (!next_char.empty()) return parse_opt(iter, optarg);

    const char* arg = iter.curr();
    while (arg != nullptr && !ended && std::strcmp(arg, "--") == 0) {
        iter.next();
        list_spec = OptionSpec();
        ended = true;
        if (!(controls & return_positional)) return end_of_options;
        arg = iter.curr();
    }
    if (arg == nullptr) {
        list_spec = OptionSpec();
        return end_of_options;
    }

    if (ended || !is_option(arg)) {
        if (!(controls & return_positional)) return end_of_options;
        optarg = arg;
        iter.next();
        return positional;
    }

    const std::string word = arg;
    iter.next();
    if (!(controls & short_only)) {
        if (word.starts_with("--")) return parse_longopt(iter, word.substr(2), optarg);
        if ((controls & plus_long) && word.front() == '+') return parse_longopt(iter, word.substr(1), optarg);
    }
    if (word.front() == '-') {
        if (controls & long_only) return parse_longopt(iter, word.substr(1), optarg);
        next_char = word.substr(1);
        return parse_opt(iter, optarg);
    }
    // A '+' word when long options are off: a further value of the last list.
    optarg = word;
    return list_spec.isNULL() ? int{end_of_options} : int{list_spec.OptChar()};
}

int Options::parse_opt(OptIter& iter, std::optional<std::string>& optarg) {
    list_spec = OptionSpec();
    if (!has_table()) {
        next_char.clear();
        return end_of_options;
    }
    if (next_char.empty()) {
        // A lone "-": there is no option character to name.
        if (!(controls & quiet)) std::cerr << command << ": unknown option -." << std::endl;
        optarg = std::string();
        return unknown_short;
    }

    const std::string cluster = next_char;  // from this character on
    const char c = cluster.front();
    next_char.erase(0, 1);

    const OptionSpec spec = match_opt(c, (controls & any_case) != 0);
    if (spec.isNULL()) {
        if (!(controls & no_guessing)) {
            const unsigned saved_controls = controls;
            const std::string saved_rest = next_char;
            controls |= quiet | no_guessing;
            const int result = parse_longopt(iter, cluster, optarg);
            controls = saved_controls;
            if (result > 0) return result;
            next_char = saved_rest;
        }
        if (!(controls & quiet)) std::cerr << command << ": unknown option -" << c << "." << std::endl;
        optarg = cluster;
        return unknown_short;
    }

    if (spec.isNoArg()) {
        optarg.reset();
        return spec.OptChar();
    }
    if (!next_char.empty()) {
        optarg = std::move(next_char);
        next_char.clear();
        if (spec.isList()) list_spec = spec;
        return spec.OptChar();
    }
    const char* next = iter.curr();
    if (next != nullptr && (spec.isValRequired() || !is_option(next))) {
        optarg = next;
        iter.next();
        if (spec.isList()) list_spec = spec;
        return spec.OptChar();
    }
    optarg.reset();
    if (spec.isValRequired() && !(controls & quiet))
        std::cerr << command << ": argument required for -" << spec.OptChar() << " option." << std::endl;
    return spec.OptChar();
}

int Options::parse_longopt(OptIter& iter, const std::string& word, std::optional<std::string>& optarg) {
    list_spec = OptionSpec();
    if (!has_table()) return end_of_options;

    const auto separator = word.find_first_of(":=");
    const std::string_view name = std::string_view(word).substr(0, separator);
    std::optional<std::string> value;
    if (separator != std::string::npos) value = word.substr(separator + 1);

    bool ambiguous = false;
    const OptionSpec spec = match_longopt(name, ambiguous);
    if (spec.isNULL()) {
        if (!ambiguous && !(controls & no_guessing)) {
            const unsigned saved_controls = controls;
            const std::string saved_next = next_char;
            controls |= quiet | no_guessing;
            next_char = word;
            const int result = parse_opt(iter, optarg);
            controls = saved_controls;
            if (result > 0) return result;
            next_char = saved_next;
        }
        if (!(controls & quiet))
            std::cerr << command << ": " << (ambiguous ? "ambiguous" : "unknown") << " option " << long_dashes()
                      << word << "." << std::endl;
        optarg = word;
        next_char.clear();
        return ambiguous ? ambiguous_long : unknown_long;
    }

    next_char.clear();
    if (spec.isNoArg()) {
        if (value && !(controls & quiet))
            std::cerr << command << ": option " << long_dashes() << spec.LongName() << " does NOT take an argument."
                      << std::endl;
        optarg = std::move(value);
        return spec.OptChar();
    }
    if (value) {
        optarg = std::move(value);
        if (spec.isList()) list_spec = spec;
        return spec.OptChar();
    }
    const char* next = iter.curr();
    if (next != nullptr && (spec.isValRequired() || !is_option(next))) {
        optarg = next;
        iter.next();
        if (spec.isList()) list_spec = spec;
        return spec.OptChar();
    }
    optarg.reset();
    if (spec.isValRequired() && !(controls & quiet))
        std::cerr << command << ": argument required for " << long_dashes() << spec.LongName() << " option."
                  << std::endl;
    return spec.OptChar();
}

void Options::usage(std::ostream& out, const char* positionals) const {
    if (!has_table()) return;
    constexpr std::size_t columns = 79;
    out << "usage: " << command;
    std::size_t used = command.size() + 7;
    const std::size_t margin = used + 1;
    bool first = true;
    for (const char* const* decl = specs;; ++decl) {
        const bool last = *decl == nullptr;
        std::string item;
        if (last) {
            item = positionals != nullptr ? positionals : "";
        } else {
            const OptionSpec spec(*decl);
            if (spec.isHidden()) {
                first = false;
                continue;
            }
            item = spec.Format(controls);
        }
        if (used + item.size() + 1 > columns - (first ? 1 : 0)) {
            out << '\n' << std::string(margin, ' ');
            used = margin;
        } else {
            out << ' ';
            ++used;
        }
        used += item.size();
        out << item;
        first = false;
        if (last) break;
    }
    out << std::endl;
}

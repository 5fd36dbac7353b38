#pragma once
// Command-line options read against a table of option spec strings.
//
// An option spec string is, in order:
//   - an optional '-' that hides the option from the usage line;
//   - the short option character (only a printable, non-blank one gives a
//     short form);
//   - the argument type: '|' none, ':' required, '?' optional, '+' required
//     list, '*' optional list (or the end of the string: no argument);
//   - the long name, up to the first blank;
//   - after blanks, the description of the argument for the usage line.
// For example "l:logfile  <filename>" is -l / --logfile with a required
// argument. The table ends with a null entry.
//
// Arguments come through the iterators below, so one parser reads an
// argument vector, a string or a text stream alike.
#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// One option spec (not owned).
class OptionSpec {
public:
    // The empty spec: no option.
    static const char* const NULL_spec;

    OptionSpec(const char* decl = nullptr);

    bool isNULL() const { return *spec_ == '\0'; }
    bool isHidden() const { return hidden_; }
    // The spec after the hiding '-'.
    const char* text() const { return spec_; }

    char OptChar() const { return spec_[0]; }
    bool hasShortForm() const;
    char ArgType() const { return isNULL() ? '\0' : spec_[1]; }
    bool isNoArg() const { return ArgType() == '|' || ArgType() == '\0'; }
    bool isValRequired() const { return ArgType() == ':' || ArgType() == '+'; }
    bool isValOptional() const { return ArgType() == '?' || ArgType() == '*'; }
    bool isList() const { return ArgType() == '+' || ArgType() == '*'; }

    // The long name with everything after it (the description included), or
    // empty when the option has no long name.
    std::string_view LongOpt() const;
    // The long name alone, up to its first blank.
    std::string_view LongName() const;
    // The description of the argument; "<value>" when there is none.
    std::string_view Description() const;

    // Reports a malformed spec on standard error, prefixed by the
    // command name; returns whether it is malformed.
    bool isSyntaxError(const std::string& name) const;

    // The usage text of this option under the given control values; empty
    // for a hidden option.
    std::string Format(unsigned controls) const;

private:
    bool hidden_ = false;
    const char* spec_;
};

// A source of arguments. `curr` gives the current argument (null when there
// is none), `next` advances, and the call gives the current one and advances.
// A returned text stays valid until the iterator reads further.
class OptIter {
public:
    virtual ~OptIter() = default;
    virtual const char* curr() = 0;
    virtual void next() = 0;
    virtual const char* operator()();
};

// An argument source that can start over.
class OptIterRwd : public OptIter {
public:
    virtual void rewind() = 0;
};

// Arguments from a count and a vector of texts; stops at the count or at a
// null entry.
class OptArgvIter : public OptIterRwd {
public:
    OptArgvIter(int count, const char* const* argv) : count_(count), argv_(argv) {}
    const char* curr() override;
    void next() override;
    void rewind() override { index_ = 0; }

private:
    int index_ = 0;
    int count_;
    const char* const* argv_;
};

// Arguments from one text, split into tokens at runs of delimiters.
class OptStrTokIter : public OptIterRwd {
public:
    static constexpr std::string_view default_delimiters = " \t\n\r\v\f";

    explicit OptStrTokIter(std::string_view text, std::string_view delimiters = default_delimiters);
    const char* curr() override;
    void next() override;
    void rewind() override { index_ = 0; }

private:
    std::vector<std::string> tokens_;
    std::size_t index_ = 0;
};

// Arguments from a text stream, line by line; blank lines and lines whose
// first non-blank character is '#' are skipped.
class OptIstreamIter : public OptIter {
public:
    explicit OptIstreamIter(std::istream& input) : input_(input) {}
    const char* curr() override;
    void next() override;

private:
    // Reads lines until one holds tokens; false at the end of the stream.
    bool fill();

    std::istream& input_;
    std::unique_ptr<OptStrTokIter> line_;
};

class Options {
public:
    // Control values (combinable).
    enum Control : unsigned {
        any_case = 0x01,           // short options match without regard to case
        quiet = 0x02,              // the parser prints no messages
        plus_long = 0x04,          // '+' introduces a long option
        short_only = 0x08,         // "--" words are not long options
        long_only = 0x10,          // a single '-' introduces a long option
        no_guessing = 0x20,        // unknown short options are not retried as long ones, nor the reverse
        return_positional = 0x40,  // positional arguments are returned instead of ending the options
    };

    // Results of one parse step besides a (positive) option character.
    enum Result : int {
        end_of_options = 0,
        unknown_short = -1,
        unknown_long = -2,
        ambiguous_long = -3,
        positional = -4,
    };

    // Keeps the table (not owned) and the command name (the program name
    // after its last '/'). A malformed table is reported and ends the process
    // with status 127.
    Options(const char* program_name, const char* const* table);
    virtual ~Options() = default;

    unsigned get_controls() const { return controls; }
    void set_controls(unsigned value) { controls = value & 0x7F; }
    const std::string& name() const { return command; }

    // One parse step: returns an option character or a Result and sets
    // `optarg` to the option's argument (none when it has none).
    int operator()(OptIter& iter, std::optional<std::string>& optarg);

    // Writes the usage line; `positionals` follows the options.
    void usage(std::ostream& out, const char* positionals) const;

    // Reports every malformed spec; returns their number.
    int check_syntax() const;

private:
    OptionSpec match_opt(char c, bool ignore_case) const;
    OptionSpec match_longopt(std::string_view name, bool& ambiguous) const;
    int parse_opt(OptIter& iter, std::optional<std::string>& optarg);
    int parse_longopt(OptIter& iter, const std::string& word, std::optional<std::string>& optarg);
    bool is_option(const char* arg) const;
    bool has_table() const { return specs != nullptr && specs[0] != nullptr; }
    const char* long_dashes() const { return (controls & long_only) ? "-" : "--"; }

    bool ended = false;
    unsigned controls = 0;
    const char* const* specs;
    std::string next_char;  // the rest of a short-option cluster still to be parsed
    OptionSpec list_spec;   // the last option whose argument is a list
    std::string command;
};

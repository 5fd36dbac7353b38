#include "dynamics/species/StructureLine.h"

#include "dynamics/species/FixedColumns.h"

using namespace fixed_columns;

namespace {

// The character in 1-based `column`, blank past the line's end.
char column(std::string_view line, std::size_t number) { return number <= line.size() ? line[number - 1] : ' '; }

// Columns `first` to `last` (1-based, inclusive), as far as the line goes.
std::string_view columns(std::string_view line, std::size_t first, std::size_t last) {
    if (line.size() < first) return {};
    return line.substr(first - 1, last - first + 1);
}

// A formal charge written with its sign after the number ("1-"); a sign in
// front is taken as written.
std::optional<float> formal_charge(std::string_view line) {
    const auto text = after(line, 78);
    if (!text) return std::nullopt;
    const auto number = read_float(*text);
    if (!number) return std::nullopt;
    const std::string_view digits = skip_space(*text);
    const bool signed_in_front = digits.front() == '-' || digits.front() == '+';
    if (!signed_in_front && !number->rest.empty() && number->rest.front() == '-') return -number->value;
    return number->value;
}

}  // namespace

std::string_view record_name(std::string_view line) { return read_word(line, 6); }

bool is_atom_record(std::string_view record) { return record == "ATOM" || record == "HETATM"; }

std::optional<AtomLine> read_atom_line(std::string_view line) {
    const auto serial = atom_serial(line);
    const auto res_seq = read_int(columns(line, 23, 26));
    const std::string_view atom_name = read_word(columns(line, 13, 16));
    const std::string_view residue_name = read_word(columns(line, 18, 20));
    const auto x = read_float(columns(line, 31, 38));
    const auto y = read_float(columns(line, 39, 46));
    const auto z = read_float(columns(line, 47, 54));
    if (!serial || !res_seq || atom_name.empty() || residue_name.empty() || !x || !y || !z) return std::nullopt;
    return AtomLine{record_name(line),
                    *serial,
                    std::string(atom_name),
                    column(line, 17),
                    std::string(residue_name),
                    column(line, 22),
                    res_seq->value,
                    x->value,
                    y->value,
                    z->value};
}

std::optional<int> atom_serial(std::string_view line) {
    const auto serial = read_int(columns(line, 7, 11));
    if (!serial) return std::nullopt;
    return serial->value;
}

std::optional<int> model_number(std::string_view line) {
    const auto text = after(line, 6);
    if (!text) return std::nullopt;
    const auto number = read_int(*text);
    if (!number) return std::nullopt;
    return number->value;
}

bool has_identification_field(std::string_view line) {
    if (line.size() < 78) return false;
    for (std::size_t c = 73; c <= 76; ++c)
        if (column(line, c) == ' ') return false;
    bool digit = false;
    for (std::size_t c = 77; c <= 80; ++c) {
        const char ch = column(line, c);
        if (ch >= '0' && ch <= '9') digit = true;
        else if (ch != ' ') return false;
    }
    return digit;
}

std::optional<float> structure_charge(std::string_view line, bool pqr) {
    if (pqr) {
        const auto text = after(line, 54);
        if (!text) return std::nullopt;
        const auto number = read_float(*text);
        if (!number) return std::nullopt;
        return number->value;
    }
    if (has_identification_field(line)) return std::nullopt;
    return formal_charge(line);
}

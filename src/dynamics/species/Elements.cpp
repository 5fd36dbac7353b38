#include "dynamics/species/Elements.h"

#include <array>
#include <cctype>
#include <optional>

#include "dynamics/species/FixedColumns.h"

namespace {

struct ElementRow {
    std::string_view symbol;
    double mass;
    double radius;
};

// Symbols that atom names give whole.
constexpr std::array<ElementRow, 3> whole_names{{
    {"CU", 63.6, 1.4},
    {"FE", 55.8, 1.4},
    {"MG", 24.31, 1.73},
}};

// Elements known by the first letter of an atom name.
constexpr std::array<ElementRow, 6> first_letters{{
    {"C", 12.0, 1.7},
    {"H", 1.01, 1.2},
    {"N", 14.0, 1.55},
    {"O", 16.0, 1.52},
    {"S", 32.1, 1.8},
    {"P", 30.98, 1.8},
}};

// Two-letter symbols known only from the element columns, where they cannot
// be an atom name's first letters: ions and the selenium of selenomethionine.
constexpr std::array<ElementRow, 5> element_column_symbols{{
    {"NA", 22.99, 2.27},
    {"CL", 35.45, 1.75},
    {"CA", 40.08, 2.31},
    {"ZN", 65.38, 1.39},
    {"SE", 78.97, 1.9},
}};

template <std::size_t N>
const ElementRow* find(const std::array<ElementRow, N>& rows, std::string_view symbol) {
    for (const ElementRow& row : rows)
        if (row.symbol == symbol) return &row;
    return nullptr;
}

bool all_letters(std::string_view text) {
    for (const char c : text)
        if (std::isalpha(static_cast<unsigned char>(c)) == 0) return false;
    return !text.empty();
}

// The first word of columns 77-78 when it is made of letters, upper-cased.
std::optional<std::string> element_columns(std::string_view line) {
    if (line.size() < 77) return std::nullopt;
    const std::string_view word = fixed_columns::read_word(line.substr(76, 2), 2);
    if (!all_letters(word)) return std::nullopt;
    std::string symbol(word);
    for (char& c : symbol) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return symbol;
}

// The symbol in the atom name: columns 13-16, after a leading number if
// there is one, first word, at most two characters.
std::string atom_name_symbol(std::string_view line) {
    const std::string_view name = line.size() >= 16 ? line.substr(12, 4) : std::string_view{};
    if (const auto number = fixed_columns::read_int(name)) {
        const std::string_view after_number = fixed_columns::read_word(number->rest, 2);
        if (!after_number.empty()) return std::string(after_number);
    }
    return std::string(fixed_columns::read_word(name, 2));
}

Element known(std::string symbol, const ElementRow* row) {
    if (row == nullptr) return Element{std::move(symbol), 0.0, 0.0};
    return Element{std::move(symbol), row->mass, row->radius};
}

}  // namespace

Element element_of(std::string_view line) {
    if (auto symbol = element_columns(line)) {
        const ElementRow* row = find(whole_names, *symbol);
        if (row == nullptr) row = find(element_column_symbols, *symbol);
        if (row == nullptr) row = find(first_letters, *symbol);
        return known(std::move(*symbol), row);
    }
    std::string symbol = atom_name_symbol(line);
    const ElementRow* row = find(whole_names, symbol);
    if (row == nullptr && !symbol.empty()) row = find(first_letters, symbol.substr(0, 1));
    return known(std::move(symbol), row);
}

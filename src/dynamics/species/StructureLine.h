#pragma once
// The records of a fixed-column protein structure file: atoms ("ATOM",
// "HETATM") and the model brackets ("MODEL", "ENDMDL").
//
// Atom fields (1-based columns): serial 7-11, atom name 13-16, alternate
// location 17, residue name 18-20, chain 22, residue number 23-26,
// coordinates 31-38, 39-46, 47-54 (ångström), charge from 55 in the
// charge-and-radius variant of the format, element symbol 77-78, formal
// charge 79-80. Each field is read within its own columns (white space
// skipped, then the number or the first word), so a location letter never
// joins the atom name and a blank field never borrows its neighbour's text.
#include <optional>
#include <string>
#include <string_view>

struct AtomLine {
    std::string_view record;   // "ATOM" or "HETATM"
    int serial;
    std::string atom_name;     // first word of columns 13-16
    char alt_loc;              // column 17; blank for atoms with one location
    std::string residue_name;  // first word of columns 18-20
    char chain;                // column 22
    int res_seq;
    float x;
    float y;
    float z;
};

// The record name: the line's first word, at most 6 characters.
std::string_view record_name(std::string_view line);

// True for "ATOM" and "HETATM".
bool is_atom_record(std::string_view record);

// The atom of an atom line (its record points into `line`); none when its serial, residue number, atom name,
// residue name or a coordinate does not parse.
std::optional<AtomLine> read_atom_line(std::string_view line);

// The serial of an atom line (columns 7-11).
std::optional<int> atom_serial(std::string_view line);

// The number of a "MODEL" line, read from column 7.
std::optional<int> model_number(std::string_view line);

// The charge that an atom line carries: from column 55 in the charge-and-
// radius variant (`pqr`), else the formal charge from column 79, whose sign
// may follow the number ("1-" is -1, "2+" is 2). Lines of the older layout,
// whose columns 73-80 hold the entry's code and a line number, carry no
// charge there.
std::optional<float> structure_charge(std::string_view line, bool pqr);

// Columns 73-80 hold the older layout's identification field: a code in
// 73-76, then only digits and blanks, at least one digit.
bool has_identification_field(std::string_view line);

#pragma once
// Elements of structure-file atoms: the symbol of an atom line and its mass
// and radius.
//
// Columns 77-78 hold the element symbol, matched whole. Where they hold no
// symbol (blank, past the line's end, or not letters), the symbol comes from
// the atom name (columns 13-16, a leading number skipped), and only "CU",
// "FE" and "MG" are matched whole; any other name is known by its first
// letter alone, so "CA" (alpha carbon) and "CB" are carbon.
#include <string>
#include <string_view>

struct Element {
    std::string symbol;  // as read, for messages
    double mass;         // atomic mass units; 0 for an unknown element
    double radius;       // ångström; 0 for an unknown element
};

Element element_of(std::string_view line);

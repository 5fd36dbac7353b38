#pragma once
// The display options of the dialog bar, as the view reads them at each draw.
#include <cstddef>

struct DisplaySwitches {
    bool subst1 = true;              // "Subst 1": draw species 0
    bool subst2 = true;              // "Subst 2": draw species 1
    bool surface = true;             // "Surface" (hidden): no species of its own
    bool color_by_potential = true;  // "Color by potential"
    bool stop_on_contact = true;     // "Stop on contact": stop playback at a collision flag
    bool stop_on_dock = true;        // "Stop on dock": stop playback at a contact (dock) flag
    bool unhide_docked = true;       // "Unhide Docked": draw instances that have reacted
    bool fly_mode = false;           // "Camera fly mode"
};

// Whether instances of `species` are drawn: species 0 and 1 follow their
// "Subst" switches, every further species is always drawn.
inline bool species_shown(const DisplaySwitches& switches, std::size_t species) {
    if (species == 0) return switches.subst1;
    if (species == 1) return switches.subst2;
    return true;
}

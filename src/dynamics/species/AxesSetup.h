#pragma once
// The principal axes of a species in its set-up: taken from its
// principal-axes file (key "ellipsoid") or found by the axis search and
// written there, and the ellipsoid's friction coefficients.
#include <optional>
#include <string>

#include "dynamics/species/AxesFile.h"
#include "dynamics/species/PROT_CLASS.h"

class PDcalc;

struct AxesStart {
    std::optional<std::string> file;  // the principal-axes file, when named
    axes_file::Content content;       // what it held
    bool search = true;               // the axes are to be found by the search
};

// Reads the principal-axes file into the species' `rot` before its structure
// is read. A file without a whole proper rotation matrix is not used: its
// axes are searched for anew from the identity, with a warning (a matrix
// read in part would place the atoms in a distorted frame).
AxesStart start_axes(PDcalc& engine, PROT_CLASS& species);

// After the structure is read: with a usable file, its semi-axes (an error
// "%s is incorrect" and the exception "incorrect ellipsoid" when they are
// missing); else the axis search, which sets `rot`, `ell_a`, `ell_b` and
// writes the file (rank 0). With a file named, the axes found are used as the
// file gives them back, so a rerun that reads them repeats this run exactly.
// True when the search changed the axes, so the structure must be read again
// in the new frame.
bool settle_axes(PDcalc& engine, PROT_CLASS& species, const AxesStart& start);

// `rot_inv`, `ell_p`, `r_equiv` and the four friction coefficients. An
// ellipsoid that gives coefficients that are not finite and positive (none
// found, oblate, degenerate) is an error, thrown as "incorrect ellipsoid".
void set_friction(PROT_CLASS& species, double viscosity);

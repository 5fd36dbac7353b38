#pragma once
// The first part of a species' set-up: its name and the keys of its
// configuration section that are plain settings.
#include "dynamics/species/PROT_CLASS.h"

class PDcalc;
class Section;

// Fills the species' section, name (the section's own, "[unknown]" without
// one), instance count ("N", 0), relaxation sweeps (root "Calculation.N",
// 500), compartment ("compartment", a name the engine's model must hold),
// "move" (true), and "max_grad" and "limit_grad" (taken when positive, else
// +infinity); registers the species' restart block. A missing or unknown
// compartment is logged as an error and thrown as "compartment not
// specified" or "unknown compartment".
void read_species_keys(PDcalc& engine, PROT_CLASS& species, Section* section);

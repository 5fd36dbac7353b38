// PDcalc::pdb_read: a species' atoms, charges and residues from its
// structure file, in the species' body frame.
//
// Two passes over the structure file: the first counts atoms, charges and
// residues and finds the mass and the centre of mass; the second places
// every atom in the body frame (which needs the centre of mass), stores it
// and writes the transformed structure.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/BodyFrame.h"
#include "dynamics/species/ChargeRules.h"
#include "dynamics/species/ChargesFile.h"
#include "dynamics/species/Elements.h"
#include "dynamics/species/PdbLines.h"
#include "dynamics/species/StructureLine.h"
#include "dynamics/species/TextLines.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

namespace {

struct ReadSettings {
    int model = 0;              // "pdb_model": 0 or less reads the first model
    std::string chains;         // "pdb_chainID": chains kept; empty keeps all
    bool pqr = false;           // "pqr": charges in columns 55 on
    bool topology = false;      // "itp": the charges file is a topology
    bool auto_charge = false;   // "auto_charge": titration charges for atoms without one
    bool round_charge = false;  // "Calculation.round_charge"
};

ReadSettings read_settings(const Section* section, const Section* root) {
    ReadSettings s;
    if (section != nullptr) {
        section->GetInt(s.model, "pdb_model");
        if (const char* chains = section->GetString("pdb_chainID")) s.chains = chains;
        int pqr = 0;
        section->GetInt(pqr, "pqr");
        s.pqr = pqr != 0;
        section->GetBool(s.topology, "itp");
        section->GetBool(s.auto_charge, "auto_charge");
    }
    if (root != nullptr) root->GetBool(s.round_charge, "Calculation.round_charge");
    return s;
}

// The titration charge of an atom without one: the last rule for its
// residue and atom names that applies here (amino-terminus rules only in a
// chain's first residue); none when no rule matches.
std::optional<float> rule_charge(const AtomLine& atom, bool first_residue) {
    std::optional<float> charge;
    for (const CHARGE_RULE& rule : charge_rules)
        if (atom.residue_name == rule.residue && atom.atom_name == rule.atom && (rule.n_term == 0 || first_residue))
            charge = rule.charge;
    return charge;
}

double rounded_to_grid(double c, double h) { return h * std::floor(c / h + 0.5); }

enum class Pass { count, fill };

class StructureReader {
public:
    StructureReader(PDcalc& engine, PROT_CLASS& species, bool write_structure)
        : engine_(engine), species_(species), write_structure_(write_structure) {}

    void read();

private:
    // What one pass keeps from atom to atom.
    struct PassState {
        bool in_model = false;
        std::optional<char> chain;        // the previous atom's chain
        int res_seq = -1;                 // the previous atom's residue number
        bool first_residue = true;        // the atom is in its chain's first residue
        int atoms = 0;
        int charges = 0;
        int residues = 0;
        // Alternate locations: the residue (chain, number) whose location is
        // chosen, and that location.
        std::optional<std::pair<char, int>> located_residue;
        char location = ' ';
    };

    // Lines and atoms that a pass leaves out, reported after the first.
    struct Skipped {
        int unparsed = 0;
        int first_unparsed_line = 0;
        int other_locations = 0;
    };

    void open_files();
    void run_pass(Pass pass);
    bool keep_location(PassState& state, const AtomLine& atom);
    float atom_charge(const AtomLine& atom, std::string_view line, bool first_residue);
    void count_atom(const AtomLine& atom, const Element& element, float q);
    void fill_atom(PassState& state, const AtomLine& atom, std::string_view line, const Element& element, float q,
                   bool new_residue);
    void finish_counting();
    void finish_filling();
    void report_skipped();

    PDcalc& engine_;
    PROT_CLASS& species_;
    bool write_structure_;
    ReadSettings settings_;
    std::string pdb_name_;
    std::optional<std::string> charges_name_;
    std::optional<std::string> out_name_;
    std::ifstream structure_;
    std::optional<ChargesFile> charges_;
    FilePtr out_;
    bool oxt_seen_ = false;
    double total_charge_ = 0;
    POINT3D farthest_{0, 0, 0};
    Skipped skipped_;
    PassState counted_;
};

void StructureReader::read() {
    open_files();
    run_pass(Pass::count);
    finish_counting();
    run_pass(Pass::fill);
    finish_filling();
}

void StructureReader::open_files() {
    const std::optional<std::string> pdb =
        engine_.make_prot_filename(species_, "pdb", "%s.pdb", engine_.in_folder);
    charges_name_ = engine_.make_prot_filename(species_, "charges", "%s.charges", engine_.in_folder);
    out_name_ = engine_.make_prot_filename(species_, "pdb_out", "%s.out.pdb", engine_.out_folder);
    if (!pdb) {
        LOG_ERROR("no pdb structure for %s specified", species_.name.c_str());
        throw "PDB not specified";
    }
    pdb_name_ = *pdb;

    const Section* root = engine_.config ? engine_.config.get() : nullptr;
    settings_ = read_settings(species_.section, root);
    LOG_MESSAGE("reading %s model %d chain %s%s...", pdb_name_.c_str(), settings_.model, settings_.chains.c_str(),
                settings_.pqr ? " (PQR mode)" : "");

    species_.mass_center = POINT3D{0, 0, 0};
    structure_.open(pdb_name_, std::ios::binary);
    if (!structure_) {
        LOG_ERROR("error opening %s", pdb_name_.c_str());
        throw "failed to open PDB";
    }
    species_.mass = 0;

    if (charges_name_) {
        charges_.emplace();
        if (!charges_->open(*charges_name_, settings_.topology, settings_.pqr)) {
            LOG_WARNING("error opening %s", charges_name_->c_str());
            charges_.reset();
        } else {
            LOG_MESSAGE("charges %s%s", charges_name_->c_str(), settings_.topology ? " (TOP/ITP mode)" : "");
        }
    }
}

void StructureReader::run_pass(Pass pass) {
    structure_.clear();
    structure_.seekg(0);
    if (charges_) charges_->restart();
    species_.r_max = 0;
    PassState state;
    state.in_model = settings_.model <= 0;

    std::string line;
    for (int line_number = 1; read_text_line(structure_, line); ++line_number) {
        const std::string_view record = record_name(line);
        if (!state.in_model) {
            state.in_model = record == "MODEL" && model_number(line) == settings_.model;
            continue;
        }
        if (record == "ENDMDL") break;
        if (!is_atom_record(record)) continue;

        const std::optional<AtomLine> atom = read_atom_line(line);
        if (!atom) {
            if (pass == Pass::count && skipped_.unparsed++ == 0) skipped_.first_unparsed_line = line_number;
            continue;
        }
        if (!settings_.chains.empty() && settings_.chains.find(atom->chain) == std::string::npos) continue;
        if (!keep_location(state, *atom)) {
            if (pass == Pass::count) ++skipped_.other_locations;
            continue;
        }

        // Atoms of each chain's first residue (for the amino-terminus rules).
        if (state.chain != atom->chain) {
            state.chain = atom->chain;
            state.first_residue = true;
        } else if (state.first_residue) {
            state.first_residue = atom->res_seq == state.res_seq;
        }
        if (atom->atom_name == "OXT") oxt_seen_ = true;

        const float q = atom_charge(*atom, line, state.first_residue);
        const Element element = element_of(line);
        // The first atom always opens a residue, whatever its number.
        const bool new_residue = state.atoms == 0 || atom->res_seq != state.res_seq;
        if (new_residue) ++state.residues;

        if (pass == Pass::count) count_atom(*atom, element, q);
        else fill_atom(state, *atom, line, element, q, new_residue);
        if (std::fabs(q) >= engine_.min_charge) ++state.charges;
        ++state.atoms;
        state.res_seq = atom->res_seq;
    }
    if (pass == Pass::count) counted_ = state;
}

// Of the atoms at alternate locations (column 17), a residue keeps those at
// the first location it lists, so that its atoms form one conformation and
// are counted once.
bool StructureReader::keep_location(PassState& state, const AtomLine& atom) {
    if (atom.alt_loc == ' ') return true;
    const std::pair<char, int> residue{atom.chain, atom.res_seq};
    if (state.located_residue != residue) {
        state.located_residue = residue;
        state.location = atom.alt_loc;
    }
    return atom.alt_loc == state.location;
}

float StructureReader::atom_charge(const AtomLine& atom, std::string_view line, bool first_residue) {
    if (charges_) {
        if (const auto q = charges_->take(atom.serial)) return *q;
    }
    if (const auto q = structure_charge(line, settings_.pqr)) return *q;
    if (settings_.auto_charge) {
        if (const auto q = rule_charge(atom, first_residue)) return *q;
    }
    return 0.0f;
}

void StructureReader::count_atom(const AtomLine& atom, const Element& element, float q) {
    if (element.mass == 0)
        LOG_WARNING("unknown atom %s at %.*s(%d)", element.symbol.c_str(), static_cast<int>(atom.record.size()),
                    atom.record.data(), atom.serial);
    species_.mass += element.mass;
    species_.mass_center += POINT3D{atom.x, atom.y, atom.z} * element.mass;
    if (std::fabs(q) >= engine_.min_charge) total_charge_ += q;
}

void StructureReader::fill_atom(PassState& state, const AtomLine& atom, std::string_view line, const Element& element,
                                float q, bool new_residue) {
    const POINT3D b = body_position(species_, POINT3D{atom.x, atom.y, atom.z});
    const double distance = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
    if (distance > species_.r_max) {
        species_.r_max = distance;
        farthest_ = b;
    }
    const double radius = element.radius > 0 ? element.radius : engine_.VdW_r;
    const double r = radius * 1e-10;
    engine_.max_atom_r = std::max(engine_.max_atom_r, r);

    const ATOM stored{b.x, b.y, b.z, r, q, element.mass, atom.serial, atom.res_seq, state.residues - 1};
    species_.atoms.push_back(stored);
    const int index = state.atoms;
    if (new_residue) {
        species_.residues.push_back(RESIDUE{{0, 0, 0}, 0, index, index});
        if (state.residues >= 2 && index > 0)
            engine_.residue_build_r(species_, species_.residues[static_cast<std::size_t>(state.residues - 2)],
                                    index - 1);
    }
    species_.pdb_lines.push_back(make_pdb_line(line, q, radius));
    if (out_) std::fputs(pdb_line_at(species_.pdb_lines.back(), b * 1e10).c_str(), out_.get());

    if (std::fabs(q) >= engine_.min_charge) {
        ATOM charge = stored;
        if (settings_.round_charge) {
            charge.x = rounded_to_grid(charge.x, engine_.h);
            charge.y = rounded_to_grid(charge.y, engine_.h);
            charge.z = rounded_to_grid(charge.z, engine_.h);
        }
        species_.charges.push_back(charge);
    }
}

void StructureReader::finish_counting() {
    if (!(species_.mass > 0)) {
        LOG_ERROR("mass=0");
        throw "mass=0";
    }
    species_.mass_center /= species_.mass;
    species_.atoms_n = counted_.atoms;
    species_.charges_n = counted_.charges;
    species_.residues_n = counted_.residues;
    report_skipped();

    if (processorID == 0 && out_name_ && write_structure_) {
        out_ = fopen_share(*out_name_, "w+", engine_.no_overwrite, true);
        if (out_) LOG_MESSAGE("writing %s ...", out_name_->c_str());
    }
    LOG_MESSAGE("mass=%.0f, %d atoms, %d charges, %d residues", species_.mass, species_.atoms_n, species_.charges_n,
                species_.residues_n);
    LOG_MESSAGE("mass_center=( x=%f, y=%f, z=%f )", species_.mass_center.x, species_.mass_center.y,
                species_.mass_center.z);
    LOG_MESSAGE("total_charge=%f", total_charge_);

    const auto reserve = [](auto& v, int n) {
        v.clear();
        v.reserve(static_cast<std::size_t>(n));
    };
    reserve(species_.atoms, species_.atoms_n);
    reserve(species_.charges, species_.charges_n);
    reserve(species_.residues, species_.residues_n);
    reserve(species_.pdb_lines, species_.atoms_n);
}

// Lines and charges that the first pass could not use: reported once, never
// dropped silently.
void StructureReader::report_skipped() {
    if (skipped_.unparsed > 0)
        LOG_WARNING("%d atom lines of %s do not parse and were skipped (the first is line %d)", skipped_.unparsed,
                    pdb_name_.c_str(), skipped_.first_unparsed_line);
    if (skipped_.other_locations > 0)
        LOG_WARNING("%d atoms of %s at alternate locations were skipped: each residue keeps the atoms at its first "
                    "location",
                    skipped_.other_locations, pdb_name_.c_str());
    if (!charges_) return;
    if (charges_->charge_failures() > 0)
        LOG_WARNING("%d lines of %s have no charge that parses; their atoms have charge 0",
                    charges_->charge_failures(), charges_name_->c_str());
    if (const auto serial = charges_->pending()) {
        const int unused = charges_->unused_lines();
        LOG_WARNING("%d charges of %s were not used: no atom read has serial %d, which the charges after it wait for",
                    unused, charges_name_->c_str(), *serial);
    }
}

void StructureReader::finish_filling() {
    // Counts as stored (they equal the first pass's unless the file changed
    // in between).
    species_.atoms_n = static_cast<std::int32_t>(species_.atoms.size());
    species_.charges_n = static_cast<std::int32_t>(species_.charges.size());
    species_.residues_n = static_cast<std::int32_t>(species_.residues.size());
    if (species_.residues_n > 0 && species_.atoms_n > 0)
        engine_.residue_build_r(species_, species_.residues.back(), species_.atoms_n - 1);
    if (species_.r_max > 0) {
        const POINT3D u = farthest_ / species_.r_max;
        LOG_MESSAGE("max R=%e (Rx=%e, Ry=%e, Rz=%e)", species_.r_max, u.x, u.y, u.z);
    } else {
        LOG_WARNING("max R=0");
    }
    if (!oxt_seen_) LOG_WARNING("no OXT found");
    if (species_.charges_n == 0) LOG_WARNING("no charged atoms found");
    if (out_ && (std::fflush(out_.get()) != 0 || std::ferror(out_.get()) != 0))
        LOG_WARNING("could not write %s", out_name_->c_str());
}

}  // namespace

void PDcalc::pdb_read(PROT_CLASS& species, bool write_structure) {
    species.atoms.clear();
    species.charges.clear();
    species.residues.clear();
    species.pdb_lines.clear();
    StructureReader(*this, species, write_structure).read();
}

// The smallest atom-atom distance of every residue pair of two species in
// their structure files, the native contacts it defines and its text file.
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/species/BodyFrame.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

namespace {

// Residue pairs of A and B, A's residues running fastest: cell
// a + b · residues of A.
struct ResidueMap {
    std::size_t rows_of_a;
    std::vector<double> cells;  // ångström
};

std::size_t residue_of(const PROT_CLASS& s, const ATOM& atom) {
    if (atom.residue < 0 || atom.residue >= s.residues_n)
        throw std::logic_error(format("species %s: atom %d in residue %d outside its %d residues", s.name.c_str(),
                                      atom.serial, atom.residue, s.residues_n));
    return static_cast<std::size_t>(atom.residue);
}

ResidueMap smallest_distances(const PROT_CLASS& A, const PROT_CLASS& B) {
    const auto na = static_cast<std::size_t>(std::max(A.residues_n, 0));
    const auto nb = static_cast<std::size_t>(std::max(B.residues_n, 0));
    ResidueMap map{na, std::vector<double>(na * nb, std::numeric_limits<double>::infinity())};
    std::vector<POINT3D> positions_a;
    positions_a.reserve(A.atoms.size());
    for (const ATOM& a : A.atoms) positions_a.push_back(structure_position(A, {a.x, a.y, a.z}));
    for (const ATOM& b : B.atoms) {
        const POINT3D pb = structure_position(B, {b.x, b.y, b.z});
        const std::size_t row = residue_of(B, b) * na;
        for (std::size_t i = 0; i < A.atoms.size(); ++i) {
            const POINT3D d = pb - positions_a[i];
            double& cell = map.cells[residue_of(A, A.atoms[i]) + row];
            cell = std::min(cell, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
        }
    }
    return map;
}

// Every cell as "%f\t", a line end after each row of A's residues but the
// last.
std::string map_text(const ResidueMap& map) {
    std::string text;
    for (std::size_t i = 0; i < map.cells.size(); ++i) {
        text += format("%f\t", map.cells[i]);
        if ((i + 1) % map.rows_of_a == 0 && i + 1 < map.cells.size()) text += '\n';
    }
    return text;
}

}  // namespace

void PDcalc::residues_distance_map(PROT_CLASS* A, PROT_CLASS* B, const std::optional<std::string>& file) {
    const ResidueMap map = smallest_distances(*A, *B);

    if (residue_contact_range > 0) {
        CLASS_PAIR& pair =
            model.pairs.at(pair_index(model, std::max(A->index, B->index), std::min(A->index, B->index)));
        const double native_range = residue_contact_range * 1e10;
        pair.native.assign(map.cells.size(), 0);
        pair.native_n = 0;
        for (std::size_t i = 0; i < map.cells.size(); ++i)
            if (map.cells[i] < native_range) {
                pair.native[i] = 1;
                ++pair.native_n;
            }
        LOG_MESSAGE("%d native contacts", pair.native_n);
    }

    if (!file) return;
    const FilePtr out = fopen_share(*file, "w+", no_overwrite, true);
    if (out == nullptr) return;
    const std::string text = map_text(map);
    if (std::fwrite(text.data(), 1, text.size(), out.get()) != text.size() || std::fflush(out.get()) != 0)
        LOG_ERROR("failed to write %s", file->c_str());
}

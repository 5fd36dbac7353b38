// The narrow collision tests between two instances, each true (nonzero) on
// the first overlap it finds. The spheres, surface and atoms stages move the
// elements of one instance (the source: the one with fewer elements, on a
// tie the one with the lower index) one at a time into the other's body
// frame, where the target's elements are used as stored.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/FrameMover.h"
#include "dynamics/species/GridIndex.h"

namespace {

double distance2(const POINT3D& a, const POINT3D& b) {
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

double norm(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// p and q as source and target of a stage: the source is the instance whose
// species has fewer of the stage's elements (`elements` of a species), on a
// tie the one with the lower index.
struct Roles {
    PROT* source;
    PROT* target;
    const PROT_CLASS& source_species;
    const PROT_CLASS& target_species;
};

template <class Elements>
Roles roles(const PROFILE& model, PROT* p, PROT* q, Elements elements) {
    const PROT_CLASS& p_species = model.species[static_cast<std::size_t>(p->species)];
    const PROT_CLASS& q_species = model.species[static_cast<std::size_t>(q->species)];
    const std::size_t p_count = elements(p_species).size();
    const std::size_t q_count = elements(q_species).size();
    const bool p_is_source = p_count < q_count || (p_count == q_count && p->index < q->index);
    return p_is_source ? Roles{p, q, p_species, q_species} : Roles{q, p, q_species, p_species};
}

double spheres_reach(const std::vector<SPHERE>& spheres) {
    double reach = 0.0;
    for (const SPHERE& s : spheres) reach = std::max(reach, norm(s.x, s.y, s.z) + s.r);
    return reach;
}

double atoms_reach(const PROT_CLASS& species) {
    if (species.atom_grid.matches(species.atoms)) return species.atom_grid.reach;
    double reach = 0.0;
    for (const ATOM& a : species.atoms) reach = std::max(reach, norm(a.x, a.y, a.z) + a.r);
    return reach;
}

double residues_reach(const std::vector<RESIDUE>& residues) {
    double reach = 0.0;
    for (const RESIDUE& r : residues) reach = std::max(reach, norm(r.center.x, r.center.y, r.center.z) + r.r);
    return reach;
}

// Whether the cell box of a species holds a nonzero cell at the body point
// b: cell (trunc(b.x / h − cells_ox), ...), truncated toward zero.
bool in_flagged_cell(const PROT_CLASS& s, const POINT3D& b, double h) {
    const double cx = b.x / h - s.cells_ox;
    const double cy = b.y / h - s.cells_oy;
    const double cz = b.z / h - s.cells_oz;
    // Truncation toward zero maps (−1, n) onto the cells 0 to n − 1.
    if (!(cx > -1.0 && cx < s.cells_nx && cy > -1.0 && cy < s.cells_ny && cz > -1.0 && cz < s.cells_nz))
        return false;
    return s.cells[cells_index(s, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(cz))] != 0;
}

bool cells_complete(const PROT_CLASS& s) {
    return s.cells_nx > 0 && s.cells_ny > 0 && s.cells_nz > 0 &&
           s.cells.size() >= static_cast<std::size_t>(s.cells_nx) * static_cast<std::size_t>(s.cells_ny) *
                                 static_cast<std::size_t>(s.cells_nz);
}

}  // namespace

int PDcalc::collision3D_spheres(PROT* p, PROT* q) {
    const Roles r = roles(model, p, q, [](const PROT_CLASS& s) -> const auto& { return s.spheres; });
    const PROT_CLASS& source = r.source_species;
    const PROT_CLASS& target = r.target_species;
    if (source.spheres.empty() || target.spheres.empty()) return 0;
    const COMPARTMENT* compartment = compartment_of(target);
    const FrameMover mover(*r.source, *r.target, compartment);
    const ReachFilter filter(*r.source, *r.target, compartment, spheres_reach(source.spheres),
                             spheres_reach(target.spheres));
    for (const SPHERE& s : source.spheres) {
        if (filter.out_of_reach(s, s.r)) continue;
        const POINT3D moved = mover.move(s);
        for (const SPHERE& t : target.spheres) {
            const double limit = t.r + s.r;
            if (distance2(t, moved) < limit * limit) return 1;
        }
    }
    return 0;
}

int PDcalc::collision3D_surface(PROT* p, PROT* q) {
    const Roles r = roles(model, p, q, [](const PROT_CLASS& s) -> const auto& { return s.surf_points; });
    const PROT_CLASS& source = r.source_species;
    const PROT_CLASS& target = r.target_species;
    if (!cells_complete(target)) return 0;
    const FrameMover mover(*r.source, *r.target, compartment_of(target));
    for (const POINT3D& point : source.surf_points)
        if (in_flagged_cell(target, mover.move(point), h)) return 1;
    return 0;
}

int PDcalc::collision3D_atoms(PROT* p, PROT* q) {
    const Roles r = roles(model, p, q, [](const PROT_CLASS& s) -> const auto& { return s.atoms; });
    const PROT_CLASS& source = r.source_species;
    const PROT_CLASS& target = r.target_species;
    if (source.atoms.empty() || target.atoms.empty()) return 0;
    const COMPARTMENT* compartment = compartment_of(target);
    const FrameMover mover(*r.source, *r.target, compartment);
    const AtomGrid& grid = target.atom_grid;

    if (!grid.matches(target.atoms)) {
        // No cell list: every pair of atoms.
        for (const ATOM& s : source.atoms) {
            const POINT3D moved = mover.move(POINT3D{s.x, s.y, s.z});
            for (const ATOM& t : target.atoms) {
                const double limit = t.r + s.r;
                if (distance2(POINT3D{t.x, t.y, t.z}, moved) < limit * limit) return 1;
            }
        }
        return 0;
    }

    const ReachFilter filter(*r.source, *r.target, compartment, atoms_reach(source), grid.reach);
    for (const ATOM& s : source.atoms) {
        const POINT3D body{s.x, s.y, s.z};
        if (filter.out_of_reach(body, s.r)) continue;
        if (grid.overlaps(mover.move(body), s.r)) return 1;
    }
    return 0;
}

// Residue against residue, then atom against atom within residue pairs that
// come closer than their radii and two of the largest atom radii. A is the
// instance of the lower species index (p on a tie); A's residues and atoms
// are moved into B's frame, where B's are used as stored.
int PDcalc::collision3D_residues(PROT* p, PROT* q) {
    PROT* a_instance = q->species < p->species ? q : p;
    PROT* b_instance = a_instance == p ? q : p;
    const PROT_CLASS& A = model.species[static_cast<std::size_t>(a_instance->species)];
    const PROT_CLASS& B = model.species[static_cast<std::size_t>(b_instance->species)];
    if (A.residues.empty() || B.residues.empty()) return 0;
    const COMPARTMENT* compartment = compartment_of(B);
    const FrameMover mover(*a_instance, *b_instance, compartment);
    const double margin = 2.0 * max_atom_r;
    const ReachFilter filter(*a_instance, *b_instance, compartment, residues_reach(A.residues) + margin,
                             residues_reach(B.residues) + margin);
    const ATOM* a_atoms = A.atoms.data();
    const ATOM* b_atoms = B.atoms.data();
    const auto a_count = static_cast<std::int32_t>(A.atoms.size());
    const auto b_count = static_cast<std::int32_t>(B.atoms.size());

    // The atoms of the current residue of A, moved once for all residues of
    // B it meets (residues of more atoms are moved atom by atom).
    constexpr std::int32_t cached_atoms = 64;
    POINT3D moved[cached_atoms];
    for (const RESIDUE& a : A.residues) {
        if (filter.out_of_reach(a.center, a.r)) continue;
        const POINT3D a_centre = mover.move(a.center);
        const std::int32_t a_first = std::max(a.first, 0);
        const std::int32_t a_last = std::min(a.last, a_count - 1);
        const bool cache = a_last - a_first < cached_atoms;
        bool cached = false;
        for (const RESIDUE& b : B.residues) {
            const double reach = margin + a.r + b.r;
            if (!(distance2(a_centre, b.center) < reach * reach)) continue;
            if (cache && !cached) {
                for (std::int32_t i = a_first; i <= a_last; ++i)
                    moved[i - a_first] = mover.move(POINT3D{a_atoms[i].x, a_atoms[i].y, a_atoms[i].z});
                cached = true;
            }
            const std::int32_t b_first = std::max(b.first, 0);
            const std::int32_t b_last = std::min(b.last, b_count - 1);
            for (std::int32_t i = a_first; i <= a_last; ++i) {
                const ATOM& ai = a_atoms[i];
                const POINT3D mi = cache ? moved[i - a_first] : mover.move(POINT3D{ai.x, ai.y, ai.z});
                // No atom of b reaches farther than its sphere and the
                // largest atom radius.
                const double b_reach = ai.r + margin / 2 + b.r;
                if (!(distance2(mi, b.center) < b_reach * b_reach)) continue;
                for (std::int32_t j = b_first; j <= b_last; ++j) {
                    const ATOM& bj = b_atoms[j];
                    const double limit = ai.r + bj.r;
                    if (distance2(POINT3D{bj.x, bj.y, bj.z}, mi) < limit * limit) return 1;
                }
            }
        }
    }
    return 0;
}

// Residue contacts between two instances, counted into a histogram.
//
// A residue a of the first instance touches residue b of the second when
// their spheres come within the contact range of each other and some atom of
// a lies within the contact range of some atom of b. Each residue of the first
// instance counts at most once a call, with the first residue of the second
// it touches, in residue order.
//
// The step loop calls this for every close pair of instances, so it prunes
// before it measures: a residue can only touch the other instance if it lies
// within the contact range of the other's residue reach (the largest
// |centre| + r of its residues), by the triangle inequality, which holds for
// minimum-image distances too. What is pruned could never have counted, so
// the result is that of the plain scan over all residue pairs.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/ContactStatistics.h"
#include "utils/Format.h"

namespace {

// Rounding must not prune a residue pair that the exact test would accept.
constexpr double prune_slack = 1.0 + 1e-9;

// The largest |centre| + r of a species' residues: no atom centre of the
// species lies farther from its body origin.
double residue_reach(const PROT_CLASS& s) {
    double reach = 0;
    for (const RESIDUE& residue : s.residues)
        reach = std::max(reach, getDistance(residue.center, POINT3D{}, nullptr) + residue.r);
    return reach;
}

// Whether a lies closer than `range` to b, with slack for rounding.
bool may_reach(const POINT3D& a, const POINT3D& b, double range, const COMPARTMENT* c) {
    const double limit = range * prune_slack;
    return getDistance2(a, b, c) < limit * limit;
}

void check_residue(const PROT_CLASS& s, const RESIDUE& residue) {
    if (residue.first < 0 || residue.last < residue.first || residue.last >= s.atoms_n ||
        static_cast<std::size_t>(residue.last) >= s.atoms.size())
        throw std::logic_error(format("species %s: residue atoms %d to %d outside its %d atoms", s.name.c_str(),
                                      residue.first, residue.last, s.atoms_n));
}

void check_shape(const histogram& counts, const ContactOrder& order) {
    const auto consistent = [](const PROT_CLASS& s) {
        return s.residues_n >= 0 && static_cast<std::size_t>(s.residues_n) <= s.residues.size();
    };
    if (!consistent(order.first) || !consistent(order.second) || !fits_contact_statistics(counts, order))
        throw std::logic_error(format("residue contact histogram of %ld x %ld bins does not fit species %s "
                                      "(%d residues) and %s (%d residues)",
                                      static_cast<long>(counts.bin_count(0)), static_cast<long>(counts.bin_count(1)),
                                      order.first.name.c_str(), order.first.residues_n, order.second.name.c_str(),
                                      order.second.residues_n));
}

// World positions of a residue's atoms, appended to `out`.
void append_atoms(std::vector<POINT3D>& out, const PROT_CLASS& s, const RESIDUE& residue, const PROT& instance) {
    for (int i = residue.first; i <= residue.last; ++i) {
        const ATOM& atom = s.atoms[static_cast<std::size_t>(i)];
        out.push_back(POINT3D{atom.x, atom.y, atom.z}.fromInternal(instance));
    }
}

// Whether some atom of `own` lies within the contact range of some atom of
// `other`.
bool atoms_touch(const std::vector<POINT3D>& own, const POINT3D* other, std::int32_t other_count, double range2,
                 const COMPARTMENT* c) {
    for (const POINT3D& a : own)
        for (std::int32_t j = 0; j < other_count; ++j)
            if (getDistance2(a, other[j], c) < range2) return true;
    return false;
}

struct ContactScan {
    const PROT& A;
    const PROT_CLASS& sa;
    const PROT& B;
    const PROT_CLASS& sb;
    const COMPARTMENT* c;
    double range;
    double range2;
};

// The residues of B that may touch A, in order, with their atoms.
void gather_near_residues(const ContactScan& scan, ContactScratch& scratch) {
    scratch.near.clear();
    scratch.near_atoms.clear();
    const POINT3D centre_a{scan.A.x, scan.A.y, scan.A.z};
    const double reach_a = residue_reach(scan.sa);
    for (std::int32_t b = 0; b < scan.sb.residues_n; ++b) {
        const RESIDUE& residue = scan.sb.residues[static_cast<std::size_t>(b)];
        const POINT3D centre = residue.center.fromInternal(scan.B);
        if (!may_reach(centre, centre_a, scan.range + reach_a + residue.r, scan.c)) continue;
        check_residue(scan.sb, residue);
        const auto first = static_cast<std::int32_t>(scratch.near_atoms.size());
        append_atoms(scratch.near_atoms, scan.sb, residue, scan.B);
        scratch.near.push_back({centre, residue.r, b, first, residue.last - residue.first + 1});
    }
}

// The first near residue of B that residue a of A touches, or -1.
std::int32_t first_touching(const ContactScan& scan, const RESIDUE& residue, const POINT3D& centre,
                            ContactScratch& scratch) {
    bool atoms_ready = false;
    for (const ContactScratch::NearResidue& other : scratch.near) {
        if (!(scan.range + residue.r + other.r > getDistance(centre, other.centre, scan.c))) continue;
        if (!atoms_ready) {
            scratch.residue_atoms.clear();
            append_atoms(scratch.residue_atoms, scan.sa, residue, scan.A);
            atoms_ready = true;
        }
        if (atoms_touch(scratch.residue_atoms, &scratch.near_atoms[static_cast<std::size_t>(other.first_atom)],
                        other.atom_count, scan.range2, scan.c))
            return other.index;
    }
    return -1;
}

void count_contacts(const ContactScan& scan, ContactScratch& scratch, histogram& counts) {
    gather_near_residues(scan, scratch);
    if (scratch.near.empty()) return;
    const POINT3D centre_b{scan.B.x, scan.B.y, scan.B.z};
    const double reach_b = residue_reach(scan.sb);
    for (std::int32_t a = 0; a < scan.sa.residues_n; ++a) {
        const RESIDUE& residue = scan.sa.residues[static_cast<std::size_t>(a)];
        const POINT3D centre = residue.center.fromInternal(scan.A);
        if (!may_reach(centre, centre_b, scan.range + residue.r + reach_b, scan.c)) continue;
        check_residue(scan.sa, residue);
        const std::int32_t b = first_touching(scan, residue, centre, scratch);
        if (b < 0) continue;
        const int cell[2] = {a, b};
        counts.add(cell);
    }
}

}  // namespace

void PDcalc::residues_in_range(PROT* p, PROT* q, histogram* counts, bool /*unused*/) {
    if (residue_contact_range <= 0 || counts == nullptr) return;
    // The instance of the lower species index first (p when equal): the
    // histogram's counting order.
    const PROT& A = q->species < p->species ? *q : *p;
    const PROT& B = &A == p ? *q : *p;
    const PROT_CLASS& sa = model.species.at(static_cast<std::size_t>(A.species));
    const PROT_CLASS& sb = model.species.at(static_cast<std::size_t>(B.species));
    check_shape(*counts, ContactOrder{sa, sb});
    const ContactScan scan{A, sa, B, sb, compartment_of(sb), residue_contact_range, residue_contact_range2};
    count_contacts(scan, contact_scratch, *counts);
}

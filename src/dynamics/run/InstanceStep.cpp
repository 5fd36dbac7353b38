// One time step of the scene: every instance in turn is tested against every
// other (reactions, residue contacts, electrostatic drift), then moved by its
// drift plus a Brownian displacement and rotation, with collisions cut back
// and the centre wrapped into a periodic box. Instances move one after
// another, so later ones see the new places of earlier ones.
#include <algorithm>
#include <cmath>

#include "dynamics/PDcalc.h"

namespace {

constexpr double boltzmann = 1.380662e-23;  // J/K

}  // namespace

void PDcalc::step_instances() {
    pair_scan.reserve(static_cast<std::size_t>(active_n), static_cast<std::size_t>(model.species_n));
    pair_scan.load(prots.data(), active_n);
    // The collision tests use the mirror only while the step keeps it
    // current, also when a test throws.
    struct Live {
        explicit Live(PairScan& scan) : scan(scan) { scan.live = true; }
        ~Live() { scan.live = false; }
        PairScan& scan;
    } live(pair_scan);
    for (std::int32_t i = 0; i < active_n; ++i) instance_step(i);
}

void PDcalc::instance_step(std::int32_t i) {
    PROT& p = prots[static_cast<std::size_t>(i)];
    const PROT_CLASS& species = model.species[static_cast<std::size_t>(p.species)];
    const COMPARTMENT* compartment = compartment_of(species);
    // The records of p's species against every species: the record of p
    // against an instance of species s is row[(s + 1) · species_n].
    const CLASS_PAIR* row = model.pairs.data() + p.species;
    const auto species_n = static_cast<std::size_t>(model.species_n);
    double* reach2 = pair_scan.reach2.data();
    for (std::size_t s = 0; s < species_n; ++s) {
        const CLASS_PAIR& pair = row[(s + 1) * species_n];
        reach2[s] = std::max({pair.cutoff2, pair.dock2, pair.contact2});
    }

    // Every other instance stays where it is while p is tested against it,
    // so all distances are taken in one pass.
    pair_scan.distances(p, active_n, compartment);
    const double* d2s = pair_scan.d2.data();
    const std::int32_t* kinds = pair_scan.species.data();

    POINT3D d{0.0, 0.0, 0.0};
    POINT3D w{0.0, 0.0, 0.0};
    for (std::int32_t j = 0; j < active_n; ++j) {
        const auto k = static_cast<std::size_t>(j);
        double d2 = d2s[k];
        // Most pairs are out of every range. An instance against itself
        // uses a record with zero ranges, so nothing happens for it.
        const double reach = reach2[static_cast<std::size_t>(kinds[k])];
        if (!(reach > d2)) {
            if (!std::isnan(d2)) continue;
            d2 = pair_scan.exact(p, j, compartment);
            if (!(reach > d2)) continue;
        }
        if (j == i) continue;
        PROT& q = prots[k];
        const CLASS_PAIR& pair = row[static_cast<std::size_t>(q.species + 1) * species_n];

        for (std::int32_t r = 0; r < pair.reactions_n; ++r)
            if (pair.dock2 > d2) dockpoints_test(pair.reactions[static_cast<std::size_t>(r)], p, q, false);
        if (pair.contact2 > d2 && !p.stopped && !q.stopped) residues_in_range(&p, &q, pair.stats.get());
        if (species.move && !p.stopped && pair.cutoff2 > d2) eforce_prot(d, w, p, q);
    }

    if (species.move && !p.stopped) {
        // Each term is sqrt(2·kT·Δt/f)·N(0,1): the draws have variance 2·Δt.
        const double kT = boltzmann * T;
        const double variance = 2.0 * TimeStep;
        const double g1 = normal_rand(0.0, variance);
        const double g2 = normal_rand(0.0, variance);
        const double g3 = normal_rand(0.0, variance);
        const double g4 = normal_rand(0.0, variance);
        const double g5 = normal_rand(0.0, variance);
        const double g6 = normal_rand(0.0, variance);
        d.x += std::sqrt(kT / species.f_trans_b) * g1;
        d.y += std::sqrt(kT / species.f_trans_b) * g2;
        d.z += std::sqrt(kT / species.f_trans_a) * g3;
        w.z += std::sqrt(kT / species.f_rot_a) * g4;
        w.y += std::sqrt(kT / species.f_rot_b) * g5;
        w.x += std::sqrt(kT / species.f_rot_b) * g6;
    }
    prot_move(p, d, w);
    if (compartment != nullptr) p.translate2bounds(*compartment);
    pair_scan.update(i, p);
}

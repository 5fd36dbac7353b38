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

// Lays the cells of every compartment that holds a species, wide enough for
// each pick the step makes for an instance of those species: the widest
// range of a pair record (drift, dock points, contacts) and the widest
// collision radius.
void lay_neighbour_cells(const PROFILE& model, PairScan& scan, std::int32_t instances) {
    const auto species_n = static_cast<std::size_t>(model.species_n);
    for (std::size_t k = 0; k < model.compartments.size(); ++k) {
        double widest = -1.0;
        for (std::size_t a = 0; a < species_n; ++a) {
            if (model.species[a].compartment != static_cast<std::int32_t>(k)) continue;
            for (std::size_t s = 0; s < species_n; ++s) {
                const CLASS_PAIR& pair = model.pairs[(s + 1) * species_n + a];
                widest = std::max({widest, pair.cutoff2, pair.dock2, pair.contact2, pair.outer2});
            }
        }
        if (widest >= 0.0) scan.lay_cells(k, &model.compartments[k], widest, instances);
    }
}

}  // namespace

void PDcalc::step_instances() {
    pair_scan.reserve(static_cast<std::size_t>(active_n), static_cast<std::size_t>(model.species_n),
                      model.compartments.size());
    pair_scan.load(prots.data(), active_n);
    lay_neighbour_cells(model, pair_scan, active_n);
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
    double widest = 0.0;
    for (std::size_t s = 0; s < species_n; ++s) {
        const CLASS_PAIR& pair = row[(s + 1) * species_n];
        reach2[s] = std::max({pair.cutoff2, pair.dock2, pair.contact2});
        widest = std::max(widest, reach2[s]);
    }

    // Every other instance stays where it is while p is tested against it,
    // so the few instances within the widest range are picked at once: from
    // the cells around p, or by all distances in one pass and a pick.
    const std::size_t near_n = pair_scan.pick_near(p, active_n, widest, compartment);
    pair_scan.resolve_near(p, near_n, compartment);
    // The list also serves p's collision tests while it moves.
    pair_scan.own_near(i, p, widest, near_n);
    const std::int32_t* near = pair_scan.near.data();
    const double* d2s = pair_scan.d2.data();
    const std::int32_t* kinds = pair_scan.species.data();

    // The instances whose field moves p, in the loop's order. The drift of
    // each is begun (drift_cells) one ahead of its sum (drift_add), so that
    // its field's memory loads run while the loop works on the one before.
    std::int32_t* drifting = pair_scan.drifting.data();
    std::size_t drifting_n = 0;
    if (species.move && !p.stopped)
        for (std::size_t m = 0; m < near_n; ++m) {
            const auto k = static_cast<std::size_t>(near[m]);
            const CLASS_PAIR& pair = row[static_cast<std::size_t>(kinds[k] + 1) * species_n];
            if (near[m] != i && pair.cutoff2 > d2s[k]) drifting[drifting_n++] = static_cast<std::int32_t>(m);
        }
    DriftSlot* slots = drift_scratch.slots;
    if (drifting_n > 0) drift_cells(p, prots[static_cast<std::size_t>(near[drifting[0]])], slots[0]);
    std::size_t next = 0;  // the next drift to be summed

    POINT3D d{0.0, 0.0, 0.0};
    POINT3D w{0.0, 0.0, 0.0};
    for (std::size_t m = 0; m < near_n; ++m) {
        const std::int32_t j = near[m];
        const auto k = static_cast<std::size_t>(j);
        const double d2 = d2s[k];
        // An instance against itself uses a record with zero ranges, so
        // nothing happens for it.
        if (!(reach2[static_cast<std::size_t>(kinds[k])] > d2)) continue;
        if (j == i) continue;
        PROT& q = prots[k];
        const CLASS_PAIR& pair = row[static_cast<std::size_t>(q.species + 1) * species_n];

        for (std::int32_t r = 0; r < pair.reactions_n; ++r)
            if (pair.dock2 > d2) dockpoints_test(pair.reactions[static_cast<std::size_t>(r)], p, q, false);
        if (pair.contact2 > d2 && !p.stopped && !q.stopped) residues_in_range(&p, &q, pair.stats.get());
        if (next < drifting_n && drifting[next] == static_cast<std::int32_t>(m)) {
            // A reaction above may have stopped p: its drift then ends.
            if (next + 1 < drifting_n)
                drift_cells(p, prots[static_cast<std::size_t>(near[drifting[next + 1]])], slots[(next + 1) % 2]);
            if (!p.stopped) drift_add(d, w, p, q, slots[next % 2]);
            ++next;
        }
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

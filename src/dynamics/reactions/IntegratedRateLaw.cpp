#include "dynamics/reactions/IntegratedRateLaw.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dynamics/reactions/REACTION.h"
#include "dynamics/species/PROT_CLASS.h"

double integrated_rate_constant(double volume, std::int32_t events, std::int32_t na, std::int32_t nb,
                                bool same_species, double time) {
    const double n = events;
    const double scale = avogadro_litre_factor * volume / time;
    if (same_species) {
        const double N = na;
        return scale * 2.0 * n / (N * (N - 2.0 * n));
    }
    const double a = std::min(na, nb);
    const double b = std::max(na, nb);
    if (a == b) return scale * n / (a * (a - n));
    // ln((b − n)/b) − ln((a − n)/a), accurate while n is small against both.
    return scale / (b - a) * (std::log1p(-n / b) - std::log1p(-n / a));
}

double integrated_rate_constant(const REACTION& reaction, double time) {
    if (reaction.order != 2 || reaction.reactants.size() != 2 || reaction.reactants[0] == nullptr ||
        reaction.reactants[1] == nullptr)
        return std::numeric_limits<double>::quiet_NaN();
    const PROT_CLASS& a = *reaction.reactants[0];
    const PROT_CLASS& b = *reaction.reactants[1];
    return integrated_rate_constant(reaction.volume, reaction.events, a.N, b.N, &a == &b, time);
}

// The apparent rate constant of the reaction logs: the integrated
// second-order law of the two populations.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dynamics/reactions/IntegratedRateLaw.h"
#include "dynamics/reactions/REACTION.h"
#include "dynamics/species/PROT_CLASS.h"

namespace {

constexpr double F = 6.022141793e26;
constexpr double inf = std::numeric_limits<double>::infinity();

// The rate constant recovers k at the time at which each law has consumed
// the logged events: equal populations, different ones in either order, and
// one species reacting with itself (two instances an event).
TEST(IntegratedRateLaw, RecoversTheRateOfItsLaw) {
    constexpr double V = 1e-21;
    constexpr double k = 2.5e9;
    constexpr std::int32_t n = 37;
    struct Case {
        std::int32_t na;
        std::int32_t nb;
        bool same;
    };
    for (const Case c : std::vector<Case>{{100, 100, false}, {100, 400, false}, {400, 100, false}, {300, 300, true}}) {
        SCOPED_TRACE(::testing::Message() << c.na << " " << c.nb << " " << c.same);
        // Concentrations (M) at the start and after n events.
        const double a0 = std::min(c.na, c.nb) / (F * V);
        const double b0 = std::max(c.na, c.nb) / (F * V);
        const double x = n / (F * V);
        double t;
        if (c.same)
            t = (1.0 / (a0 - 2 * x) - 1.0 / a0) / k;  // d[A]/dt = −k[A]²
        else if (a0 == b0)
            t = (1.0 / (a0 - x) - 1.0 / a0) / k;
        else
            t = std::log(a0 * (b0 - x) / (b0 * (a0 - x))) / ((b0 - a0) * k);
        EXPECT_NEAR(integrated_rate_constant(V, n, c.na, c.nb, c.same, t) / k, 1.0, 1e-12);
    }
}

TEST(IntegratedRateLaw, Limits) {
    struct Case {
        std::int32_t events;
        std::int32_t na;
        std::int32_t nb;
        bool same;
        double t;
        double expected;  // NaN: not a number
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {0, 10, 10, false, 1e-9, 0.0},
        {0, 10, 40, false, 1e-9, 0.0},
        {0, 10, 10, false, 0.0, nan},  // no event at time 0
        {1, 10, 10, false, 0.0, inf},
        {10, 10, 10, false, 1e-9, inf},  // every reactant has reacted
        {10, 10, 40, false, 1e-9, inf},  // the smaller population is used up
        {10, 40, 10, false, 1e-9, inf},
        {5, 10, 10, true, 1e-9, inf},  // five events take all ten
        {1, 10, 10, false, 100e-12, F * 1e-24 / (10.0 * 9.0 * 100e-12)},
        {1, 10, 10, true, 100e-12, F * 1e-24 * 2.0 / (10.0 * 8.0 * 100e-12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.events << " of " << c.na << ", " << c.nb << (c.same ? " same" : ""));
        const double k = integrated_rate_constant(1e-24, c.events, c.na, c.nb, c.same, c.t);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(k)) << k;
        else
            EXPECT_DOUBLE_EQ(k, c.expected);
    }
}

// Populations above 46340 overflow 32-bit products; the law is computed in
// floating point.
TEST(IntegratedRateLaw, LargePopulations) {
    const double k = integrated_rate_constant(1e-21, 1, 100000, 100000, false, 1000e-12);
    EXPECT_DOUBLE_EQ(k, F * 1e-21 / (1e5 * (1e5 - 1) * 1000e-12));
}

}  // namespace

namespace {

// A reaction takes the populations of its own reactants, and the law of one
// species when both reactants are the same species; other orders have none.
TEST(IntegratedRateLaw, ReactionTakesItsReactantsPopulations) {
    PROT_CLASS a;
    a.N = 10;
    PROT_CLASS b;
    b.N = 40;
    REACTION r;
    r.order = 2;
    r.volume = 1e-24;
    r.events = 1;
    r.reactants = {&a, &b};
    EXPECT_DOUBLE_EQ(integrated_rate_constant(r, 1e-10), integrated_rate_constant(1e-24, 1, 10, 40, false, 1e-10));
    r.reactants = {&b, &a};
    EXPECT_DOUBLE_EQ(integrated_rate_constant(r, 1e-10), integrated_rate_constant(1e-24, 1, 40, 10, false, 1e-10));
    r.reactants = {&a, &a};
    EXPECT_DOUBLE_EQ(integrated_rate_constant(r, 1e-10), integrated_rate_constant(1e-24, 1, 10, 10, true, 1e-10));
    r.order = 3;
    r.reactants = {&a, &b, &a};
    EXPECT_TRUE(std::isnan(integrated_rate_constant(r, 1e-10)));
}

}  // namespace

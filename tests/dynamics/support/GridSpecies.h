#pragma once
// A species for the tests of its grids: atoms built in code, a configuration
// section for its file keys, an engine whose folders point into a fresh
// folder, and the process rank set for the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/support/FixtureSpecies.h"
#include "support/TempDir.h"
#include "utils/config/RootSection.h"

namespace dynamics_testing {

// Sets the process rank for one test and restores it.
class RankGuard {
public:
    explicit RankGuard(std::int32_t rank) { processorID = rank; }
    RankGuard(const RankGuard&) = delete;
    RankGuard& operator=(const RankGuard&) = delete;
    ~RankGuard() { processorID = saved_; }

private:
    std::int32_t saved_ = processorID;
};

// An atom of the grid tests: a position (metres, body frame) and a charge.
struct GridAtom {
    POINT3D position;
    double q = 0.0;
};

class GridSpeciesTest : public ::testing::Test {
protected:
    GridSpeciesTest() {
        engine.runtime_folder = dir.file("run-");
        engine.out_folder = dir.file("out-");
        engine.no_overwrite = false;
    }

    // A species named "lys" with these atoms (radius 1.5 Å, carbon mass) on a
    // grid of n cells per edge, without potential, field or permittivity.
    PROT_CLASS make_species(const std::vector<GridAtom>& atoms, int n, int iterations = 500) {
        FixtureOptions options;
        options.name = "lys";
        options.atoms.clear();
        for (const GridAtom& a : atoms) options.atoms.push_back({a.position, 1.5e-10, a.q, 12.0, 0});
        options.pot_n = n;
        PROT_CLASS s = make_fixture_species(options);
        s.pot.clear();
        s.field.clear();
        s.iterations = iterations;
        s.section = section;
        return s;
    }

    void set(const char* key, const char* value) { ASSERT_TRUE(section->SetString(value, key)); }

    testing_support::TempDir dir;
    RankGuard rank{0};
    RootSection root{"t", false};
    Section* section = root.CreateSection("Species.lys");
    PDcalc engine;
};

}  // namespace dynamics_testing

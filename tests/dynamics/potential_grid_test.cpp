// The potential grid of a species: its sources, caches and files, and what
// the potential and its gradient look like.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dynamics/species/GridCell.h"
#include "dynamics/species/PotentialGradient.h"
#include "support/GridSpecies.h"
#include "support/LoggedText.h"

namespace {

using namespace dynamics_testing;
using testing_support::logged_text;
using testing_support::read_file;
using testing_support::write_file;

constexpr double h = 2e-10;

bool contains(const std::string& log, const std::string& line) { return log.find(line + "\n") != std::string::npos; }

class PotentialGrid : public GridSpeciesTest {
protected:
    // The whole step for a species with these charges on an n-cell grid.
    PROT_CLASS electrostatics(const std::vector<GridAtom>& atoms, int n, int iterations = 60,
                              std::string* log = nullptr) {
        PROT_CLASS s = make_species(atoms, n, iterations);
        const std::string text = logged_text([&] { engine.prot_electrostatics(s); });
        if (log != nullptr) *log = text;
        return s;
    }
    double at(const PROT_CLASS& s, int i, int j, int k) const {
        return s.pot[static_cast<std::size_t>(lin(s.pot_n, i, j, k))];
    }
};

// Cache and file names: ionic strength and pH rounded to whole numbers, so
// pH 7.4 and 7.0 share the cache.
TEST_F(PotentialGrid, FileNames) {
    set("pot_bin", "*");
    set("pot", "*");
    set("pot_cube", "*");
    struct Case {
        double I, pH;
        const char* cache;
        const char* text;
    };
    const Case cases[] = {{100.0, 7.4, "run-lys.I=100.pH=7.pot_bin", "out-lys.i=100.pot"},
                          {100.0, 7.0, "run-lys.I=100.pH=7.pot_bin", "out-lys.i=100.pot"},
                          {20.6, 8.6, "run-lys.I=21.pH=9.pot_bin", "out-lys.i=21.pot"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cache);
        engine.I = c.I;
        engine.pH = c.pH;
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directory(dir.path());
        electrostatics({{{0, 0, 0}, 1.0}}, 6, 3);
        EXPECT_TRUE(std::filesystem::exists(dir.file(c.cache)));
        EXPECT_TRUE(std::filesystem::exists(dir.file(c.text)));
        EXPECT_TRUE(std::filesystem::exists(dir.file(std::string(c.text) + ".cube")));
    }
}

// The binary cache: written by the solver, read by the next run with every
// bit, and the gradient derived from it alike.
TEST_F(PotentialGrid, BinaryCacheIsReadBack) {
    set("pot_bin", "*");
    const std::string name = dir.file("run-lys.I=100.pH=7.pot_bin");
    std::string log;
    const PROT_CLASS first = electrostatics({{{0, 0, 0}, 1.0}, {{2e-10, 0, 0}, -0.5}}, 8, 20, &log);
    EXPECT_TRUE(contains(log, "warning: " + name + " wasn't open")) << log;
    EXPECT_TRUE(contains(log, "message: calculating potential ...")) << log;
    EXPECT_TRUE(contains(log, "message: writing " + name + " ...")) << log;
    EXPECT_EQ(std::filesystem::file_size(name), 8u * 512u + 16u);

    const PROT_CLASS second = electrostatics({{{0, 0, 0}, 1.0}, {{2e-10, 0, 0}, -0.5}}, 8, 20, &log);
    EXPECT_TRUE(contains(log, "message: reading " + name + " ...")) << log;
    EXPECT_FALSE(contains(log, "message: calculating potential ...")) << log;
    ASSERT_EQ(second.pot.size(), first.pot.size());
    EXPECT_EQ(std::memcmp(second.pot.data(), first.pot.data(), first.pot.size() * sizeof(double)), 0);
    ASSERT_EQ(second.field.size(), first.field.size());
    EXPECT_EQ(std::memcmp(second.field.data(), first.field.data(), first.field.size() * sizeof(POINT3D)), 0);
}

// A cache that does not hold this grid is refused with "incorrect file" and
// the potential solved anew: fewer values, a grid of another size (more
// values) or step, anything but the record after the values, or a value
// that is not finite. A cache of
// exactly the grid's values without the record is taken.
TEST_F(PotentialGrid, CacheOfAnotherGridIsRefused) {
    set("pot_bin", "*");
    const std::string name = dir.file("run-lys.I=100.pH=7.pot_bin");
    auto doubles = [](std::size_t count, double value) {
        const std::vector<double> v(count, value);
        return std::string(reinterpret_cast<const char*>(v.data()), count * sizeof(double));
    };
    auto record = [](std::int32_t n, double step) {
        std::string r = "ZGRD";
        r.append(reinterpret_cast<const char*>(&n), sizeof n);
        r.append(reinterpret_cast<const char*>(&step), sizeof step);
        return r;
    };
    struct Case {
        const char* what;
        std::string content;
        bool taken;
    };
    const Case cases[] = {
        {"this grid", doubles(216, 0.25) + record(6, h), true},
        {"this grid without the record", doubles(216, 0.25), true},
        {"too short", doubles(215, 0.25), false},
        {"smaller grid", doubles(125, 0.25) + record(5, h), false},
        {"larger grid", doubles(343, 0.25) + record(7, h), false},
        {"larger grid without the record", doubles(343, 0.25), false},
        {"another step", doubles(216, 0.25) + record(6, 1e-10), false},
        {"record of another size", doubles(216, 0.25) + record(7, h), false},
        {"cut record", doubles(216, 0.25) + record(6, h).substr(0, 9), false},
        {"more after the record", doubles(216, 0.25) + record(6, h) + "x", false},
        {"a value that is not a number", doubles(100, 0.25) + doubles(1, std::nan("")) + doubles(115, 0.25), false},
        {"an infinite value", doubles(215, 0.25) + doubles(1, HUGE_VAL) + record(6, h), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_file(name, c.content);
        std::string log;
        const PROT_CLASS s = electrostatics({{{0, 0, 0}, 1.0}}, 6, 5, &log);
        EXPECT_EQ(contains(log, "warning: incorrect file " + name), !c.taken) << log;
        EXPECT_EQ(contains(log, "message: calculating potential ..."), !c.taken) << log;
        if (c.taken) EXPECT_EQ(s.pot, std::vector<double>(216, 0.25));
        else EXPECT_GT(at(s, 3, 3, 3), 0.0);
    }
}

// With the no-overwrite switch a refused cache stays as it is (its write is
// refused), and the next run refuses it again rather than using it.
TEST_F(PotentialGrid, RefusedCacheStaysWithNoOverwrite) {
    set("pot_bin", "*");
    engine.no_overwrite = true;
    const std::string name = dir.file("run-lys.I=100.pH=7.pot_bin");
    write_file(name, std::string(8 * 343, '\0'));
    for (int run = 0; run < 2; ++run) {
        std::string log;
        const PROT_CLASS s = electrostatics({{{0, 0, 0}, 1.0}}, 6, 5, &log);
        EXPECT_TRUE(contains(log, "warning: incorrect file " + name)) << log;
        EXPECT_GT(at(s, 3, 3, 3), 0.0);
    }
    EXPECT_EQ(std::filesystem::file_size(name), 8u * 343u);
}

TEST_F(PotentialGrid, OtherRanksWriteNothing) {
    set("pot_bin", "*");
    set("pot", "*");
    set("pot_cube", "*");
    const RankGuard second(1);
    const PROT_CLASS s = electrostatics({{{0, 0, 0}, 1.0}}, 6, 5);
    EXPECT_GT(at(s, 3, 3, 3), 0.0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(PotentialGrid, TextValues) {
    set("pot", "*");
    const PROT_CLASS s = electrostatics({{{0, 0, 0}, 1.0}}, 3, 1);
    // One sweep: the only interior cell holds the atom (protein, 2) in
    // solvent (80): 2·(4π·1 / 2 Å) / (6·2 + 6·80), in volts.
    EXPECT_DOUBLE_EQ(at(s, 1, 1, 1), 14.39 * (2.0 * 12.566370614359172 / 2.0) / 492.0);
    std::string expected;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) expected += i == 1 && j == 1 && k == 1 ? "3.675408e-01\t" : "0.000000e+00\t";
            expected += "\n";
        }
        expected += "\n";
    }
    EXPECT_EQ(read_file(dir.file("out-lys.i=100.pot")), expected);
}

// Charges beyond the grid are reported and left out; a charge in the outer
// layer of cells has no effect; charges sharing a cell add up.
TEST_F(PotentialGrid, ChargesOutsideTheGridAndInTheOuterLayer) {
    const int n = 8;
    const double below = -(n / 2 + 0.5) * h;
    const POINT3D beside{0.4e-10, 0.1e-10, 0.3e-10}, low{below, below, below}, far{1.0, 0, 0},
        outer{0, 0, (n / 2 - 0.5) * h};
    // The same atoms (so the same permittivity) with one unit charge alone.
    const PROT_CLASS reference =
        electrostatics({{{0, 0, 0}, 1.0}, {beside, 0.0}, {low, 0.0}, {far, 0.0}, {outer, 0.0}}, n, 30);
    std::string log;
    const PROT_CLASS s =
        electrostatics({{{0, 0, 0}, 0.25}, {beside, 0.75}, {low, 5.0}, {far, 5.0}, {outer, 5.0}}, n, 30, &log);
    EXPECT_TRUE(contains(log, "warning: 2 charges of lys lie outside its grid of 8 cells per edge and are left out of "
                              "its potential"))
        << log;
    for (std::size_t p = 0; p < s.pot.size(); ++p) EXPECT_NEAR(s.pot[p], reference.pot[p], 1e-12) << p;
}

TEST_F(PotentialGrid, NoChargesOrNoInteriorGiveZero) {
    for (const int n : {2, 7}) {
        SCOPED_TRACE(n);
        const PROT_CLASS s = electrostatics(n == 2 ? std::vector<GridAtom>{{{0, 0, 0}, 1.0}}
                                                   : std::vector<GridAtom>{{{0, 0, 0}, 0.0}},
                                            n, 10);
        const std::size_t cells = static_cast<std::size_t>(n) * n * n;
        EXPECT_EQ(s.pot, std::vector<double>(cells, 0.0));
        ASSERT_EQ(s.field.size(), cells);
        for (const POINT3D& f : s.field) EXPECT_TRUE(f.x == 0.0 && f.y == 0.0 && f.z == 0.0);
    }
}

// The sweeps keep their configured number; the last one's change is logged,
// and a potential that plainly has not converged is warned about.
TEST_F(PotentialGrid, ConvergenceIsReported) {
    struct Case {
        int sweeps;
        bool warned;
    };
    for (const Case c : {Case{5, true}, Case{400, false}}) {
        SCOPED_TRACE(c.sweeps);
        std::string log;
        electrostatics({{{0, 0, 0}, 1.0}, {{4e-10, 2e-10, 0}, -1.0}}, 20, c.sweeps, &log);
        EXPECT_NE(log.find("message: the last of " + std::to_string(c.sweeps) +
                           " sweeps changed the potential by "),
                  std::string::npos)
            << log;
        EXPECT_EQ(contains(log, "warning: the potential of lys has not converged in " + std::to_string(c.sweeps) +
                                    " sweeps; raise Calculation.N"),
                  c.warned)
            << log;
    }
}

// The potential is odd and linear in the charges: the solver's arithmetic
// is linear, so opposite and doubled charges give exactly the negated and
// doubled grid, and two charges the sum of each alone.
TEST_F(PotentialGrid, SignAndLinearityInTheCharges) {
    const int n = 14;
    const POINT3D a{0, 0, 0}, b{5e-10, -3e-10, 2e-10};
    const PROT_CLASS positive = electrostatics({{a, 1.0}, {b, 0.0}}, n);
    const PROT_CLASS negative = electrostatics({{a, -1.0}, {b, 0.0}}, n);
    const PROT_CLASS doubled = electrostatics({{a, 2.0}, {b, 0.0}}, n);
    const PROT_CLASS other = electrostatics({{a, 0.0}, {b, -0.7}}, n);
    const PROT_CLASS both = electrostatics({{a, 1.0}, {b, -0.7}}, n);
    const std::size_t c = static_cast<std::size_t>(lin(n, n / 2, n / 2, n / 2));
    EXPECT_GT(positive.pot[c], 0.0);
    double largest = 0;
    for (std::size_t p = 0; p < positive.pot.size(); ++p) {
        EXPECT_EQ(negative.pot[p], -positive.pot[p]);
        EXPECT_EQ(doubled.pot[p], 2.0 * positive.pot[p]);
        EXPECT_NEAR(both.pot[p], positive.pot[p] + other.pot[p], 1e-12 * std::fabs(positive.pot[c]));
        largest = std::max(largest, std::fabs(positive.pot[p]));
    }
    EXPECT_EQ(largest, positive.pot[c]);
}

// The field is the gradient itself (not its negative), by central
// differences, zero on the outer layer.
TEST(PotentialGradient, CentralDifferences) {
    const int n = 5;
    std::vector<double> pot(125);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) pot[static_cast<std::size_t>(lin(n, i, j, k))] = 3.0 * i - 2.0 * j * j + 0.5 * k;
    const std::vector<POINT3D> field = potential_gradient(pot, n, 0.5);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const POINT3D f = field[static_cast<std::size_t>(lin(n, i, j, k))];
                const bool outer = i == 0 || j == 0 || k == 0 || i == n - 1 || j == n - 1 || k == n - 1;
                EXPECT_DOUBLE_EQ(f.x, outer ? 0.0 : 6.0);
                EXPECT_DOUBLE_EQ(f.y, outer ? 0.0 : -8.0 * j);
                EXPECT_DOUBLE_EQ(f.z, outer ? 0.0 : 1.0);
            }
}

// The sign through to the motion: a positive charge drifts away from a
// positive species and towards a negative one.
TEST_F(PotentialGrid, LikeChargesRepel) {
    for (const double q : {1.0, -1.0}) {
        SCOPED_TRACE(q);
        PDcalc drift;
        drift.h = h;
        add_box(drift, 1e-7);
        FixtureOptions probe;
        probe.name = "probe";
        probe.atoms = {{{0, 0, 0}, 1.5e-10, 1.0, 12.0, 0}};
        add_species(drift, make_fixture_species(probe));
        add_species(drift, electrostatics({{{0, 0, 0}, q}}, 24, 200));
        add_instance(drift, 0, {6e-10, 0, 0});
        add_instance(drift, 1, {0, 0, 0});
        POINT3D d{0, 0, 0}, w{0, 0, 0};
        drift.eforce_prot(d, w, drift.prots[0], drift.prots[1]);
        EXPECT_EQ(d.x > 0.0, q > 0.0) << d.x;
        EXPECT_NE(d.x, 0.0);
    }
}

}  // namespace

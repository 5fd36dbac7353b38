// The permittivity grid of a species: the solvent fill, the boundary layer,
// atom cells, its text cache and its cube file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/species/GridCell.h"
#include "support/GridSpecies.h"
#include "support/LoggedText.h"
#include "utils/Format.h"

namespace {

using namespace dynamics_testing;
using testing_support::logged_text;
using testing_support::read_file;
using testing_support::write_file;

constexpr double h = 2e-10;

// Atom positions at the centres of the cells of a cubic shell reaching from
// cell `low` to cell `high` on every axis: a closed wall one cell thick.
std::vector<GridAtom> cubic_shell(int n, int low, int high) {
    std::vector<GridAtom> atoms;
    for (int i = low; i <= high; ++i)
        for (int j = low; j <= high; ++j)
            for (int k = low; k <= high; ++k)
                if (i == low || i == high || j == low || j == high || k == low || k == high)
                    atoms.push_back({{cell_centre(i, n, h), cell_centre(j, n, h), cell_centre(k, n, h)}});
    return atoms;
}

// The grid as its definition gives it, found by a search from the corner:
// a cell is open when no atom centre lies within the probe radius of its
// centre; solvent is the corner and every open cell joined to it through
// open cells (26 neighbours); protein cells off the outer layer next to
// solvent are boundary; atom cells are protein.
std::vector<double> expected_grid(const std::vector<GridAtom>& atoms, int n, double probe_r) {
    const auto cells = static_cast<std::size_t>(n) * n * n;
    std::vector<bool> open(cells, true);
    const double r2 = probe_r * probe_r * 1e-20;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                for (const GridAtom& a : atoms) {
                    const double dx = cell_centre(i, n, h) - a.position.x;
                    const double dy = cell_centre(j, n, h) - a.position.y;
                    const double dz = cell_centre(k, n, h) - a.position.z;
                    if (!(dx * dx + dy * dy + dz * dz > r2)) open[static_cast<std::size_t>(lin(n, i, j, k))] = false;
                }
    std::vector<double> eps(cells, 2.0);
    std::deque<GridCell> queue{{0, 0, 0}};
    eps[0] = 80.0;
    while (!queue.empty()) {
        const GridCell c = queue.front();
        queue.pop_front();
        for (int a = c.i - 1; a <= c.i + 1; ++a)
            for (int b = c.j - 1; b <= c.j + 1; ++b)
                for (int d = c.k - 1; d <= c.k + 1; ++d) {
                    if (a < 0 || b < 0 || d < 0 || a >= n || b >= n || d >= n) continue;
                    const auto p = static_cast<std::size_t>(lin(n, a, b, d));
                    if (!open[p] || eps[p] == 80.0) continue;
                    eps[p] = 80.0;
                    queue.push_back({a, b, d});
                }
    }
    std::vector<double> layered = eps;
    for (int i = 1; i < n - 1; ++i)
        for (int j = 1; j < n - 1; ++j)
            for (int k = 1; k < n - 1; ++k) {
                bool touches = false;
                for (int a = i - 1; a <= i + 1; ++a)
                    for (int b = j - 1; b <= j + 1; ++b)
                        for (int d = k - 1; d <= k + 1; ++d) touches |= eps[static_cast<std::size_t>(lin(n, a, b, d))] == 80.0;
                auto& e = layered[static_cast<std::size_t>(lin(n, i, j, k))];
                if (e == 2.0 && touches) e = 40.0;
            }
    for (const GridAtom& a : atoms)
        if (const auto cell = grid_cell(a.position, n, h)) layered[cell->index(n)] = 2.0;
    return layered;
}

std::size_t count(const std::vector<double>& eps, double value) {
    return static_cast<std::size_t>(std::count(eps.begin(), eps.end(), value));
}

class PermittivityGrid : public GridSpeciesTest {};

// A closed shell with a cavity, a loose cloud beside it that the probe
// passes between, and a cup open towards higher i only, which the passes
// (i ascending) fill one layer at a time against their order.
TEST_F(PermittivityGrid, SolventFillBoundaryLayerAndAtomCells) {
    const int n = 16;
    std::vector<GridAtom> atoms = cubic_shell(n, 3, 8);
    for (int a = 0; a < 12; ++a)
        atoms.push_back({{(1.1 + 0.37 * a) * 1e-10, (-9.0 + 1.3 * (a % 4)) * 1e-10, (4.0 - 1.7 * (a % 3)) * 1e-10}});
    for (int i = 1; i <= 7; ++i)
        for (int j = 10; j <= 14; ++j)
            for (int k = 10; k <= 14; ++k)
                if (i == 1 || j == 10 || j == 14 || k == 10 || k == 14)
                    atoms.push_back({{cell_centre(i, n, h), cell_centre(j, n, h), cell_centre(k, n, h)}});
    ASSERT_TRUE(section->SetDouble(1.5, "solvent_r"));
    PROT_CLASS s = make_species(atoms, n);
    const std::string log = logged_text([&] { engine.eps_calc(s); });
    ASSERT_EQ(s.eps.size(), static_cast<std::size_t>(n * n * n));
    const std::vector<double> expected = expected_grid(atoms, n, 1.5);
    for (std::size_t p = 0; p < expected.size(); ++p) ASSERT_EQ(s.eps[p], expected[p]) << "cell " << p;
    // The cavity stays protein, without a layer.
    for (int i = 4; i <= 7; ++i) EXPECT_EQ(s.eps[static_cast<std::size_t>(lin(n, i, 5, 6))], 2.0);
    EXPECT_GT(count(s.eps, 40.0), 0u);

    // One line per pass; the passes add every solvent cell but the corner,
    // and the last adds none.
    const auto start = log.find("message: calculating epsilon ...\nmessage: added ");
    ASSERT_NE(start, std::string::npos) << log;
    std::istringstream lines(log.substr(start));
    std::string line;
    std::getline(lines, line);
    std::size_t added = 0;
    int passes = 0;
    int last = -1;
    for (int cells = -1; std::getline(lines, line) &&
                         std::sscanf(line.c_str(), "message: added %d solvent accessible cells", &cells) == 1;) {
        added += static_cast<std::size_t>(cells);
        last = cells;
        ++passes;
    }
    EXPECT_EQ(last, 0);
    EXPECT_GE(passes, 6);
    EXPECT_EQ(s.eps[static_cast<std::size_t>(lin(n, 2, 12, 12))], 80.0);  // the cup's bottom
    EXPECT_EQ(added + 1, count(s.eps, 80.0));
}

// A probe radius of 0 fills every cell but those holding an atom centre; no
// layer forms, since it is made before the atom cells.
TEST_F(PermittivityGrid, ProbeOfRadiusZero) {
    const int n = 8;
    const std::vector<GridAtom> atoms = {{{0, 0, 0}}, {{3e-10, -1e-10, 5e-10}}, {{3.2e-10, -1.1e-10, 5.1e-10}}};
    ASSERT_TRUE(section->SetDouble(0.0, "solvent_r"));
    PROT_CLASS s = make_species(atoms, n);
    logged_text([&] { engine.eps_calc(s); });
    EXPECT_EQ(count(s.eps, 2.0), 2u);
    EXPECT_EQ(count(s.eps, 40.0), 0u);
    EXPECT_EQ(count(s.eps, 80.0), static_cast<std::size_t>(n * n * n - 2));
}

TEST_F(PermittivityGrid, TwoCellGridHasNoLayer) {
    PROT_CLASS s = make_species({{{-1e-10, -1e-10, -1e-10}}, {{1e-10, 1e-10, 1e-10}}}, 2);
    logged_text([&] { engine.eps_calc(s); });
    // The corner holds the first atom: set to solvent first, protein at the end.
    EXPECT_EQ(s.eps, std::vector<double>({2.0, 80.0, 80.0, 80.0, 80.0, 80.0, 80.0, 2.0}));
}

// Atoms beyond the grid have no cell: they are counted and reported, and the
// grid is not written for them, not even an atom just below the lower faces
// (whose cell index would truncate to 0).
TEST_F(PermittivityGrid, AtomsOutsideTheGridAreReported) {
    const int n = 6;
    const double below = -(n / 2 + 0.5) * h;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    PROT_CLASS s = make_species(
        {{{0, 0, 0}}, {{below, below, below}}, {{1.0, 0, 0}}, {{0, 3 * h, 0}}, {{nan, 0, 0}}, {{0, 0, -3 * h}}}, n);
    ASSERT_TRUE(section->SetDouble(0.0, "solvent_r"));
    const std::string log = logged_text([&] { engine.eps_calc(s); });
    EXPECT_NE(log.find("warning: 4 atoms of lys lie outside its grid of 6 cells per edge and do not mark their cells\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(s.eps[0], 80.0);
    EXPECT_EQ(s.eps[static_cast<std::size_t>(lin(n, 3, 3, 3))], 2.0);
    EXPECT_EQ(s.eps[static_cast<std::size_t>(lin(n, 3, 3, 0))], 2.0);  // z = −3h is the lower face: inside
    EXPECT_EQ(count(s.eps, 2.0), 2u);
}

// The text cache: written by the computation, read back on the next run.
TEST_F(PermittivityGrid, TextCacheIsWrittenAndReadBack) {
    set("epsilon", "*");
    const int n = 7;
    PROT_CLASS s = make_species(cubic_shell(n, 1, 4), n);
    const std::string name = engine.runtime_folder + "lys.epsilon";
    std::string log = logged_text([&] { EXPECT_FALSE(engine.read_eps(s)); });
    EXPECT_EQ(log, "message: reading " + name + " ...\nwarning: " + name + " wasn't open\n");
    log = logged_text([&] { engine.eps_calc(s); });
    EXPECT_NE(log.find("message: writing " + name + " ...\n"), std::string::npos) << log;
    const std::string text = read_file(name);
    EXPECT_EQ(text.substr(0, 3 * n + 1), "80\t80\t80\t80\t80\t80\t80\t\n");
    const std::string tail = "\t\n\n# grid 7 cells per edge, step 2.0000000000000001e-10 m\n";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    PROT_CLASS again = make_species(cubic_shell(n, 1, 4), n);
    log = logged_text([&] { EXPECT_TRUE(engine.read_eps(again)); });
    EXPECT_EQ(log, "message: reading " + name + " ...\n");
    EXPECT_EQ(again.eps, s.eps);
}

// A cache that does not hold this grid is refused with "incorrect file" and
// nothing of it is kept: too few values, a value that is not a number (or
// not a finite, positive one), a grid of another size (more values) or another step, or values followed by
// anything but the record. A cache without the record is taken when it holds
// exactly the grid's number of values.
TEST_F(PermittivityGrid, CacheOfAnotherGridIsRefused) {
    set("epsilon", "*");
    const std::string name = engine.runtime_folder + "lys.epsilon";
    auto values = [](int count, const char* value) {
        std::string text;
        for (int c = 0; c < count; ++c) text += std::string(value) + "\t";
        return text + "\n";
    };
    auto record = [](int n, double step) { return format("# grid %d cells per edge, step %.17g m\n", n, step); };
    struct Case {
        const char* what;
        std::string content;
        bool taken;
    };
    const Case cases[] = {
        {"this grid", values(64, "40") + record(4, h), true},
        {"this grid without the record", values(64, "40"), true},
        {"too short", values(63, "40") + record(4, h), false},
        {"smaller grid", values(27, "40") + record(3, h), false},
        {"larger grid", values(125, "40") + record(5, h), false},
        {"larger grid without the record", values(125, "40"), false},
        {"another step", values(64, "40") + record(4, 1e-10), false},
        {"record of another size", values(64, "40") + record(5, h), false},
        {"not a number", values(30, "40") + "x\t" + values(33, "40"), false},
        {"something else after the values", values(64, "40") + "end\n", false},
        {"not a finite number", values(30, "40") + "nan\t" + values(33, "40") + record(4, h), false},
        {"infinite", values(63, "40") + "inf\t" + record(4, h), false},
        {"not positive", "0\t" + values(63, "40") + record(4, h), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_file(name, c.content);
        PROT_CLASS s = make_species({}, 4);
        bool read = false;
        const std::string log = logged_text([&] { read = engine.read_eps(s); });
        EXPECT_EQ(read, c.taken);
        if (c.taken) {
            EXPECT_EQ(log, "message: reading " + name + " ...\n");
            EXPECT_EQ(s.eps, std::vector<double>(64, 40.0));
        } else {
            EXPECT_EQ(log, "message: reading " + name + " ...\nwarning: incorrect file " + name + "\n");
            EXPECT_TRUE(s.eps.empty());
        }
    }
}

// A refused cache is computed anew and replaced, whatever the no-overwrite
// switch says.
TEST_F(PermittivityGrid, RefusedCacheIsReplaced) {
    set("epsilon", "*");
    engine.no_overwrite = true;
    const std::string name = engine.runtime_folder + "lys.epsilon";
    write_file(name, std::string(125, '8'));
    PROT_CLASS s = make_species({{{0, 0, 0}}}, 4);
    logged_text([&] {
        if (!engine.read_eps(s)) engine.eps_calc(s);
    });
    PROT_CLASS again = make_species({{{0, 0, 0}}}, 4);
    logged_text([&] { EXPECT_TRUE(engine.read_eps(again)); });
    EXPECT_EQ(again.eps, s.eps);
}

TEST_F(PermittivityGrid, NoKeysNoFiles) {
    PROT_CLASS s = make_species({{{0, 0, 0}}}, 4);
    EXPECT_EQ(logged_text([&] { EXPECT_FALSE(engine.read_eps(s)); }).find("reading"), std::string::npos);
    logged_text([&] { engine.eps_calc(s); });
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(PermittivityGrid, OtherRanksWriteNothing) {
    set("epsilon", "*");
    set("epsilon_cube", "*");
    const RankGuard second(1);
    PROT_CLASS s = make_species({{{0, 0, 0}}}, 4);
    logged_text([&] { engine.eps_calc(s); });
    EXPECT_EQ(s.eps.size(), 64u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(PermittivityGrid, CubeFileText) {
    set("epsilon_cube", "*");
    ASSERT_TRUE(section->SetDouble(0.0, "solvent_r"));
    engine.h = 1e-10;
    PROT_CLASS s = make_species({{{-0.5e-10, -0.5e-10, 0.5e-10}}}, 2);
    s.atoms[0].serial = 17;
    const std::string log = logged_text([&] { engine.eps_calc(s); });
    const std::string name = engine.out_folder + "lys.epsilon.cube";
    EXPECT_NE(log.find("message: writing " + name + " ...\n"), std::string::npos) << log;
    EXPECT_EQ(read_file(name),
              "Zelmar CUBE FILE\n"
              "Relative permittivity for lys\n"
              "    1    -0.944863    -0.944863    -0.944863 \n"
              "    2      1.88973            0            0 \n"
              "    2            0      1.88973            0 \n"
              "    2            0            0      1.88973 \n"
              "   17     0    -0.944863    -0.944863     0.944863 \n"
              "          80            2 \n"
              "          80           80 \n"
              "          80           80 \n"
              "          80           80 \n");
}

// What a viewer makes of the cube: the value of grid point (a, b, c) sits at
// origin + (a, b, c) · step. An atom at the centre of a cell must sit on the
// grid point that carries that cell's value (protein), for odd and even grids.
TEST_F(PermittivityGrid, CubeValuesSitAtCellCentres) {
    set("epsilon_cube", "*");
    ASSERT_TRUE(section->SetDouble(0.0, "solvent_r"));
    for (const int n : {3, 4, 7, 10}) {
        SCOPED_TRACE(n);
        const GridCell cell{n - 2, 1, n / 2};
        PROT_CLASS s = make_species({{{cell_centre(cell.i, n, h), cell_centre(cell.j, n, h), cell_centre(cell.k, n, h)}}}, n);
        const std::string name = engine.out_folder + "lys.epsilon.cube";
        std::filesystem::remove(name);
        logged_text([&] { engine.eps_calc(s); });

        std::istringstream cube(read_file(name));
        std::string line;
        std::getline(cube, line);
        std::getline(cube, line);
        int atoms = 0, points[3] = {};
        double origin[3], step[3][3], atom[3], unused;
        cube >> atoms >> origin[0] >> origin[1] >> origin[2];
        for (int axis = 0; axis < 3; ++axis) cube >> points[axis] >> step[axis][0] >> step[axis][1] >> step[axis][2];
        ASSERT_EQ(atoms, 1);
        cube >> unused >> unused >> atom[0] >> atom[1] >> atom[2];
        std::vector<double> values;
        for (double v; cube >> v;) values.push_back(v);
        ASSERT_EQ(values.size(), static_cast<std::size_t>(n * n * n));
        int index[3];
        for (int axis = 0; axis < 3; ++axis) {
            const double at = (atom[axis] - origin[axis]) / step[axis][axis];
            index[axis] = static_cast<int>(std::lround(at));
            EXPECT_NEAR(at, index[axis], 1e-4) << "axis " << axis;
        }
        EXPECT_EQ(index[0], cell.i);
        EXPECT_EQ(index[1], cell.j);
        EXPECT_EQ(index[2], cell.k);
        EXPECT_EQ(values[static_cast<std::size_t>(lin(n, index[0], index[1], index[2]))], 2.0);
    }
}

}  // namespace

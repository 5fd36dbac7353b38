#include "dynamics/species/SphereSelection.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "dynamics/species/GridCell.h"
#include "dynamics/species/GridIndex.h"

namespace covering_spheres {
namespace {

constexpr double score_level = 10.0;          // eps above: the cell counts against a ball
constexpr double heavy_penalty_level = 50.0;  // eps above: it counts twice

// The candidates with what does not change between passes: their cell, ball,
// penalty and the atom cells whose weight they collect, in scan order. The
// lists are flat (compressed rows).
struct CandidateTable {
    std::vector<std::uint32_t> cell;
    std::vector<int> r2;
    std::vector<int> penalty;
    std::vector<std::size_t> first;  // candidate c collects cells[first[c] .. first[c + 1])
    std::vector<std::uint32_t> cells;
};

CandidateTable build_table(const CandidateGrid& candidates, const std::vector<double>& weight,
                           const std::vector<double>& eps, int n, BallOffsets& offsets) {
    CandidateTable table;
    table.first.push_back(0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const auto p = static_cast<std::size_t>(lin(n, i, j, k));
                const double reach = candidates.reach[p];
                if (reach == 0.0) continue;
                const int r2 = candidate_r2(reach);
                int penalty = 0;
                for (const BallOffsets::Offset& o : offsets(r2).touched) {
                    const int ai = i + o[0], aj = j + o[1], ak = k + o[2];
                    if (ai < 0 || ai >= n || aj < 0 || aj >= n || ak < 0 || ak >= n) continue;
                    const auto a = static_cast<std::size_t>(lin(n, ai, aj, ak));
                    if (eps[a] > score_level) {
                        penalty -= eps[a] > heavy_penalty_level ? 2 : 1;
                    } else if (weight[a] != 0.0 && wholly_within(o[0], o[1], o[2], r2)) {
                        table.cells.push_back(static_cast<std::uint32_t>(a));
                    }
                }
                table.cell.push_back(static_cast<std::uint32_t>(p));
                table.r2.push_back(r2);
                table.penalty.push_back(penalty);
                table.first.push_back(table.cells.size());
            }
    return table;
}

// For every atom cell, the candidates that collect it (compressed rows).
struct Collectors {
    std::vector<std::size_t> first;
    std::vector<std::uint32_t> candidates;
};

Collectors build_collectors(const CandidateTable& table, std::size_t cells) {
    Collectors by_cell;
    by_cell.first.assign(cells + 1, 0);
    for (const std::uint32_t a : table.cells) ++by_cell.first[a + 1];
    for (std::size_t a = 0; a < cells; ++a) by_cell.first[a + 1] += by_cell.first[a];
    by_cell.candidates.resize(table.cells.size());
    std::vector<std::size_t> next(by_cell.first.begin(), by_cell.first.end() - 1);
    const std::size_t count = table.cell.size();
    for (std::size_t c = 0; c < count; ++c)
        for (std::size_t e = table.first[c]; e < table.first[c + 1]; ++e)
            by_cell.candidates[next[table.cells[e]]++] = static_cast<std::uint32_t>(c);
    return by_cell;
}

double score_of(const CandidateTable& table, std::size_t c, const std::vector<double>& weight) {
    double score = 0.0;
    for (std::size_t e = table.first[c]; e < table.first[c + 1]; ++e) score += weight[table.cells[e]];
    return score;
}

}  // namespace

std::vector<SPHERE> select_spheres(const CandidateGrid& candidates, std::vector<double>& weight,
                                   const std::vector<double>& eps, int n, double h) {
    BallOffsets offsets;
    const CandidateTable table = build_table(candidates, weight, eps, n, offsets);
    const Collectors collectors = build_collectors(table, weight.size());
    const std::size_t count = table.cell.size();
    std::vector<double> score(count);
    for (std::size_t c = 0; c < count; ++c) score[c] = score_of(table, c, weight);
    std::vector<char> stale(count, 0);
    std::vector<std::uint32_t> stale_list;

    std::vector<SPHERE> spheres;
    for (;;) {
        // The best candidate: above score 0; a tie of score goes to the
        // higher penalty, a full tie to the earlier cell.
        double best_score = 0.0;
        int best_penalty = 0;
        std::size_t best = count;
        for (std::size_t c = 0; c < count; ++c)
            if (score[c] > best_score || (score[c] == best_score && table.penalty[c] > best_penalty)) {
                best_score = score[c];
                best_penalty = table.penalty[c];
                best = c;
            }
        if (best == count) break;

        const auto p = static_cast<int>(table.cell[best]);
        const int i = p / (n * n), j = p / n % n, k = p % n;
        const int r2 = table.r2[best];
        spheres.push_back(SPHERE{{cell_centre(i, n, h), cell_centre(j, n, h), cell_centre(k, n, h)},
                                 std::sqrt((r2 + 0.01) * 0.5) * h});

        // Its atoms are covered: their weight goes, and every candidate that
        // collected them is scored again.
        for (const BallOffsets::Offset& o : offsets(r2).held) {
            const int ai = i + o[0], aj = j + o[1], ak = k + o[2];
            if (ai < 0 || ai >= n || aj < 0 || aj >= n || ak < 0 || ak >= n) continue;
            const auto a = static_cast<std::size_t>(lin(n, ai, aj, ak));
            if (weight[a] == 0.0) continue;
            weight[a] = 0.0;
            for (std::size_t e = collectors.first[a]; e < collectors.first[a + 1]; ++e) {
                const std::uint32_t c = collectors.candidates[e];
                if (!stale[c]) {
                    stale[c] = 1;
                    stale_list.push_back(c);
                }
            }
        }
        for (const std::uint32_t c : stale_list) {
            score[c] = score_of(table, c, weight);
            stale[c] = 0;
        }
        stale_list.clear();
    }
    return spheres;
}

}  // namespace covering_spheres

// Runs velmesh over sphere sets and checks every mesh it writes
// (SurfaceSweep.h), one line per run; failures in full.
// -keep FOLDER copies the last run's sphere file and meshes there.
//   surface_sweep [-envelope] [-keep FOLDER] -file PATH PROBE... -- DENSITY... [-all]
//   surface_sweep [-envelope] [-keep FOLDER] -random COUNT SEED_FROM SEED_TO PROBE... -- DENSITY... [-all]
// Its status is the number of runs that failed.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "surface/support/SurfaceSweep.h"

using surface_testing::SweepCase;

namespace {

struct Set {
    std::string name;
    std::vector<surface_testing::TestSphere> spheres;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool envelope = false, all = false;
    std::vector<Set> sets;
    std::vector<double> probes, densities;
    std::size_t k = 0;
    std::string keep;
    if (k < args.size() && args[k] == "-envelope") envelope = true, ++k;
    if (k + 1 < args.size() && args[k] == "-keep") keep = args[k + 1], k += 2;
    if (k + 1 < args.size() && args[k] == "-file") {
        sets.push_back({args[k + 1], surface_testing::read_spheres(args[k + 1])});
        k += 2;
    } else if (k + 3 < args.size() && args[k] == "-random") {
        const int count = std::atoi(args[k + 1].c_str());
        const int from = std::atoi(args[k + 2].c_str()), to = std::atoi(args[k + 3].c_str());
        for (int seed = from; seed <= to; ++seed)
            sets.push_back({"random " + std::to_string(count) + " seed " + std::to_string(seed),
                            surface_testing::random_cluster(count, static_cast<unsigned>(seed))});
        k += 4;
    } else {
        std::fprintf(stderr, "usage: surface_sweep [-envelope] (-file PATH | -random COUNT FROM TO) PROBE... -- "
                             "DENSITY... [-all]\n");
        return 2;
    }
    for (; k < args.size() && args[k] != "--"; ++k) probes.push_back(std::atof(args[k].c_str()));
    for (++k; k < args.size(); ++k) {
        if (args[k] == "-all") all = true;
        else densities.push_back(std::atof(args[k].c_str()));
    }
    if (densities.empty()) densities.push_back(1);
    int failed = 0;
    for (const Set& set : sets)
        for (const double probe : probes)
            for (const double density : densities) {
                const SweepCase c{set.spheres, probe, density, all, envelope, keep};
                const auto result = surface_testing::sweep_case(c);
                const bool ok = result.ok();
                failed += ok ? 0 : 1;
                std::printf("%s %s probe %.2f density %.1f%s: %s\n", ok ? "ok  " : "FAIL", set.name.c_str(), probe,
                            density, all ? " all" : "", result.report().c_str());
                std::fflush(stdout);
            }
    return failed;
}

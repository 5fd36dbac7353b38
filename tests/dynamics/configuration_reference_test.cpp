// docs/configuration.md stays complete: every key the engine looks up while
// it prepares and runs the example and a configuration that takes the other
// branches (surface-cell collisions, contact and native statistics, every
// cache and output file named) is documented there.
//
// The keys come from the configuration's trace of lookups (trace mode 3),
// which names every path a getter is asked for, found or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <exception>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "support/TempDir.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"
#include "utils/config/Parser.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;

// A documented path as a pattern: "<...>" stands for any one name (a
// species, a compartment, an experiment number).
std::regex path_pattern(const std::string& path) {
    static const std::regex placeholder(R"(<[^>]*>)");
    std::string pattern;
    std::sregex_token_iterator part(path.begin(), path.end(), placeholder, {-1, 0});
    for (; part != std::sregex_token_iterator(); ++part) {
        const std::string piece = *part;
        if (std::regex_match(piece, placeholder)) {
            pattern += "[A-Za-z0-9_]+";
        } else {
            for (const char c : piece) pattern += std::string(c == '.' ? "\\" : "") + c;
        }
    }
    return std::regex(pattern);
}

// The paths of the reference: the section each heading names in backticks,
// and below it each table row's first cell in backticks.
std::vector<std::regex> documented_keys(const std::string& text) {
    std::vector<std::regex> keys;
    std::istringstream in(text);
    std::string section;
    const std::regex heading(R"(^#+ )");
    const std::regex named(R"(`([^`]+)`)");
    const std::regex row(R"(^\| *`([^`]+)` *\|)");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, heading)) {
            section = std::regex_search(line, m, named) ? std::string(m[1]) : std::string();
            if (!section.empty()) keys.push_back(path_pattern(section));
        } else if (std::regex_search(line, m, row)) {
            keys.push_back(path_pattern(section.empty() ? std::string(m[1]) : section + "." + std::string(m[1])));
        }
    }
    return keys;
}

// Prepares and runs `config` (in its own folder) with the lookups traced
// into the log; the paths looked up.
std::set<std::string> looked_up(const fs::path& config) {
    testing_support::CurrentDirGuard back;
    fs::current_path(config.parent_path());
    const std::string log = (config.parent_path() / "lookups.log").string();
    SLogParams params{};
    params.no_console = true;
    CLog::StartLogging(&params, log.c_str());
    Parser::set_mode(lookup_trace_mode);
    {
        backup::reset();
        PDcalc engine;
        const bool prepared = engine.prepare(config.string());
        EXPECT_TRUE(prepared);
        if (prepared) engine.calculate();
    }
    Parser::set_mode(0);
    CLog::EndLogging();
    backup::reset();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delayed_ctrl_c_processing = false;

    std::set<std::string> paths;
    const std::regex lookup(R"(lookup '([^']+)')");
    std::istringstream in(read_file(log));
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, m, lookup)) paths.insert(m[1]);
    }
    return paths;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The peptide fixture twice over: collisions on surface cells, contact
// statistics with their distance map and native contacts, a reaction with
// its contact statistics, a fixed position, every file named.
std::string branches_config() {
    return std::string(R"(
        Files { in_folder = ")") + ZELMAR_FIXTURES + R"(/proteins/"  out_folder = "out/"  runtime_folder = "out/"
                vis_folder = "out/"  trajectory = "t.bin"  no_overwrite = 0 }
        Calculation {
            calc_kin = 1  NT = 4  save_interval = 2  trajectory_save_interval = 2  h = 3  N = 5  random_seed = 3
            round_charge = 1  sphere_r_plus = 0
            collision { stage1 = "cells"  surface_outer = 1  stage2 = "atoms" }
            contacts { residue_contact_range = 4  pept_pept { statistics = "*"  distance_field = "*"  native = "*" } }
        }
        Physics { A = 20  pH = 7  I = 50 }
        Compartments { box { type = 1  center = [0, 0, 0]  halfsize = [80, 80, 80]  dimension = 3 } }
        Species {
            pept {
                pdb = "pept.pdb"  pdb_model = 0  pqr = 0  charges = "pept.pqr"  itp = 0  auto_charge = 1
                compartment = "box"  N = 2  move = 1  max_grad = 1e9  limit_grad = 1e8
                ellipsoid = "*"  spheres = "*"  epsilon = "*"  epsilon_cube = "*"  pot_bin = "*"  pot = "*"
                pot_cube = "*"  surf_points = "*"  pdb_out = "*"
                positions { first = [0, 0, 0]  second = [2e-9, 0, 0] }
            }
        }
        Reactions {
            self {
                reactants { a = "pept"  b = "pept" }
                points { centre = [30] }
                points_required = 1  p = 1  stop = 1
                contacts { statistics = "*" }
                savefile = "*"  pdb_dump = "*"
            }
        }
    )";
}

TEST(ConfigurationReference, DocumentsEveryKeyTheEngineLooksUp) {
    const std::string reference = ZELMAR_SOURCE_DIR "/docs/configuration.md";
    ASSERT_TRUE(fs::exists(reference));
    const std::vector<std::regex> keys = documented_keys(read_file(reference));
    ASSERT_FALSE(keys.empty());

    testing_support::TempDir dir;
    fs::copy(ZELMAR_SOURCE_DIR "/examples/protease", dir.path() / "example");
    fs::create_directories(dir.path() / "example" / "out");
    const fs::path example = dir.path() / "example" / "protease.cfg";
    write_file(example.string(), replaced(read_file(example.string()), "NT = 20000", "NT = 20"));
    fs::create_directories(dir.path() / "branches" / "out");
    const fs::path branches = dir.path() / "branches" / "run.cfg";
    write_file(branches.string(), branches_config());

    for (const fs::path& config : {example, branches}) {
        SCOPED_TRACE(config.string());
        const std::set<std::string> paths = looked_up(config);
        EXPECT_GT(paths.size(), 40u);  // the run went through
        for (const std::string& path : paths) {
            const bool found = std::any_of(keys.begin(), keys.end(),
                                           [&](const std::regex& key) { return std::regex_match(path, key); });
            EXPECT_TRUE(found) << path << " is not in docs/configuration.md";
        }
    }
}

}  // namespace

#pragma once
// Engines hosted as the viewer hosts them: a log of the whole test in a
// folder of its own, configurations in folders of their own, and the
// process's handlers put back afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <exception>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dynamics/ProcessGlobals.h"
#include "dynamics/host/EngineHost.h"
#include "support/TempDir.h"
#include "utils/Log.h"

namespace host_testing {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// The names in `folder`, sorted.
inline std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The only file in `folder` whose name ends with `suffix`; empty unless
// there is exactly one.
inline std::string only_file(const fs::path& folder, const std::string& suffix) {
    std::string found;
    int n = 0;
    for (const std::string& name : names_in(folder))
        if (name.ends_with(suffix)) {
            found = (folder / name).string();
            ++n;
        }
    return n == 1 ? found : std::string();
}

// The step in the name of a restart file ("..._(<pid>)_(<step>).backup").
inline long step_of_restart_file(const std::string& name) {
    std::smatch match;
    static const std::regex step(R"(_\((\d+)\)\.backup$)");
    return std::regex_search(name, match, step) ? std::stol(match[1]) : -1;
}

// A small configuration: two species made from the peptide (small grids,
// few relaxation sweeps) in a periodic box, a reaction with its log, all
// outputs in "out/". `calculation` holds keys of the "Calculation" section
// ("NT = 1000") that replace or join the usual ones; `extra` comes after the
// sections.
inline std::string small_configuration(const std::string& calculation = "", const std::string& extra = "",
                                       int instances = 4, double halfsize = 60) {
    std::vector<std::pair<std::string, std::string>> keys = {
        {"calc_kin", "1"}, {"EXP_NUM", "1"}, {"random_seed", "11"}, {"h", "3"}, {"N", "5"}, {"TimeStep", "20"},
        {"NT", "200"}, {"save_interval", "50"}, {"trajectory_save_interval", "10"}};
    std::istringstream given(calculation);
    for (std::string key, equals, value; given >> key >> equals >> value;) {
        const auto known = std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == key; });
        if (known != keys.end())
            known->second = value;
        else
            keys.emplace_back(key, value);
    }
    std::ostringstream text;
    text << R"(
        Files { in_folder = "./"  out_folder = "out/"  runtime_folder = "out/"  vis_folder = "out/"
                trajectory = "trajectory.bin"  no_overwrite = 0 }
        Calculation {)";
    for (const auto& [key, value] : keys) text << " " << key << " = " << value;
    text << R"( }
        Physics { A = 20 }
        Compartments { box { type = 0  halfsize = [)"
         << halfsize << ", " << halfsize << ", " << halfsize << R"(] } }
        Species {
            A { pdb = "pept.pdb"  compartment = "box"  N = )"
         << instances << R"( }
            B { pdb = "pept.pdb"  compartment = "box"  N = )"
         << instances << R"( }
        }
        Reactions { bind { reactants { r0 = "A"  r1 = "B" }  points { p1 = [12] }  p = 0.5  savefile = "*" } }
    )" << extra;
    return text.str();
}

// A folder holding a configuration `text` as "run.cfg", the peptide's
// structure and an empty "out".
class RunFolder {
public:
    explicit RunFolder(const std::string& text) {
        write_file(config(), text);
        fs::copy_file(std::string(ZELMAR_FIXTURES) + "/proteins/pept.pdb", dir_.path() / "pept.pdb");
        fs::create_directory(out());
    }
    const fs::path& path() const { return dir_.path(); }
    fs::path out() const { return dir_.path() / "out"; }
    std::string config() const { return dir_.file("run.cfg"); }

private:
    TempDir dir_;
};

class HostedEngines : public testing::Test {
protected:
    // One log for the whole test, without time stamps or console; errors,
    // which also go bare to standard error, stay off the test's output.
    void SetUp() override {
        SLogParams params{};
        params.no_time = true;
        params.no_console = true;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(CLog::StartLogging(&params, log_dir.file("host.log").c_str()));
    }
    // The preparations installed the process's handlers; they are put back.
    void TearDown() override {
        CLog::SetLineSink({});
        CLog::EndLogging();
        testing::internal::GetCapturedStderr();
        std::set_terminate(terminate_before);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        running_flag = true;
    }

    // What has been logged so far.
    std::string log() const { return read_file(log_dir.file("host.log")); }

    // Prepares `engine` from `config` as a host does: in the configuration's
    // folder, with its folders anchored there. Fails the test when it
    // throws or returns false.
    bool prepare(PDcalc& engine, const std::string& config) {
        const testing_support::CurrentDirGuard back;
        fs::current_path(fs::path(config).parent_path());
        engine.anchor_folders = true;
        bool prepared = false;
        try {
            prepared = engine.prepare(fs::path(config).filename().string());
        } catch (const char* text) {
            ADD_FAILURE() << text;
        } catch (const std::string& text) {
            ADD_FAILURE() << text;
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        EXPECT_TRUE(prepared) << log();
        return prepared;
    }

    TempDir log_dir;
    std::terminate_handler terminate_before = std::get_terminate();
};

}  // namespace host_testing

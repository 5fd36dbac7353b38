#pragma once
// An engine and a species section for tests of the structure reader, with
// a folder for the species' files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/config/RootSection.h"

namespace dynamics_testing {

class StructureFiles : public ::testing::Test {
protected:
    StructureFiles() {
        auto root = std::make_unique<RootSection>("t", false);
        root_ = root.get();
        engine.config = std::move(root);
        engine.in_folder = dir.path().string() + "/";
        engine.out_folder = dir.path().string() + "/";
        species.name = "prot";
        species.section = root_->CreateSection("Species.prot");
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) species.rot[i][j] = i == j ? 1.0 : 0.0;
    }

    void set(const char* key, const char* value) { ASSERT_TRUE(species.section->SetString(value, key)); }
    void set(const char* key, int value) { ASSERT_TRUE(species.section->SetInt(value, key)); }
    void set_root(const char* key, int value) { ASSERT_TRUE(root_->SetInt(value, key)); }

    // Writes a file of the species' folder from lines.
    void write(const std::string& name, const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        testing_support::write_file(dir.file(name), text);
    }

    // Reads the species with "pdb" naming `file`; returns the log.
    std::string read(const std::string& file = "prot.pdb") {
        set("pdb", file.c_str());
        return testing_support::logged_text([&] { engine.pdb_read(species); });
    }

    // Reads the species expecting a character-string exception; returns it,
    // and the log in `log`.
    std::string read_failure(std::string& log, const std::string& file = "prot.pdb") {
        set("pdb", file.c_str());
        std::string what = "(no exception)";
        log = testing_support::logged_text([&] {
            try {
                engine.pdb_read(species);
            } catch (const char* e) {
                what = e;
            }
        });
        return what;
    }

    testing_support::TempDir dir;
    PDcalc engine;
    PROT_CLASS species;

private:
    RootSection* root_ = nullptr;
};

// Whether `log` holds `line` as one of its lines.
inline bool has_line(const std::string& log, const std::string& line) {
    return ("\n" + log + "\n").find("\n" + line + "\n") != std::string::npos;
}

}  // namespace dynamics_testing

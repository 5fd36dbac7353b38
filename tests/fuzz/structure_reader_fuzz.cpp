// Structure and charges files come from users and from other programs: any
// bytes must be read or refused with a reason, never crash, read or write
// outside an array, or leave the species' records inconsistent.
//
// The input's first byte chooses the settings (charge columns, topology
// mode, titration charges, model, chain filter); the rest is the structure
// file, followed after a zero byte by the charges file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "dynamics/PDcalc.h"
#include "dynamics/species/Elements.h"
#include "dynamics/species/PdbLines.h"
#include "dynamics/species/StructureLine.h"
#include "utils/Log.h"
#include "support/TempDir.h"
#include "utils/config/RootSection.h"

namespace {

void write(const std::string& name, std::string_view text) {
    std::ofstream(name, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Every line on its own: the field readers and the output lines.
void check_lines(std::string_view text) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        (void)record_name(line);
        (void)model_number(line);
        (void)structure_charge(line, false);
        (void)structure_charge(line, true);
        (void)element_of(line);
        if (read_atom_line(line)) {
            const std::string stored = make_pdb_line(line, -1.5, 1.7);
            const std::string out = pdb_line_at(stored, POINT3D{-1234.5, 0.25, 99999.0});
            if (stored.back() != '\n' || out.back() != '\n' || out.compare(0, 30, stored, 0, 30) != 0) std::abort();
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

void check_species(const PROT_CLASS& s) {
    if (static_cast<std::size_t>(s.atoms_n) != s.atoms.size() ||
        static_cast<std::size_t>(s.charges_n) != s.charges.size() ||
        static_cast<std::size_t>(s.residues_n) != s.residues.size() || s.pdb_lines.size() != s.atoms.size())
        std::abort();
    int next = 0;
    for (std::size_t r = 0; r < s.residues.size(); ++r) {
        const RESIDUE& residue = s.residues[r];
        if (residue.first != next || residue.last < residue.first || !(residue.r >= 0)) std::abort();
        for (int a = residue.first; a <= residue.last; ++a)
            if (s.atoms[static_cast<std::size_t>(a)].residue != static_cast<int>(r)) std::abort();
        next = residue.last + 1;
    }
    if (next != s.atoms_n) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testing_support::TempDir folder;
    static const std::string prefix = folder.path().string() + "/";
    if (size == 0) return 0;
    const unsigned options = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto split = input.find('\0');
    const std::string_view structure = input.substr(0, split);
    const std::string_view charges = split == std::string_view::npos ? std::string_view{} : input.substr(split + 1);
    check_lines(structure);

    write(folder.file("s.pdb"), structure);
    write(folder.file("s.charges"), charges);

    SLogParams quiet{};
    quiet.no_console = true;
    quiet.quiet_errors = true;
    quiet.quiet_warnings = true;
    quiet.quiet_messages = true;
    CLog::StartLogging(&quiet, nullptr);
    {
        PDcalc engine;
        auto root = std::make_unique<RootSection>("fuzz", false);
        Section* section = root->CreateSection("Species.s");
        if ((options & 0x40) != 0) root->SetInt(1, "Calculation.round_charge");
        engine.config = std::move(root);
        engine.in_folder = prefix;
        section->SetString("s.pdb", "pdb");
        if ((options & 0x01) != 0) section->SetString("s.charges", "charges");
        section->SetInt((options & 0x02) != 0 ? 1 : 0, "pqr");
        section->SetInt((options & 0x04) != 0 ? 1 : 0, "itp");
        section->SetInt((options & 0x08) != 0 ? 1 : 0, "auto_charge");
        section->SetInt(static_cast<int>((options >> 4) & 0x3), "pdb_model");
        if ((options & 0x80) != 0) section->SetString("AB", "pdb_chainID");

        PROT_CLASS species;
        species.name = "s";
        species.section = section;
        for (int i = 0; i < 3; ++i) species.rot[i][i] = 1.0;
        try {
            engine.pdb_read(species);
            check_species(species);
        } catch (const char*) {
            // Refused with a reason: no atoms of known mass.
        }
    }
    CLog::EndLogging();
    return 0;
}

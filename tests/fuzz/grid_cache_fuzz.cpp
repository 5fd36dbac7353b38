// The permittivity (text) and potential (binary) caches are trusted by later
// runs: any bytes must give a whole grid of finite values or be refused with
// nothing of it kept, never crash or read past the file.
//
// The input's first byte chooses the cache and the grid's cells per edge;
// the rest is the file.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "dynamics/PDcalc.h"
#include "utils/config/RootSection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool potential = (data[0] & 0x80) != 0;
    const int n = 1 + (data[0] & 0x07);
    const std::string path =
        fuzz_support::write_input(potential ? "s.pot_bin" : "s.epsilon", fuzz_support::as_text(data + 1, size - 1));
    const fuzz_support::QuietLog quiet;
    PDcalc engine;
    auto root = std::make_unique<RootSection>("fuzz", false);
    Section* section = root->CreateSection("Species.s");
    section->SetString("s.epsilon", "epsilon");
    engine.config = std::move(root);
    engine.runtime_folder = fuzz_support::folder().path().string() + "/";

    PROT_CLASS species;
    species.name = "s";
    species.section = section;
    species.pot_n = n;
    const std::size_t cells = static_cast<std::size_t>(n) * n * n;
    if (potential) {
        if (engine.read_pot(species, path)) {
            if (species.pot.size() != cells ||
                !std::all_of(species.pot.begin(), species.pot.end(), [](double v) { return std::isfinite(v); }))
                std::abort();
        } else if (!species.pot.empty()) {
            std::abort();
        }
    } else {
        if (engine.read_eps(species)) {
            const auto permittivity = [](double e) { return std::isfinite(e) && e > 0; };
            if (species.eps.size() != cells || !std::all_of(species.eps.begin(), species.eps.end(), permittivity))
                std::abort();
        } else if (!species.eps.empty()) {
            std::abort();
        }
    }
    return 0;
}

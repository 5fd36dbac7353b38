// A covering-spheres file is a cache that later runs trust: any bytes must
// give usable spheres or be refused (and the spheres generated again), never
// crash or leave spheres that are not finite.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "dynamics/PDcalc.h"
#include "dynamics/species/SpheresFile.h"
#include "utils/config/RootSection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_support::write_input("s.spheres", fuzz_support::as_text(data, size));
    const fuzz_support::QuietLog quiet;
    PDcalc engine;
    auto root = std::make_unique<RootSection>("fuzz", false);
    Section* section = root->CreateSection("Species.s");
    section->SetString("*", "spheres");
    engine.config = std::move(root);
    engine.runtime_folder = fuzz_support::folder().path().string() + "/";

    PROT_CLASS species;
    species.name = "s";
    species.section = section;
    species.mass_center = POINT3D{12.5, -3.0, 7.25};
    // A rotation about z by a quarter turn, and its inverse.
    const double rot[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            species.rot[i][j] = rot[i][j];
            species.rot_inv[i][j] = rot[j][i];
        }
    if (engine.read_spheres(species)) {
        if (species.spheres_n < 1 || static_cast<std::size_t>(species.spheres_n) != species.spheres.size())
            std::abort();
        for (const SPHERE& s : species.spheres)
            if (!covering_spheres::usable(s)) std::abort();
    } else if (!species.spheres.empty() || species.spheres_n != 0) {
        std::abort();
    }
    return 0;
}

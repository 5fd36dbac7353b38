// A principal-axes file is a cache that later runs trust: any bytes must give
// a rotation and an ellipsoid with usable frictions, or be refused (the axes
// found again, or the run ended with "incorrect ellipsoid"), never crash or
// leave a matrix that is no rotation.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "dynamics/PDcalc.h"
#include "dynamics/species/AxesFile.h"
#include "dynamics/species/AxesSetup.h"
#include "utils/config/RootSection.h"

namespace {

bool is_identity(const double rot[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (rot[i][j] != (i == j ? 1.0 : 0.0)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_support::write_input("s.ellipsoid", fuzz_support::as_text(data, size));
    const fuzz_support::QuietLog quiet;
    PDcalc engine;
    auto root = std::make_unique<RootSection>("fuzz", false);
    Section* section = root->CreateSection("Species.s");
    section->SetString("*", "ellipsoid");
    engine.config = std::move(root);
    engine.runtime_folder = fuzz_support::folder().path().string() + "/";

    PROT_CLASS species;
    species.name = "s";
    species.section = section;
    const AxesStart start = start_axes(engine, species);
    if (start.search) {
        // Not used: the search starts from the identity.
        if (!is_identity(species.rot)) std::abort();
        return 0;
    }
    if (!axes_file::is_rotation(species.rot)) std::abort();
    try {
        if (settle_axes(engine, species, start)) std::abort();  // a file's axes are not searched
        set_friction(species, engine.v);
    } catch (const char* text) {
        if (std::strcmp(text, "incorrect ellipsoid") != 0) std::abort();
        return 0;
    }
    for (const double f : {species.f_trans_a, species.f_trans_b, species.f_rot_a, species.f_rot_b})
        if (!std::isfinite(f) || !(f > 0)) std::abort();
    return 0;
}

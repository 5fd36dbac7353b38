#include "dynamics/species/AxesSetup.h"

#include <cstdio>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/species/Friction.h"
#include "dynamics/species/PrincipalAxes.h"
#include "utils/Log.h"
#include "utils/ReadText.h"
#include "utils/WriteText.h"
#include "utils/fopen_s.h"

AxesStart start_axes(PDcalc& engine, PROT_CLASS& species) {
    AxesStart start;
    start.file = engine.make_prot_filename(species, "ellipsoid", "%s.ellipsoid", engine.runtime_folder);
    std::optional<std::string> text;
    if (start.file) text = read_text_file(*start.file);
    if (text) {
        LOG_MESSAGE("reading rotation matrix from %s ...", start.file->c_str());
        start.content = axes_file::parse(*text);
        start.search = !(start.content.matrix_numbers == 9 && axes_file::is_rotation(start.content.rot));
        if (start.search) {
            LOG_WARNING("%s holds no rotation matrix, the axes are calculated again", start.file->c_str());
            start.content = axes_file::Content{};
        }
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) species.rot[i][j] = start.content.rot[i][j];
    return start;
}

namespace {

void save_axes(const PDcalc& engine, const std::string& text, const std::optional<std::string>& file) {
    FilePtr out;
    if (processorID == 0 && file) out = fopen_share(*file, "w+", engine.no_overwrite, true);
    if (!out) {
        LOG_WARNING("could not write rotation matrix to %s", file ? file->c_str() : "(null)");
        return;
    }
    if (!write_text(out.get(), text)) {
        out.reset();
        std::remove(file->c_str());
        LOG_WARNING("could not write rotation matrix to %s", file->c_str());
        return;
    }
    LOG_MESSAGE("rotation matrix written to %s", file->c_str());
}

}  // namespace

bool settle_axes(PDcalc& engine, PROT_CLASS& species, const AxesStart& start) {
    if (!start.search) {
        if (start.content.ellipsoid_numbers < 2) {
            LOG_ERROR("%s is incorrect", start.file->c_str());
            throw "incorrect ellipsoid";
        }
        species.ell_a = start.content.ell_a;
        species.ell_b = start.content.ell_b;
        return false;
    }
    LOG_MESSAGE("Calculating ellipsoid ...");
    const principal_axes::AxisSearch found = principal_axes::search_axes(species.atoms, species.mass);
    if (!found.found) return false;
    const std::string text = axes_file::text(found.rot, found.ell_a, found.ell_b, species.mass_center);
    // With a cache the axes are taken as later runs will read them back from
    // it (seven significant digits), so that a run that computes them and a
    // run that reads them go on alike.
    const axes_file::Content cached = axes_file::parse(text);
    const bool from_cache = start.file.has_value();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) species.rot[i][j] = from_cache ? cached.rot[i][j] : found.rot[i][j];
    species.ell_a = from_cache ? cached.ell_a : found.ell_a;
    species.ell_b = from_cache ? cached.ell_b : found.ell_b;
    LOG_MESSAGE("Ix=%e Iy=%e Iz=%e (min=%e; max=%e)", found.Ix, found.Iy, found.Iz, found.least, found.most);
    LOG_MESSAGE("Ellipsoid: a=%e b=%e", species.ell_a, species.ell_b);
    save_axes(engine, text, start.file);
    return true;
}

void set_friction(PROT_CLASS& species, double viscosity) {
    inv_mat(species.rot, species.rot_inv);
    species.ell_p = species.ell_a / species.ell_b;
    species.r_equiv = std::cbrt(species.ell_a * species.ell_b * species.ell_b);
    const friction::Coefficients f = friction::ellipsoid(species.ell_a, species.ell_b, viscosity);
    if (!friction::usable(f)) {
        LOG_ERROR("the ellipsoid of %s (a=%e, b=%e) gives no friction coefficients", species.name.c_str(),
                  species.ell_a, species.ell_b);
        throw "incorrect ellipsoid";
    }
    if (f.sphere) LOG_MESSAGE("nearly spherical: friction of the sphere of radius %e", species.r_equiv);
    species.f_trans_a = f.trans_a;
    species.f_trans_b = f.trans_b;
    species.f_rot_a = f.rot_a;
    species.f_rot_b = f.rot_b;
}

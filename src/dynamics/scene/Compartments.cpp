// The compartments of the model, read from the configuration section
// "Compartments".
#include <cmath>
#include <string>

#include "dynamics/PDcalc.h"
#include "utils/Format.h"
#include "utils/Log.h"

namespace {

constexpr double angstrom = 1e-10;

bool finite(const POINT3D& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Up to three numbers of `key` in ångström, as metres; missing ones are 0.
// `count` receives how many there were.
POINT3D read_length3(const Section& section, const char* key, int* count = nullptr) {
    double v[3] = {0.0, 0.0, 0.0};
    const int read = section.GetDoubles(v, 3, key);
    if (count != nullptr) *count = read;
    return POINT3D{v[0], v[1], v[2]} * angstrom;
}

COMPARTMENT read_compartment(const Section& section, const char* name) {
    COMPARTMENT c{};
    int dimension = 3;
    section.GetInt(dimension, "dimension");
    c.dimension = dimension;
    int type = 0;
    section.GetInt(type, "type");
    c.type = type;
    if (type != 0) c.center = read_length3(section, "center");
    int halfsize_count = 0;
    c.halfsize = read_length3(section, "halfsize", &halfsize_count);
    if (type != 0 && type != 1) return c;  // no boundary: no bounds, no volume

    // A box without a positive extent along every axis has no inside, and a
    // periodic one no period to fold by.
    const POINT3D& hs = c.halfsize;
    if (halfsize_count < 3 || !finite(hs) || !(hs.x > 0.0 && hs.y > 0.0 && hs.z > 0.0))
        throw format("Compartment \"%s\": \"halfsize\" must be three positive numbers", name);
    if (!finite(c.center)) throw format("Compartment \"%s\": \"center\" must be finite", name);
    c.lower = c.center - c.halfsize;
    c.upper = c.center + c.halfsize;
    c.size = c.halfsize * 2.0;
    c.volume = c.size.x * c.size.y * c.size.z;
    return c;
}

}  // namespace

void PDcalc::geometry_init() {
    const int n = config ? config->GetSecNum("Compartments") : -1;
    if (n <= 0) throw "No compartment defined";
    model.compartments.assign(static_cast<std::size_t>(n), COMPARTMENT{});
    model.compartments_n = n;
    for (int i = 0; i < n; ++i) {
        const char* name = config->GetName("Compartments", i);
        const Section* section = config->GetSection("Compartments", i);
        const std::string shown = name != nullptr ? name : "";
        model.compartment_index[shown] = i;  // a later compartment of the same name takes the name over
        COMPARTMENT& c = model.compartments[static_cast<std::size_t>(i)];
        c = read_compartment(*section, shown.c_str());
        LOG_MESSAGE("Compartment \"%s\" volume %em^3", shown.c_str(), c.volume);
    }
}

// TEMPORARY: stand-ins for members that other branches define, so that the
// engine links until they are merged.
#include <stdexcept>

#include "dynamics/PDcalc.h"

namespace {
[[noreturn]] void pending(const char* what) { throw std::logic_error(std::string(what) + " is not merged yet"); }
}  // namespace

void PDcalc::geometry_init() { pending("geometry_init"); }
void PDcalc::scene_prepare() { pending("scene_prepare"); }
int PDcalc::collision3D(PROT*) { pending("collision3D"); }
int PDcalc::collision3D(PROT*, PROT*) { pending("collision3D"); }
int PDcalc::collision3D_spheres(PROT*, PROT*) { pending("collision3D_spheres"); }
int PDcalc::collision3D_surface(PROT*, PROT*) { pending("collision3D_surface"); }
int PDcalc::collision3D_residues(PROT*, PROT*) { pending("collision3D_residues"); }
int PDcalc::collision3D_atoms(PROT*, PROT*) { pending("collision3D_atoms"); }
void PDcalc::prot_move(PROT&, POINT3D&, POINT3D&) { pending("prot_move"); }
void PDcalc::trajectory_save() { pending("trajectory_save"); }
void PDcalc::init_prot(PROT_CLASS&, Section*) { pending("init_prot"); }

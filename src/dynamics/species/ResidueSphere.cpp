// PDcalc::residue_build_r: the smallest sphere around a residue's atom
// centres, for the residue stage of the collision test and the contacts.
#include <cmath>
#include <stdexcept>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/species/Miniball.h"

void PDcalc::residue_build_r(PROT_CLASS& species, RESIDUE& residue, int last) {
    if (residue.first < 0 || last < residue.first || static_cast<std::size_t>(last) >= species.atoms.size())
        throw std::out_of_range("residue_build_r: atoms " + std::to_string(residue.first) + " to " +
                                std::to_string(last) + " of " + std::to_string(species.atoms.size()));
    residue.last = last;
    Miniball<3> ball;
    for (int i = residue.first; i <= last; ++i) {
        const ATOM& atom = species.atoms[static_cast<std::size_t>(i)];
        ball.check_in(Point<3>(atom.x, atom.y, atom.z));
    }
    ball.build();
    const Point<3> centre = ball.center();
    residue.center = POINT3D{centre[0], centre[1], centre[2]};
    residue.r = std::sqrt(ball.squared_radius());
}

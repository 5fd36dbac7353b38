#pragma once
// The apparent second-order rate constant of a reaction, from the integrated
// rate law of its populations.
#include <cstdint>

struct REACTION;

// Avogadro's number times 1000: with volumes in m³ the rate comes out per
// mole per litre.
inline constexpr double avogadro_litre_factor = 6.022141793e26;

// k in M⁻¹s⁻¹ after `events` events within `time` seconds in `volume` m³,
// with na and nb instances of the two reactants at the start (the same
// species when `same_species`), from the integrated law of
// d[A]/dt = −k[A][B]:
//   na = nb:        k = F·V·n / (t·na·(na − n))
//   na ≠ nb:        k = F·V / (t·(nb − na)) · ln(na·(nb − n) / (nb·(na − n)))
//   one species:    every event takes two of its N instances and
//                   d[A]/dt = −k[A]², so k = F·V·2n / (t·N·(N − 2n))
// with F = 6.022141793e26. In floating point throughout. Infinite once the
// smaller population is used up (or at time 0 after an event); not a number
// without events at time 0.
double integrated_rate_constant(double volume, std::int32_t events, std::int32_t na, std::int32_t nb,
                                bool same_species, double time);

// The same for a bimolecular reaction, with the populations of its
// reactants; not a number for a reaction of another order.
double integrated_rate_constant(const REACTION& reaction, double time);

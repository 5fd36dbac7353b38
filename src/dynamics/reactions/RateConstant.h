#pragma once
// The apparent second-order rate constant of a reaction.
#include <cstdint>

// Avogadro's number times 1000: with volumes in m³ the rate comes out per
// mole per litre.
inline constexpr double avogadro_litre_factor = 6.022141793e26;

// k = 6.022141793e26 · volume · events / (N0 · (N0 − events) · time), in
// M⁻¹s⁻¹, after `events` events among N0 pairs of reactants in `volume` (m³)
// within `time` (s). In floating point throughout: N0 · (N0 − events) does
// not fit 32 bits for populations above 46340. Infinite once every reactant
// has reacted or at time 0 after an event; not a number with no event at
// time 0.
inline double rate_constant(double volume, std::int32_t events, std::int32_t N0, double time) {
    const double n0 = N0;
    return avogadro_litre_factor * volume * events / (n0 * (n0 - events) * time);
}

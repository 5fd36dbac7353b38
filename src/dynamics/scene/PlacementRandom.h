#pragma once
// The random numbers of an engine's random placement.
//
// The placement has always drawn the C library's rand() after srand(seed);
// that generator is one sequence for the whole process, so two engines
// calculating at once would take each other's draws. This is the same
// generator (the C library's additive feedback generator with the 128-byte
// state that srand uses) with a state of its own: after seed(s), next()
// returns exactly what rand() returns after srand(s).
#include <array>
#include <cstdint>
#include <cstdlib>

class PlacementRandom {
public:
    // The largest number next returns (that of rand).
    static constexpr int max = RAND_MAX;

    // Seeded with 1, as rand is before any srand.
    PlacementRandom();
    PlacementRandom(const PlacementRandom&) = delete;
    PlacementRandom& operator=(const PlacementRandom&) = delete;

    void seed(unsigned seed);
    // The next number, uniform in [0, max].
    int next();

private:
    // The state words of the generator, as srand's (128 bytes, the first
    // word holding the generator's type); `data_` points into them.
    std::array<std::int32_t, 32> state_{};
    random_data data_{};
};

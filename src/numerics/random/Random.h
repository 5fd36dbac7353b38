#pragma once
// The state of the library's random numbers.
#include <cstdint>
#include <ctime>

namespace calvex {

// The seed of rnd, 654321 when the library is loaded.
extern std::int32_t rnd_seed;

// A valid seed (1 .. 2^31 - 2) from a calendar time in seconds, whatever
// its sign or size.
std::int32_t seed_from_time(std::time_t seconds);

}  // namespace calvex

#pragma once
// The state of the library's random numbers.
#include <cstdint>
#include <ctime>

namespace calvex {

// The seed of rnd, 654321 when the library is loaded.
extern std::int32_t rnd_seed;

// The seed of a calendar time in seconds: the time itself when it lies in
// 1 .. 2^31 - 2, else the time modulo 2^31 - 1 (0 giving 1), never 0 or
// negative, whatever the time's sign or size.
std::int32_t seed_from_time(std::time_t seconds);

}  // namespace calvex

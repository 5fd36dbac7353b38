#include "dynamics/output/TrajectoryFormat.h"

#include "utils/LittleEndian.h"

namespace trajectory {

namespace {

// Offsets within an instance's bytes.
constexpr std::size_t species_at = 0;
constexpr std::size_t flags_at = 4;
constexpr std::size_t centre_at = 5;
constexpr std::size_t rot_at = 29;
static_assert(rot_at + 9 * 8 == instance_bytes, "an instance takes 101 bytes");

}  // namespace

void encode_step(std::int64_t step, unsigned char* bytes) { little_endian::store_i64(step, bytes); }

std::int64_t decode_step(const unsigned char* bytes) { return little_endian::load_i64(bytes); }

void encode_instance(const InstanceState& state, unsigned char* bytes) {
    little_endian::store_i32(state.species, bytes + species_at);
    bytes[flags_at] = state.flags;
    for (std::size_t k = 0; k < 3; ++k) little_endian::store_f64(state.centre[k], bytes + centre_at + 8 * k);
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) little_endian::store_f64(state.rot[i][j], bytes + rot_at + 8 * (3 * i + j));
}

InstanceState decode_instance(const unsigned char* bytes) {
    InstanceState state;
    state.species = little_endian::load_i32(bytes + species_at);
    state.flags = bytes[flags_at];
    for (std::size_t k = 0; k < 3; ++k) state.centre[k] = little_endian::load_f64(bytes + centre_at + 8 * k);
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) state.rot[i][j] = little_endian::load_f64(bytes + rot_at + 8 * (3 * i + j));
    return state;
}

}  // namespace trajectory

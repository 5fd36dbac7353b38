#pragma once
// The trajectory file, shared by the engine that writes it and the viewer
// that replays it.
//
// The file has no header: it is a sequence of frames of equal size. A frame
// is the step number (signed 64-bit), then for every instance of the scene,
// in the order of the engine's instance array:
//   species index   signed 32-bit
//   flags           8 bits (the flag_ constants below; other bits 0)
//   centre          3 doubles, x, y, z in metres, world frame
//   rotation        9 doubles, `rot` row-major (world = rotᵀ · body + centre)
// packed without padding, every number little-endian and every double IEEE
// 754 binary64: 101 × n + 8 bytes a frame.
#include <cstddef>
#include <cstdint>

namespace trajectory {

inline constexpr std::size_t step_bytes = 8;
inline constexpr std::size_t instance_bytes = 101;

// The instance's dock points came into contact during the step that the
// frame completes.
inline constexpr std::uint8_t flag_contact = 1;
// The instance has reacted and is stopped.
inline constexpr std::uint8_t flag_stopped = 2;
// The instance collides with another instance (set only while the engine
// marks collisions).
inline constexpr std::uint8_t flag_collision = 4;

// Bytes of a frame of `instances` instances.
constexpr std::uint64_t frame_size(std::uint64_t instances) { return step_bytes + instance_bytes * instances; }

// One instance as a frame records it.
struct InstanceState {
    std::int32_t species = 0;
    std::uint8_t flags = 0;
    double centre[3] = {};
    double rot[3][3] = {};
};

void encode_step(std::int64_t step, unsigned char* bytes);
std::int64_t decode_step(const unsigned char* bytes);

// The instance_bytes bytes of one instance.
void encode_instance(const InstanceState& state, unsigned char* bytes);
InstanceState decode_instance(const unsigned char* bytes);

}  // namespace trajectory

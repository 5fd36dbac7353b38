#pragma once
// One protein instance in the scene. The engine keeps all instances in one
// array, species after species, and saves that array whole as one restart
// block, so the record is trivially copyable with a fixed layout. The gaps
// the alignment leaves are members of their own, so that a value-initialised
// record (PROT{}) has every byte defined and restart files hold no stray
// memory.
#include <cstdint>
#include <type_traits>

#include "utils/geometry/OBJECT3D.h"

struct PROT : OBJECT3D {
    // Centre (world frame, metres), r (the species' r_outer), rot and rot_inv
    // come from OBJECT3D: world = rotᵀ · body + centre.

    bool stopped;                 // has reacted: no longer moves, feels forces or counts contacts
    std::uint8_t unused_after_stopped[7];
    std::int64_t collision_step;  // step at which the trajectory last marked it colliding; -2 after placement
    std::int64_t contact_step;    // step of its last successful dock-point test; -2 after placement
    std::int32_t index;           // running number over all species, 0-based
    std::int32_t species;         // index of its species
    std::uint8_t flags;           // trajectory flags of the current frame
    std::uint8_t unused_tail[7];
};

static_assert(std::is_trivially_copyable_v<PROT> && sizeof(PROT) == 216 && alignof(PROT) == 8,
              "PROT is a restart record with a fixed layout");

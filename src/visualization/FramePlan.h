#pragma once
// What one trajectory frame draws: for every instance record, whether it is
// drawn, with which display list, colour and placement, and whether the
// frame stops playback. Pure: the renderer carries the plan out.
#include <array>
#include <cstddef>
#include <vector>

#include "dynamics/output/TrajectoryReader.h"
#include "visualization/DisplaySwitches.h"
#include "visualization/Rgba.h"
#include "visualization/SceneDescription.h"

// Display list numbers on a view's context, n species: species s has 2s + 1
// (plain) and 2s + 2 (coloured by potential); 2n + 1 is the scene box.
namespace display_list {
inline unsigned plain(std::size_t s) { return static_cast<unsigned>(2 * s + 1); }
inline unsigned by_potential(std::size_t s) { return static_cast<unsigned>(2 * s + 2); }
inline unsigned box(std::size_t species_n) { return static_cast<unsigned>(2 * species_n + 1); }
}  // namespace display_list

struct InstanceDraw {
    std::size_t instance = 0;  // index of the record in the frame
    unsigned list = 0;
    Rgba colour;
    // Column-major 4×4: the rotation's rows as the first three columns (so
    // world = rotᵀ · body + centre), the centre in Å as the translation.
    std::array<double, 16> placement{};
};

struct FramePlan {
    std::vector<InstanceDraw> draws;
    bool stop_playback = false;
};

// The colour of an instance with flag value `flags`: entry `flags` when the
// list has one, else entry 0; white for an empty list.
Rgba flag_colour(const std::vector<Rgba>& colors, unsigned flags);

// Column-major placement of an instance (centre in metres).
std::array<double, 16> placement_matrix(const trajectory::InstanceState& state);

// Records whose species has no entry in the description, or whose species
// is switched off, are skipped (and stop nothing); a contact flag stops
// playback with "Stop on dock", a collision flag with "Stop on contact"; a
// stopped instance is hidden unless "Unhide Docked".
FramePlan plan_frame(const SceneDescription& scene, const trajectory::Frame& frame, const DisplaySwitches& switches);

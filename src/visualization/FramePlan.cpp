#include "visualization/FramePlan.h"

#include <cstdint>

Rgba flag_colour(const std::vector<Rgba>& colors, unsigned flags) {
    if (colors.empty()) return Rgba{};
    return flags < colors.size() ? colors[flags] : colors.front();
}

std::array<double, 16> placement_matrix(const trajectory::InstanceState& state) {
    constexpr double angstrom_per_metre = 1e10;
    std::array<double, 16> m{};
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row) m[4 * column + row] = state.rot[column][row];
    for (int axis = 0; axis < 3; ++axis) m[12 + axis] = state.centre[axis] * angstrom_per_metre;
    m[15] = 1.0;
    return m;
}

FramePlan plan_frame(const SceneDescription& scene, const trajectory::Frame& frame, const DisplaySwitches& switches) {
    FramePlan plan;
    for (std::size_t k = 0; k < frame.instances.size(); ++k) {
        const trajectory::InstanceState& state = frame.instances[k];
        if (state.species < 0 || static_cast<std::size_t>(state.species) >= scene.species.size()) continue;
        const auto s = static_cast<std::size_t>(state.species);
        if (!species_shown(switches, s)) continue;
        if ((state.flags & trajectory::flag_contact) && switches.stop_on_dock) plan.stop_playback = true;
        if ((state.flags & trajectory::flag_collision) && switches.stop_on_contact) plan.stop_playback = true;
        if ((state.flags & trajectory::flag_stopped) && !switches.unhide_docked) continue;

        const C3DObject* object = scene.species[s].object;
        InstanceDraw draw;
        draw.instance = k;
        draw.list = switches.color_by_potential ? display_list::by_potential(s) : display_list::plain(s);
        draw.colour = object ? flag_colour(object->colors, state.flags) : Rgba{};
        draw.placement = placement_matrix(state);
        plan.draws.push_back(draw);
    }
    return plan;
}

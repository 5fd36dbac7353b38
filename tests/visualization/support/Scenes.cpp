#include "visualization/support/Scenes.h"

#include <fstream>
#include <stdexcept>

namespace visualization_testing {

Mesh cube(double edge) {
    const double h = edge / 2;
    const auto corner = [h](int i) { return CVector{i & 1 ? h : -h, i & 2 ? h : -h, i & 4 ? h : -h}; };
    // Each face as four corners counter-clockwise seen from outside.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    Mesh mesh;
    for (const auto& f : faces) {
        mesh.add_triangle(corner(f[0]), corner(f[1]), corner(f[2]));
        mesh.add_triangle(corner(f[0]), corner(f[2]), corner(f[3]));
    }
    return mesh;
}

trajectory::InstanceState instance_at(std::int32_t species, double x, double y, double z, std::uint8_t flags) {
    trajectory::InstanceState state;
    state.species = species;
    state.flags = flags;
    state.centre[0] = x * 1e-10;
    state.centre[1] = y * 1e-10;
    state.centre[2] = z * 1e-10;
    for (int i = 0; i < 3; ++i) state.rot[i][i] = 1.0;
    return state;
}

void write_trajectory(const std::string& path, const std::vector<TestFrame>& frames) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const TestFrame& frame : frames) {
        unsigned char step[trajectory::step_bytes];
        trajectory::encode_step(frame.step, step);
        out.write(reinterpret_cast<const char*>(step), sizeof step);
        for (const auto& instance : frame.instances) {
            unsigned char bytes[trajectory::instance_bytes];
            trajectory::encode_instance(instance, bytes);
            out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
        }
    }
    if (!out) throw std::runtime_error("cannot write " + path);
}

C3DObjectMovable species_of(const Mesh& shape, std::vector<Rgba> colours) {
    C3DObjectMovable object;
    object.shapes.push_back(shape);
    object.colors = std::move(colours);
    return object;
}

}  // namespace visualization_testing

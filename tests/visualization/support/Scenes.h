#pragma once
// Small scenes for the renderer's tests: shapes, species and trajectory
// files written frame by frame.
#include <cstdint>
#include <string>
#include <vector>

#include "dynamics/output/TrajectoryFormat.h"
#include "visualization/C3DObject.h"
#include "visualization/Mesh.h"

namespace visualization_testing {

// A cube of edge `edge` (Å) about the body origin, its faces outwards.
Mesh cube(double edge);

// An instance record at `centre` (Å) without rotation.
trajectory::InstanceState instance_at(std::int32_t species, double x, double y, double z, std::uint8_t flags = 0);

struct TestFrame {
    std::int64_t step = 0;
    std::vector<trajectory::InstanceState> instances;
};

// Writes the frames as a trajectory file.
void write_trajectory(const std::string& path, const std::vector<TestFrame>& frames);

// A species of one shape in the colours given (none: no colour list).
C3DObjectMovable species_of(const Mesh& shape, std::vector<Rgba> colours);

inline Rgba rgba(double r, double g, double b, double a = 1.0) { return Rgba{{r, g, b, a}}; }

}  // namespace visualization_testing

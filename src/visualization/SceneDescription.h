#pragma once
// What the renderer draws, as the document describes it: per species its
// drawable and optional potential grid, the scene box and the number of
// instances in each trajectory frame. The description refers to the
// document's objects and the engine's grids and owns neither.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "visualization/C3DObject.h"

// A species' potential grid: cubic, centred on the body origin, cell
// (i, j, k) at flat index (i·n + j)·n + k.
struct PotentialGridView {
    std::int32_t pot_n = 0;          // cells per edge
    double step = 0;                 // cell edge, Å
    std::span<const double> values;  // V; read only when it holds pot_n³ cells
};

struct SpeciesLook {
    const C3DObject* object = nullptr;  // colours, meshes per type, pot_m; none draws nothing
    std::optional<PotentialGridView> potential;
};

// The scene box, Å.
struct SceneBox {
    double xmin = -100.0;
    double xmax = 100.0;
    double ymin = -100.0;
    double ymax = 100.0;
    double zmin = -100.0;
    double zmax = 100.0;

    // The sum of the three edge lengths, the scene's size for the camera.
    double size() const { return (ymax - ymin) + (xmax - xmin) + (zmax - zmin); }
};

struct SceneDescription {
    std::vector<SpeciesLook> species;
    SceneBox box;
    std::size_t instances = 0;  // instance records in a trajectory frame
};

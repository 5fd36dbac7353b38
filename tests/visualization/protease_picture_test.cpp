// The example of examples/protease as the viewer shows it: the engine runs
// the example in a copy of its folder, velmesh makes a surface of each
// species' atoms, the surfaces go through shape files, and a frame of the
// trajectory is drawn off-screen and saved as pictures/protease.png (coloured
// by potential) and pictures/protease_flags.png (coloured by flags, the last
// frame, where every protease is bound) for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "support/LoggedText.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "visualization/FrameSource.h"
#include "visualization/SceneView.h"
#include "visualization/ShapeFile.h"
#include "visualization/support/Offscreen.h"
#include "visualization/support/PngFile.h"
#include "visualization/support/Scenes.h"

namespace {

namespace fs = std::filesystem;
using namespace visualization_testing;
using testing_support::CurrentDirGuard;
using testing_support::TempDir;

// The species' atoms as velmesh's spheres (Å, body frame).
void write_spheres(const PROT_CLASS& species, const std::string& path) {
    std::ofstream out(path);
    char line[128];
    for (const ATOM& atom : species.atoms) {
        std::snprintf(line, sizeof line, "%.4f %.4f %.4f %.4f\n", atom.x * 1e10, atom.y * 1e10, atom.z * 1e10,
                      atom.r * 1e10);
        out << line;
    }
}

// velmesh's vertex and face files of `base` turned into a shape file: the
// faces' corners in order.
void write_shape(const std::string& base, const std::string& shape) {
    std::vector<std::string> vertices;
    std::ifstream vert(base + ".vert");
    for (std::string line; std::getline(vert, line);) {
        std::istringstream fields(line);
        std::string x, y, z;
        if (fields >> x >> y >> z) vertices.push_back(x + " " + y + " " + z);
    }
    std::vector<std::size_t> corners;
    std::ifstream face(base + ".face");
    for (std::string line; std::getline(face, line);) {
        std::istringstream fields(line);
        std::size_t a = 0, b = 0, c = 0;
        if (!(fields >> a >> b >> c)) continue;
        for (const std::size_t v : {a, b, c}) ASSERT_TRUE(v >= 1 && v <= vertices.size()) << line;
        corners.insert(corners.end(), {a - 1, b - 1, c - 1});
    }
    std::ofstream out(shape);
    out << corners.size() << "\n";
    for (const std::size_t v : corners) out << vertices[v] << "\n";
}

TEST(ProteasePicture, ExampleFrameDrawnOffScreen) {
    TempDir dir;
    fs::copy(ZELMAR_EXAMPLES "/protease", dir.path());
    fs::create_directory(dir.path() / "out");
    CurrentDirGuard guard;
    fs::current_path(dir.path());

    PDcalc engine;
    bool prepared = false;
    testing_support::logged_text([&] {
        prepared = engine.prepare("protease.cfg");
        if (prepared) engine.calculate();
    });
    ASSERT_TRUE(prepared);

    const std::vector<Rgba> palettes[2] = {
        // protease: free, contact, bound, contact and bound
        {rgba(0.55, 0.7, 1.0), rgba(1, 1, 0.3), rgba(0.3, 0.9, 0.3), rgba(1, 1, 0.3)},
        // peptide
        {rgba(1.0, 0.55, 0.2), rgba(1, 1, 0.3), rgba(0.9, 0.3, 0.9), rgba(1, 1, 0.3)}};
    std::vector<C3DObjectMovable> objects;
    for (std::size_t s = 0; s < engine.model.species.size(); ++s) {
        const PROT_CLASS& species = engine.model.species[s];
        const std::string base = (dir.path() / species.name).string();
        write_spheres(species, base + ".spheres");
        const auto run = testing_support::run_program(
            {VELMESH_PROGRAM, "-if", base + ".spheres", "-of", base, "-probe_radius", "1.4", "-no_header"},
            {dir.path(), false, 900});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        write_shape(base, base + ".shape");
        C3DObjectMovable object;
        object.shapes.push_back(read_shape_file(base + ".shape"));
        ASSERT_GT(object.shapes[0].triangle_count(), 1000u) << species.name;
        object.colors = palettes[s % 2];
        object.pot_m = 0.3;  // the weak potential of most of the surface shows too
        objects.push_back(std::move(object));
    }

    SceneDescription scene;
    scene.instances = static_cast<std::size_t>(engine.prots_n);
    for (std::size_t s = 0; s < objects.size(); ++s) {
        const PROT_CLASS& species = engine.model.species[s];
        scene.species.push_back(
            SpeciesLook{&objects[s], PotentialGridView{species.pot_n, engine.h * 1e10, species.pot}});
    }

    TrajectoryFrames frames((dir.path() / "out" / "trajectory.bin").string(), scene.instances);
    ASSERT_GT(frames.frame_count(), 2u);
    Offscreen screen(800, 600);
    SceneView view(scene, frames, {});
    DisplaySwitches switches;

    view.playback().set_frame(static_cast<std::int64_t>(frames.frame_count() / 2));
    view.draw(800, 600, switches);
    const Image by_potential = screen.read();
    const std::string path = save_picture(by_potential, "protease");
    std::printf("picture: %s\n", path.c_str());
    EXPECT_GT(count_hue(by_potential, Hue::black), 800 * 600 / 10);
    EXPECT_LT(count_hue(by_potential, Hue::black), 800 * 600 * 9 / 10);

    switches.color_by_potential = false;
    view.playback().set_frame(static_cast<std::int64_t>(frames.frame_count()) - 1);
    view.draw(800, 600, switches);
    const Image by_flags = screen.read();
    std::printf("picture: %s\n", save_picture(by_flags, "protease_flags").c_str());
    EXPECT_NE(by_flags.rgb, by_potential.rgb);
}

}  // namespace

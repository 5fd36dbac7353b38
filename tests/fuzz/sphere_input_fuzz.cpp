// velmesh's sphere file is written by users and other programs: any bytes
// must be read into spheres or refused with a message, never crash, hang or
// read outside a line.
//
// The sphere templates that the reader builds last belong to the
// triangulation and cost time in proportion to the area a radius asks for
// (a 300 Å sphere is millions of points, which is legitimate work, not a
// hang): the run's densities are 0 here, so that every template is empty
// and the fuzzing stays on the reading.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "surface/CommandLine.h"
#include "surface/Console.h"
#include "surface/RunState.h"
#include "surface/input/SphereReader.h"

namespace {

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    velmesh::RunState run;
    run.noh = (data[0] & 1) != 0;
    run.input_path = "spheres.xyz";
    velmesh::apply_defaults(run);
    run.density = run.sqrt_density = 0;
    run.hdensity = run.sqrt_hdensity = 0;
    File input(std::tmpfile());
    if (size > 1) std::fwrite(data + 1, 1, size - 1, input.get());
    std::rewind(input.get());
    static File null_out(std::fopen("/dev/null", "w"));
    const velmesh::ConsoleRedirect quiet(null_out.get(), null_out.get());

    int count = -1;
    try {
        count = velmesh::get_atom_no_num(run, input.get(), true);
    } catch (const velmesh::RunExit&) {
        return 0;  // the run ends with its message, as the program would
    }
    if (count < 0) return 0;  // refused with a message
    if (static_cast<std::size_t>(count) != run.atoms.size() ||
        count != run.sphere_count + run.collision_only_count)
        std::abort();
    for (const velmesh::Atom& atom : run.atoms) {
        if (!std::isfinite(atom.x) || !std::isfinite(atom.y) || !std::isfinite(atom.z) || !(atom.r > 0.2f) ||
            !std::isfinite(atom.r) || atom.radius_class < 0 || atom.radius_class >= run.radius_class_count())
            std::abort();
    }
    return 0;
}

// velmesh: the solvent-excluded surface of a set of spheres.
#include <string>
#include <vector>

#include "surface/Run.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return velmesh::run_velmesh(args);
}

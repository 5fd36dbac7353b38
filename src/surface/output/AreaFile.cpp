#include "surface/output/AreaFile.h"

#include <cstdio>

#include "surface/Console.h"
#include "surface/output/ReplacingFile.h"

namespace velmesh {

std::string area_file_name(const std::string& name) {
    std::size_t separator = name.rfind('\\');
    if (separator == std::string::npos) separator = name.rfind('/');
    if (separator == std::string::npos) separator = name.rfind(']');
    const std::size_t from = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < from) return name + ".area";
    return name.substr(0, dot) + ".area";
}

void write_area_file(const RunState& run) {
    if (run.ses_components.empty()) return;
    ReplacingFile file(run.area_file);
    if (!file.is_open()) {
        print_err("Output file %s couldn't be open ... Bye\n", run.area_file.c_str());
        return;
    }
    std::FILE* out = file.stream();
    const int components = run.ses_components.count();
    std::fprintf(out, " Atom#   ");
    for (int c = 0; c < components; ++c) std::fprintf(out, " ses_%-3d sas_%-3d", c, c);
    for (int i = 0; i < run.atom_count(); ++i) {
        const Atom& atom = run.atoms[i];
        std::fprintf(out, "\n%6d ", i);
        for (int c = 0; c < components; ++c) {
            std::fprintf(out, " %7.4f %7.4f %s", atom.areas.ses(c), atom.areas.sas(c), atom.name.c_str());
        }
    }
    std::fprintf(out, "\n");
    if (!file.finish() || !file.replace_target()) {
        print_err("Output file %s couldn't be written\n", run.area_file.c_str());
        std::remove(run.area_file.c_str());
    }
}

}  // namespace velmesh

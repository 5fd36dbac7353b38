#include "surface/support/SurfaceSweep.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "support/TempDir.h"
#include "surface/support/ExcludedRegion.h"
#include "surface/support/SESChecker.h"

namespace surface_testing {

namespace {

std::vector<int> analytical_genera(const std::vector<TestSphere>& spheres, double probe) {
    velmesh::RunState run = run_of(spheres, probe);
    CapturedConsole console;
    compute_analytical_surface(run);
    std::vector<int> genera;
    for (const auto& c : run.ses_components) genera.push_back(static_cast<int>(std::lround(c.analytical_genus)));
    return genera;
}

// The spheres as the run's last attempt had them: a restart prints every
// radius it grows.
std::vector<TestSphere> grown_spheres(std::vector<TestSphere> spheres, const std::string& out) {
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        int index = -1;
        double before = 0, after = 0;
        if (std::sscanf(line.c_str(), "radius of atom %d goes from %lf to %lf", &index, &before, &after) == 3 ||
            std::sscanf(line.c_str(), "radius of atom %d goes from %lf -> %lf", &index, &before, &after) == 3)
            if (index >= 0 && index < static_cast<int>(spheres.size())) spheres[index].r = after;
    }
    return spheres;
}

void collect_lines(const std::string& stream, std::initializer_list<const char*> marks, std::vector<std::string>& out) {
    std::istringstream lines(stream);
    std::string line;
    while (std::getline(lines, line))
        for (const char* mark : marks)
            if (line.find(mark) != std::string::npos) {
                out.push_back(line);
                break;
            }
}

int attempts_of(const std::string& out) {
    int attempts = 1;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
        if (line.find("try again") != std::string::npos) ++attempts;
    return attempts;
}

}  // namespace

SweepResult sweep_case(const SweepCase& c) {
    testing_support::TempDir dir;
    testing_support::write_file(dir.file("s.xyz"), sphere_file(c.spheres));
    std::vector<std::string> args = {"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-probe_radius", number_text(c.probe),
                                     "-de", number_text(c.density)};
    if (c.all_components) args.push_back("-all_components");
    SweepResult result;
    result.run = run_capture(args);
    result.attempts = attempts_of(result.run.out);
    result.restarted = result.attempts > 1;
    collect_lines(result.run.out, {"WARNING", "ERROR"}, result.warnings);
    collect_lines(result.run.err, {"WARNING", "ERROR"}, result.warnings);
    collect_lines(result.run.out, {"problem in the"}, result.problems);
    const Report report = parse_report(result.run.out);
    const std::vector<TestSphere> grown = grown_spheres(c.spheres, result.run.out);
    const std::vector<int> genera = analytical_genera(grown, c.probe);
    std::vector<Sphere> spheres;
    for (const TestSphere& s : grown) spheres.push_back({s.x, s.y, s.z, s.r});
    const bool measure = c.envelope;
    std::unique_ptr<ExcludedRegion> region;
    if (measure) region = std::make_unique<ExcludedRegion>(grown, c.probe);
    std::vector<Mesh> meshes;
    for (const VolumeRow& row : report.volumes) {
        const std::string base = dir.file(row.component == 0 ? "m" : "m_" + std::to_string(row.component));
        meshes.push_back(read_mesh(base + ".vert", base + ".face"));
    }
    // Cavities face into themselves; the outer surface, lone spheres and
    // clusters apart face out. The surface around the cavities is built
    // before them.
    const std::vector<std::vector<int>> surrounding = surrounding_meshes(meshes);
    const std::vector<int> signs = volume_signs(surrounding);
    for (std::size_t m = 0; m < meshes.size(); ++m) {
        const VolumeRow& row = report.volumes[m];
        const Mesh& mesh = meshes[m];
        MeshCheckOptions options;
        options.spheres = spheres;
        options.probe_radius = c.probe;
        options.printed_volume = row.volume;
        // A restart grows radii: the spheres and the analytical genus are
        // those of the last attempt.
        // The analytical genus is that of all the component's pieces together
        // (the cuts can seal pockets off the rest): the sum of theirs.
        const bool genus_known = row.component < static_cast<int>(genera.size());
        options.check_genus = false;
        options.volume_sign = signs[m];
        MeshCheck check = check_mesh(mesh, options);
        for (const int around : surrounding[m])
            if (around > static_cast<int>(m) && surrounding[around].empty())
                check.problems.push_back("comes before component " + std::to_string(report.volumes[around].component) +
                                         ", the outer surface around it");
        int genus = 0;
        for (const int euler : check.euler) genus += (2 - euler) / 2;
        if (genus_known && genus != genera[row.component])
            check.problems.push_back("genus of the pieces " + std::to_string(genus) + ", analytical " +
                                     std::to_string(genera[row.component]));
        result.checks.push_back(std::move(check));
        if (!measure) continue;
        for (std::size_t k = 0; k < mesh.vertices.size(); ++k) {
            const VertexRow& v = mesh.vertices[k];
            const double error = std::fabs(region->distance_to_probes(v.point) - c.probe);
            if (error > 0.01) ++result.off_envelope;
            if (error > result.envelope_error) {
                result.envelope_error = error;
                result.worst_vertex = static_cast<int>(k) + 1;
            }
        }
    }
    if (!c.keep_folder.empty())
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            std::filesystem::copy_file(entry.path(), std::filesystem::path(c.keep_folder) / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
    return result;
}

bool SweepResult::ok(double tolerance) const {
    if (run.status != 0 || !warnings.empty() || checks.empty()) return false;
    for (const MeshCheck& check : checks)
        if (!check.ok()) return false;
    return envelope_error <= tolerance;
}

std::string SweepResult::report() const {
    std::ostringstream out;
    out << "status " << run.status;
    if (restarted) out << " (restarted, " << attempts << " attempts)";
    out << ", " << checks.size()
        << " mesh(es), envelope error " << envelope_error;
    if (envelope_error > 0) out << " at vertex " << worst_vertex << " (" << off_envelope << " off by more than 0.01)";
    for (const std::string& w : warnings) out << "\n  " << w;
    for (const std::string& p : problems) out << "\n  " << p;
    for (std::size_t k = 0; k < checks.size(); ++k)
        if (!checks[k].ok()) out << "\n  component " << k << ": " << checks[k].report();
    if (checks.empty()) out << "\n" << run.out << run.err;
    return out.str();
}

}  // namespace surface_testing

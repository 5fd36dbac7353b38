#include "surface/CommandLine.h"

#include <cmath>
#include <climits>
#include <cstring>
#include <string_view>

#include "surface/Console.h"
#include "surface/input/NumberReader.h"
#include "surface/output/AreaFile.h"

namespace velmesh {

namespace {

// Above these a value is taken as a mistake: points closer than the 0.001
// resolution of the output files, or a probe beyond any molecule's scale.
constexpr float kLargestDensity = 1e6f;
constexpr float kLargestProbeRadius = 1e6f;

enum class Option {
    help,
    probe_radius,
    surface,
    density,
    hdensity,
    free_vertices,
    no_area,
    input_file,
    area_file,
    output_file,
    no_rest_on,
    no_rest,
    noh,
    all_components,
    no_header,
    one_cavity,
    unknown,
};

struct OptionRule {
    const char* name;
    Option option;
    int fixed;  // 0: prefix rule; n: the first n characters
};

constexpr OptionRule kOptions[] = {
    {"-help", Option::help, 0},
    {"-probe_radius", Option::probe_radius, 0},
    {"-surface", Option::surface, 0},
    {"-density", Option::density, 0},
    {"-hdensity", Option::hdensity, 0},
    {"-free_vertices", Option::free_vertices, 0},
    {"-no_area", Option::no_area, 0},
    {"-if", Option::input_file, 3},
    {"-af", Option::area_file, 3},
    {"-of", Option::output_file, 3},
    {"-no_rest_on", Option::no_rest_on, 10},
    {"-no_rest", Option::no_rest, 7},
    {"-noh", Option::noh, 4},
    {"-all_components", Option::all_components, 0},
    {"-no_header", Option::no_header, 0},
    {"-one_cavity", Option::one_cavity, 0},
};

Option match(std::string_view arg) {
    // An empty argument would be a prefix of every option.
    if (arg.empty()) return Option::unknown;
    for (const OptionRule& rule : kOptions) {
        const std::string_view name = rule.name;
        if (rule.fixed == 0) {
            if (arg.size() <= name.size() && name.substr(0, arg.size()) == arg) return rule.option;
        } else if (arg.size() >= static_cast<std::size_t>(rule.fixed) &&
                   arg.substr(0, rule.fixed) == name.substr(0, rule.fixed)) {
            return rule.option;
        }
    }
    return Option::unknown;
}

class Parser {
public:
    Parser(RunState& run, const std::vector<std::string>& args) : run_(run), args_(args) {}

    void parse() {
        for (i_ = 0; i_ < args_.size(); ++i_) {
            const std::string& arg = args_[i_];
            switch (match(arg)) {
                case Option::help:
                    print_usage();
                    exit_run(0);
                case Option::probe_radius:
                    run_.probe_radius = next_float("-probe_radius", kDefaultProbeRadius, kLargestProbeRadius);
                    run_.inv_probe_radius = 1 / run_.probe_radius;
                    break;
                case Option::surface: {
                    run_.surface_given = true;
                    const std::string* kind = next();
                    if (kind != nullptr && kind->compare(0, 4, "ases") == 0)
                        run_.want_analytical_ses = {true, true, true};
                    else
                        run_.want_triangulation = {true, true, true};
                    break;
                }
                case Option::density:
                    run_.density = next_float("-density", kDefaultDensity, kLargestDensity);
                    run_.sqrt_density = std::sqrt(run_.density);
                    break;
                case Option::hdensity:
                    run_.hdensity = next_float("-hdensity", kDefaultHighDensity, kLargestDensity);
                    run_.sqrt_hdensity = std::sqrt(run_.hdensity);
                    break;
                case Option::free_vertices:
                    run_.free_vertices = true;
                    break;
                case Option::no_area:
                    run_.do_area = false;
                    break;
                case Option::input_file:
                    run_.input_path = required_name("ERROR: input file name is missing ... Bye", console().err);
                    run_.input_given = true;
                    break;
                case Option::area_file:
                    run_.area_file =
                        area_file_name(required_name("input area file name is missing ... Bye", console().err));
                    run_.area_file_given = true;
                    break;
                case Option::output_file:
                    run_.output_base = required_name("output file name is missing ... Bye", console().out);
                    run_.output_given = true;
                    break;
                case Option::no_rest_on:
                    run_.restart_on_triangulation = false;
                    break;
                case Option::no_rest:
                    run_.restart = false;
                    break;
                case Option::noh:
                    run_.noh = true;
                    break;
                case Option::all_components:
                    run_.all_components = true;
                    break;
                case Option::no_header:
                    run_.no_header = true;
                    break;
                case Option::one_cavity:
                    one_cavity();
                    break;
                case Option::unknown:
                    print_banner(run_);
                    print_err("ERROR: %s unknown argument\n", arg.c_str());
                    exit_run(1);
            }
        }
    }

private:
    // The next argument, consumed; null when there is none.
    const std::string* next() {
        if (i_ + 1 >= args_.size()) return nullptr;
        return &args_[++i_];
    }

    std::string required_name(const char* missing, std::FILE* stream) {
        const std::string* name = next();
        if (name == nullptr) {
            std::fputs(missing, stream);
            exit_run(1);
        }
        return *name;
    }

    // A value read by the strict float reader with blanks removed: a missing
    // or unreadable value, or 0, is the default; a negative or absurd one an
    // error.
    float next_float(const char* option, float fallback, float largest) {
        const std::string* text = next();
        if (text == nullptr) return fallback;
        std::string value = *text;
        strip_blanks(value);
        NumberError error;
        const float number = read_float(value, error);
        if (error == NumberError::invalid) return fallback;
        if (number < 0) {
            print_err("ERROR: negative value %s for %s\n", text->c_str(), option);
            exit_run(1);
        }
        if (error == NumberError::out_of_range || number > largest) {
            print_err("ERROR: value %s out of range for %s\n", text->c_str(), option);
            exit_run(1);
        }
        return number == 0 ? fallback : number;
    }

    static int truncated(const std::string& text) {
        std::string value = text;
        strip_blanks(value);
        NumberError error;
        const double number = check_number(value, error);
        if (error != NumberError::none || !(std::fabs(number) < INT_MAX)) return 0;
        return static_cast<int>(number);
    }

    void one_cavity() {
        const std::string* count_text = next();
        const int count = count_text == nullptr ? 0 : truncated(*count_text);
        if (count < 1) {
            print_out("-one_cavity option requires at least one atom\n");
            exit_run(1);
        }
        if (static_cast<std::size_t>(count) > args_.size() - 1 - i_) {
            print_out("-one_cavity option the number of atoms followed by the index list\n");
            exit_run(1);
        }
        run_.one_cavity = true;
        run_.one_cavity_count = count;
        run_.one_cavity_atoms.clear();
        for (int k = 0; k < count; ++k) run_.one_cavity_atoms.push_back(truncated(*next()));
    }

    RunState& run_;
    const std::vector<std::string>& args_;
    std::size_t i_ = 0;
};

}  // namespace

void parse_command_line(RunState& run, const std::vector<std::string>& args) {
    Parser(run, args).parse();
}

void apply_defaults(RunState& run) {
    if (run.probe_radius == 0) run.probe_radius = kDefaultProbeRadius;
    run.inv_probe_radius = 1 / run.probe_radius;
    if (run.density == 0) run.density = kDefaultDensity;
    run.sqrt_density = std::sqrt(run.density);
    if (run.hdensity == 0) run.hdensity = kDefaultHighDensity;
    run.sqrt_hdensity = std::sqrt(run.hdensity);
    if (!run.surface_given) run.want_triangulation = {true, true, true};
}

void print_banner(const RunState& run) {
    print_out("VELMESH %s started on %s\n", "1.0", run.host_label.c_str());
    print_out("Solvent-excluded surface of a set of spheres: reduced surface, areas, triangulation, volumes\n");
    print_out("Compilation flags %s\n", "");
}

void print_usage() {
    static const char* const lines[] = {
        "Usage : velmesh parameters \n",
        "  -probe_radius float : probe sphere radius, [1.5]\n",
        "  -density float      : surface points density, [1.0]\n",
        "  -hdensity float     : surface points high density, [3.0]\n",
        "  -surface <tses,ases>: triangulated or Analytical SES, [tses]\n",
        "  -no_area            : turns off the analytical surface area computation\n",
        "  -noh                : ignore atoms with radius 1.2\n",
        "  -no_rest_on_pbr     : no restart if pb. during triangulation\n",
        "  -no_rest            : no restart if pb. are encountered\n",
        "  -if filename        : sphere input file\n",
        "  -of filename        : output for triangulated surface\n",
        "  -af filename        : area file\n",
        "  -no_header         : do not add comment line to the output\n",
        "  -free_vertices      : turns on computation for isolated RS vertices\n",
        "  -all_components     : compute all the surfaces components\n",
        "  -one_cavity #atoms at1 [at2][at3] : Compute the surface for an internal",
        "                        cavity for which at least one atom is specified\n",
    };
    for (const char* line : lines) std::fputs(line, console().err);
}

}  // namespace velmesh

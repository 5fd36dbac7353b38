#include "surface/input/SphereReader.h"

#include <cmath>
#include <string>
#include <vector>

#include "surface/Console.h"
#include "surface/input/LineReader.h"
#include "surface/input/NumberReader.h"
#include "surface/input/RadiusClasses.h"
#include "surface/input/Tokenizer.h"

namespace velmesh {

namespace {

const char* const kCoordinateNames[4] = {"x[0]", "x[1]", "x[2]", "r"};

std::string printable(const std::string& line) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

float column_float(std::string token, NumberError& error) {
    strip_blanks(token);
    if (token.empty()) {
        error = NumberError::invalid;
        return 0;
    }
    return read_float(token, error);
}

int column_int(std::string token, NumberError& error) {
    strip_blanks(token);
    return read_int(token, error);
}

// Reads one line into a sphere; false (after reporting) when the line holds
// no sphere.
class LineParser {
public:
    bool parse(const std::string& line, int line_number, Atom& atom, bool& malformed) {
        tokenize(line, tokens_);
        float values[4] = {};
        for (int c = 0; c < 4; ++c) {
            if (static_cast<int>(tokens_.size()) <= c) {
                print_out("GET_ATOMS: %s missing on line %d %s\n", kCoordinateNames[c], line_number,
                          printable(line).c_str());
                return false;
            }
        }
        for (int c = 0; c < 4; ++c) {
            NumberError error;
            values[c] = column_float(tokens_[c], error);
            if (error != NumberError::none) return report_malformed(kCoordinateNames[c], line, line_number, malformed);
        }
        atom.x = values[0];
        atom.y = values[1];
        atom.z = values[2];
        atom.r = values[3];
        atom.flags = 1;
        if (tokens_.size() >= 5) {
            NumberError error;
            atom.flags = column_int(tokens_[4], error);
            if (error != NumberError::none) return report_malformed("flags", line, line_number, malformed);
        }
        atom.sixth_column = 0;
        if (tokens_.size() >= 6) {
            // The sixth column may be the name itself: a text reads as 0.
            NumberError ignored;
            atom.sixth_column = column_int(tokens_[5], ignored);
        }
        atom.name.clear();
        if (tokens_.size() == 6)
            atom.name = tokens_[5];
        else if (tokens_.size() == 7 && !tokens_[6].empty())
            atom.name = tokens_[6];
        return true;
    }

private:
    static bool report_malformed(const char* column, const std::string& line, int line_number, bool& malformed) {
        print_err("GET_ATOMS: malformed %s on line %d %s\n", column, line_number, printable(line).c_str());
        malformed = true;
        return false;
    }

    std::vector<std::string> tokens_;
};

}  // namespace

int get_atom_no_num(RunState& run, std::FILE* input, bool rebuild_classes) {
    run.max_radius = FLT_MIN;
    run.min_radius = FLT_MAX;
    run.input_name = run.input_path;
    run.sphere_count = 0;
    run.collision_only_count = 0;
    run.atoms.clear();
    run.atoms.reserve(1000);
    if (rebuild_classes || run.templates.empty()) reset_radius_classes(run);

    LineReader reader(input);
    LineParser parser;
    std::string line;
    int line_number = 0;
    int sphere_lines = 0;
    bool malformed = false;
    while (reader.next(line)) {
        ++line_number;
        if (!line.empty() && line[0] == '#') continue;
        ++sphere_lines;
        Atom atom;
        if (!parser.parse(line, line_number, atom, malformed)) continue;
        // The radius as written: 0.2 is refused and 0.21 taken; with -noh 1.205
        // is refused and 1.21 taken.
        if (atom.r <= 0.2f || (run.noh && std::fabs(static_cast<double>(atom.r) - 1.2) < 0.01)) {
            print_out("Atom %d ignored, radius = %f\n", sphere_lines, atom.r);
            continue;
        }
        run.max_radius = std::max(run.max_radius, atom.r);
        run.min_radius = std::min(run.min_radius, atom.r);
        const int radius_class = radius_class_of(run, atom.r);
        if (radius_class < 0) {
            print_out("Too many spheres with different radius\n");
            run.rs_failed = 1;
            return -1;
        }
        atom.radius_class = static_cast<short>(radius_class);
        if (atom.flags != 0)
            ++run.sphere_count;
        else
            ++run.collision_only_count;
        run.atoms.push_back(std::move(atom));
    }
    if (std::ferror(input)) {
        print_err("GET_ATOMS: read error after line %d\n", line_number);
        return -1;
    }
    if (malformed) return -1;
    build_templates(run);
    return run.sphere_count + run.collision_only_count;
}

}  // namespace velmesh

#include "visualization/ShapeFile.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>

#include "utils/Log.h"
#include "utils/ReadText.h"
#include "utils/ScanNumbers.h"

namespace {

// The count as formatted input reads an integer: white space, an optional
// sign, digits. `rest` is what follows it.
std::optional<std::int64_t> read_count(std::string_view text, std::string_view& rest) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (at < text.size() && text[at] == '+') ++at;
    std::int64_t count = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), count);
    if (error != std::errc{}) return std::nullopt;
    rest = text.substr(static_cast<std::size_t>(end - text.data()));
    return count;
}

bool read_vertex(NumberScanner& numbers, CVector& v) {
    double xyz[3];
    if (numbers.next(xyz, 3) != 3) return false;
    v = CVector{xyz[0], xyz[1], xyz[2]};
    return true;
}

}  // namespace

ShapeText read_shape_text(std::string_view text) {
    ShapeText shape;
    std::string_view rest;
    const std::optional<std::int64_t> count = read_count(text, rest);
    if (!count) {
        shape.problem = "no vertex count";
        return shape;
    }
    if (*count < 0) {
        shape.problem = "negative vertex count " + std::to_string(*count);
        return shape;
    }

    const std::int64_t triangles = *count / 3;
    NumberScanner numbers(rest);
    std::int64_t read = 0;
    CVector corner[3];
    for (std::int64_t t = 0; t < triangles; ++t) {
        int got = 0;
        while (got < 3 && read_vertex(numbers, corner[got])) ++got;
        read += got;
        if (got < 3) {
            shape.problem = std::to_string(read) + " of " + std::to_string(*count) + " vertices read, " +
                            std::to_string(shape.mesh.triangle_count()) + " whole triangles kept";
            return shape;
        }
        shape.mesh.add_triangle(corner[0], corner[1], corner[2]);
    }
    if (*count % 3 != 0)
        shape.problem = "vertex count " + std::to_string(*count) + " is no whole number of triangles, " +
                        std::to_string(triangles) + " kept";
    return shape;
}

Mesh read_shape_file(const std::string& path) {
    const std::optional<std::string> text = read_text_file(path);
    if (!text) {
        LOG_WARNING("shape file %s cannot be read", path.c_str());
        return {};
    }
    ShapeText shape = read_shape_text(*text);
    if (!shape.problem.empty()) LOG_WARNING("shape file %s: %s", path.c_str(), shape.problem.c_str());
    return std::move(shape.mesh);
}

#pragma once
// Pictures saved as PNG files, for a person to look at what a test drew.
#include <string>

#include "visualization/Image.h"

namespace visualization_testing {

// Writes `image` as an 8-bit RGB PNG file; throws std::runtime_error when the
// file cannot be written.
void save_png(const Image& image, const std::string& path);

// Saves `image` as <name>.png in the tests' picture folder (made when
// missing) and returns the file's path.
std::string save_picture(const Image& image, const std::string& name);

}  // namespace visualization_testing

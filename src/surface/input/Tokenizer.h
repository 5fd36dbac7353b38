#pragma once
// Splits a line of the sphere file into its columns: at white space; a column
// that begins with " or ' runs to the matching quote, which is not part of it
// (an unmatched quote runs to the end of the line).
#include <string>
#include <string_view>
#include <vector>

namespace velmesh {

void tokenize(std::string_view line, std::vector<std::string>& tokens);

}  // namespace velmesh

#pragma once
// The area file: per sphere, its share of the SES area and its SAS area in
// every SES component.
#include <string>

#include "surface/RunState.h"

namespace velmesh {

// The area-file name for a name given with -af: its extension (after the
// last "." following the last path separator) replaced by ".area", or
// ".area" appended.
std::string area_file_name(const std::string& name);

// Writes run.area_file when at least one SES component exists. A file that
// cannot be opened or written is reported; the run goes on.
void write_area_file(const RunState& run);

}  // namespace velmesh

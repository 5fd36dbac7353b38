#pragma once
// Seam for tests: a function the document runs on its engine at two points
// of the open, just before prepare and just before the shape files are read
// (a test makes it throw as the engine or the reading would, say
// std::bad_alloc); null for none.
class PDcalc;

namespace showdoc_detail {
enum class OpenStage { prepare, shapes };
using OpenHook = void (*)(PDcalc& engine, OpenStage stage);
void set_open_hook(OpenHook hook);
}  // namespace showdoc_detail

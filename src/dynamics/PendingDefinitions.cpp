// TEMPORARY: stand-ins for members that other branches define, so that the
// engine links until they are merged.
#include <stdexcept>

#include "dynamics/PDcalc.h"

namespace {
[[noreturn]] void pending(const char* what) { throw std::logic_error(std::string(what) + " is not merged yet"); }
}  // namespace

void PDcalc::init_prot(PROT_CLASS&, Section*) { pending("init_prot"); }

#include "numerics/Messages.h"

#include <cstdio>
#include <string>

namespace calvex {

bool messages_enabled = true;

void print_failure(RoutineKind kind, std::string_view routine, int reason, std::string_view text,
                   bool value_substituted) {
    if (!messages_enabled) return;
    std::string message = "calvex: fatal error in ";
    message += kind == RoutineKind::function ? "function " : "subroutine ";
    message += routine;
    message += "\n  reason ";
    message += std::to_string(reason);
    message += ": ";
    message += text;
    message += '\n';
    if (value_substituted) message += "  the function value is set to 3.4E38\n";
    std::fputs(message.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace calvex

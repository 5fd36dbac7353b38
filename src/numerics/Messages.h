#pragma once
// Failure messages of the numerical routines, printed on standard output.
#include <string_view>

namespace calvex {

// Whether failure messages are printed; on when the library is loaded.
extern bool messages_enabled;

enum class RoutineKind { function, subroutine };

// Prints the header line naming the routine, the numbered reason and, when
// `value_substituted`, the line saying that the result was set to 3.4E38.
void print_failure(RoutineKind kind, std::string_view routine, int reason, std::string_view text,
                   bool value_substituted);

}  // namespace calvex

#include "numerics/stats/Failure.h"

#include "numerics/Messages.h"

namespace calvex {

float fail(std::string_view routine, const Failure& failure, unsigned& code) {
    code = failure.code;
    print_failure(RoutineKind::function, routine, failure.reason, failure.text, failure.value_line);
    return kErrorValue;
}

}  // namespace calvex

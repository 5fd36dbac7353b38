#pragma once
// The fault translator: one fault becomes one error line of the log.
#include <cstdint>

#include "winfault/FaultLog.h"
#include "winfault/FaultRecord.h"

namespace winfault {

// Logs the text of the fault with `code` described by `record`
// (describe_fault) at error level. Returns; throws nothing.
void translate_fault(std::uint32_t code, const FaultRecord& record, FaultLog& log) noexcept;

}  // namespace winfault

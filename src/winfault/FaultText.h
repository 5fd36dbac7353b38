#pragma once
// The one line that tells what fault happened where.
#include <cstdint>

#include "winfault/FaultRecord.h"
#include "winfault/SafeText.h"

namespace winfault {

// Appends the text for a fault with `code` described by `record`:
//   access violation: "Exception ACCESS_VIOLATION (0xC0000005) at address 0x<pc>.
//                      Unable to read location: 0x<address>" (or "write"),
//   another code of the table: "Exception <name> (0x<code>) at address 0x<pc>.",
//   any other code: "Unknown exception.".
// Codes have eight hexadecimal digits, addresses the full pointer width.
// Allocates nothing, so a signal handler may call it.
void describe_fault(std::uint32_t code, const FaultRecord& record, SafeText& text);

}  // namespace winfault

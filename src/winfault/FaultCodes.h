#pragma once
// The exception codes the reporter knows, with their names.
//
// The codes are those of the platform whose structured exceptions the
// reporter was first written for; the signal layer (SignalTranslation.h)
// maps processor faults onto them, so log lines read the same everywhere.
#include <cstdint>
#include <span>

namespace winfault {

namespace fault_code {
inline constexpr std::uint32_t guard_page = 0x80000001;
inline constexpr std::uint32_t datatype_misalignment = 0x80000002;
inline constexpr std::uint32_t breakpoint = 0x80000003;
inline constexpr std::uint32_t single_step = 0x80000004;
inline constexpr std::uint32_t access_violation = 0xC0000005;
inline constexpr std::uint32_t in_page_error = 0xC0000006;
inline constexpr std::uint32_t invalid_handle = 0xC0000008;
inline constexpr std::uint32_t illegal_instruction = 0xC000001D;
inline constexpr std::uint32_t noncontinuable_exception = 0xC0000025;
inline constexpr std::uint32_t invalid_disposition = 0xC0000026;
inline constexpr std::uint32_t array_bounds_exceeded = 0xC000008C;
inline constexpr std::uint32_t flt_denormal_operand = 0xC000008D;
inline constexpr std::uint32_t flt_divide_by_zero = 0xC000008E;
inline constexpr std::uint32_t flt_inexact_result = 0xC000008F;
inline constexpr std::uint32_t flt_invalid_operation = 0xC0000090;
inline constexpr std::uint32_t flt_overflow = 0xC0000091;
inline constexpr std::uint32_t flt_stack_check = 0xC0000092;
inline constexpr std::uint32_t flt_underflow = 0xC0000093;
inline constexpr std::uint32_t int_divide_by_zero = 0xC0000094;
inline constexpr std::uint32_t int_overflow = 0xC0000095;
inline constexpr std::uint32_t priv_instruction = 0xC0000096;
inline constexpr std::uint32_t stack_overflow = 0xC00000FD;

// Stands for a fault that has no code of the table (a fault signal sent by a
// process, or a signal code this layer does not know).
inline constexpr std::uint32_t none = 0;
}  // namespace fault_code

struct FaultName {
    std::uint32_t code;
    const char* name;
};

// Every known code with its name, in the order they are tried.
std::span<const FaultName> fault_names();

// The name of `code`, or null when the table does not hold it.
const char* fault_name(std::uint32_t code);

}  // namespace winfault

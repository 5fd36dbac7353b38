#include "winfault/FaultCodes.h"

#include <array>

namespace winfault {

namespace {

constexpr std::array<FaultName, 22> table{{
    {fault_code::guard_page, "GUARD_PAGE"},
    {fault_code::datatype_misalignment, "DATATYPE_MISALIGNMENT"},
    {fault_code::breakpoint, "BREAKPOINT"},
    {fault_code::single_step, "SINGLE_STEP"},
    {fault_code::access_violation, "ACCESS_VIOLATION"},
    {fault_code::in_page_error, "IN_PAGE_ERROR"},
    {fault_code::invalid_handle, "INVALID_HANDLE"},
    {fault_code::illegal_instruction, "ILLEGAL_INSTRUCTION"},
    {fault_code::noncontinuable_exception, "NONCONTINUABLE_EXCEPTION"},
    {fault_code::invalid_disposition, "INVALID_DISPOSITION"},
    {fault_code::array_bounds_exceeded, "ARRAY_BOUNDS_EXCEEDED"},
    {fault_code::flt_denormal_operand, "FLT_DENORMAL_OPERAND"},
    {fault_code::flt_divide_by_zero, "FLT_DIVIDE_BY_ZERO"},
    {fault_code::flt_inexact_result, "FLT_INEXACT_RESULT"},
    {fault_code::flt_invalid_operation, "FLT_INVALID_OPERATION"},
    {fault_code::flt_overflow, "FLT_OVERFLOW"},
    {fault_code::flt_stack_check, "FLT_STACK_CHECK"},
    {fault_code::flt_underflow, "FLT_UNDERFLOW"},
    {fault_code::int_divide_by_zero, "INT_DIVIDE_BY_ZERO"},
    {fault_code::int_overflow, "INT_OVERFLOW"},
    {fault_code::priv_instruction, "PRIV_INSTRUCTION"},
    {fault_code::stack_overflow, "STACK_OVERFLOW"},
}};

}  // namespace

std::span<const FaultName> fault_names() { return table; }

const char* fault_name(std::uint32_t code) {
    for (const FaultName& entry : table)
        if (entry.code == code) return entry.name;
    return nullptr;
}

}  // namespace winfault

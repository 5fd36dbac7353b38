#include "winfault/FaultText.h"

#include "winfault/FaultCodes.h"

namespace winfault {

namespace {

void append_address(SafeText& text, std::uintptr_t address) {
    text.append("0x").append_hex(address, pointer_digits);
}

// "Exception <name> (0x<code>) at address 0x<pc>."
void append_headline(SafeText& text, const char* name, std::uint32_t code, std::uintptr_t address) {
    text.append("Exception ").append(name).append(" (0x").append_hex(code, 8).append(") at address ");
    append_address(text, address);
    text.append(".");
}

}  // namespace

void describe_fault(std::uint32_t code, const FaultRecord& record, SafeText& text) {
    const char* const name = fault_name(code);
    if (name == nullptr) {
        text.append("Unknown exception.");
        return;
    }
    append_headline(text, name, code, record.address);
    if (code != fault_code::access_violation) return;

    const std::uintptr_t write = record.parameter_count > 0 ? record.parameters[0] : 0;
    const std::uintptr_t location = record.parameter_count > 1 ? record.parameters[1] : 0;
    text.append(" ").append(write != 0 ? " Unable to write location:" : " Unable to read location:").append(" ");
    append_address(text, location);
}

}  // namespace winfault

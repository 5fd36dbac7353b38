// The text of a fault, and the fixed-buffer text it is built in.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "winfault/FaultCodes.h"
#include "winfault/FaultText.h"
#include "winfault/SafeText.h"

using winfault::FaultRecord;
using winfault::SafeText;
namespace code = winfault::fault_code;

namespace {

// `write_word` is the record's first parameter word: non-zero for a write.
FaultRecord memory_fault(std::uintptr_t pc, std::uintptr_t write_word, std::uintptr_t accessed) {
    FaultRecord record;
    record.address = pc;
    record.parameter_count = 2;
    record.parameters = {write_word, accessed};
    return record;
}

FaultRecord at(std::uintptr_t pc) {
    FaultRecord record;
    record.address = pc;
    return record;
}

std::string text_of(std::uint32_t fault, const FaultRecord& record) {
    SafeText text;
    winfault::describe_fault(fault, record, text);
    return std::string(text.view());
}

struct TextCase {
    const char* what;
    std::uint32_t code;
    FaultRecord record;
    const char* expected;
};

}  // namespace

TEST(FaultText, EachKindOfFaultHasItsText) {
    static_assert(sizeof(std::uintptr_t) == 8, "the expected texts are those of a 64-bit build");
    const TextCase cases[] = {
        {"read through null", code::access_violation, memory_fault(0x4011A2, 0, 0),
         "Exception ACCESS_VIOLATION (0xC0000005) at address 0x00000000004011A2.  Unable to read location: "
         "0x0000000000000000"},
        {"write, addresses above 32 bits in full", code::access_violation,
         memory_fault(0x55D0C3A1B2C4, 1, 0x7FFF12345678),
         "Exception ACCESS_VIOLATION (0xC0000005) at address 0x000055D0C3A1B2C4.  Unable to write location: "
         "0x00007FFF12345678"},
        {"any non-zero first word is a write", code::access_violation, memory_fault(0x10, 2, 0xFFFFFFFFFFFFFFF0),
         "Exception ACCESS_VIOLATION (0xC0000005) at address 0x0000000000000010.  Unable to write location: "
         "0xFFFFFFFFFFFFFFF0"},
        {"access violation without its words", code::access_violation, at(0x10),
         "Exception ACCESS_VIOLATION (0xC0000005) at address 0x0000000000000010.  Unable to read location: "
         "0x0000000000000000"},
        {"integer division", code::int_divide_by_zero, at(0x401000),
         "Exception INT_DIVIDE_BY_ZERO (0xC0000094) at address 0x0000000000401000."},
        {"stack overflow, no words printed", code::stack_overflow, memory_fault(0x401000, 1, 0x7FFC00000000),
         "Exception STACK_OVERFLOW (0xC00000FD) at address 0x0000000000401000."},
        {"first code of the table", code::guard_page, at(0),
         "Exception GUARD_PAGE (0x80000001) at address 0x0000000000000000."},
        {"last code of the table", code::stack_overflow, at(0xFFFFFFFFFFFFFFFF),
         "Exception STACK_OVERFLOW (0xC00000FD) at address 0xFFFFFFFFFFFFFFFF."},
        {"no code", code::none, at(0x401000), "Unknown exception."},
        {"a code outside the table", 0xE06D7363, memory_fault(0x401000, 0, 0), "Unknown exception."},
        {"a code between two of the table", 0xC0000007, at(0x401000), "Unknown exception."},
    };
    for (const TextCase& c : cases) EXPECT_EQ(text_of(c.code, c.record), c.expected) << c.what;
}

TEST(FaultText, TableHoldsEachCodeOnceUnderItsName) {
    const auto names = winfault::fault_names();
    EXPECT_EQ(names.size(), 22u);
    for (const auto& entry : names) {
        EXPECT_STREQ(winfault::fault_name(entry.code), entry.name);
        EXPECT_EQ(text_of(entry.code, at(1)).find(std::string("Exception ") + entry.name + " (0x"), 0u);
    }
}

TEST(SafeText, NumbersAndTheCutAtCapacity) {
    SafeText numbers;
    numbers.append_decimal(0).append(" ").append_decimal(-42).append(" ").append_decimal(LONG_MIN).append(" ");
    numbers.append_hex(0xABC, 1).append(" ").append_hex(0xABC, 6).append(" ").append_hex(~0ULL, 8);
    EXPECT_EQ(numbers.view(), "0 -42 -9223372036854775808 ABC 000ABC FFFFFFFFFFFFFFFF");

    SafeText full;
    for (int i = 0; i < 200; ++i) full.append("abcdefgh");
    EXPECT_EQ(full.view().size(), SafeText::capacity);
    EXPECT_EQ(std::string(full.c_str()).size(), SafeText::capacity);
}

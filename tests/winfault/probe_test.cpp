// Faults in a program with the engine's entry: each is logged with its name,
// code and address, and the program ends as after any other exception, with
// status 1 and the log closed by its summary.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <string>
#include <vector>

#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "zelmar/LogText.h"

using testing_support::read_file;
using testing_support::TempDir;

namespace {

const std::string probe = ZELMAR_BINARY_DIR "/tests/winfault/winfault_probe";

struct ProbeRun {
    testing_support::ProgramRun run;
    std::string log;  // normalised: no time stamps, line numbers N
};

ProbeRun run_probe(const std::string& fault, std::vector<std::string> options = {}) {
    TempDir dir;
    std::vector<std::string> args{probe, fault, "-l", "probe"};
    args.insert(args.end(), options.begin(), options.end());
    ProbeRun result;
    result.run = testing_support::run_program(args, {dir.path(), false, 30});
    result.log = log_text::normalised(read_file(dir.file("probe.log")));
    return result;
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool matches(const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern));
}

const std::string address = "0x[0-9A-F]{16}";
const std::string code_address = "0x(?!0{16})[0-9A-F]{16}";  // an instruction is never at 0
const std::string terminated = "program terminated with exception";

// The log of a fault reported in full: the fault's line and the entry's,
// both repeated in the summary, located at the reporter's installation.
std::string full_log(const std::string& fault, const std::string& line) {
    const std::string at = R"(fault_probe\.cpp\(N\), )";
    const std::string errors = at + "error: " + line + "\n" + at + "error: " + terminated + "\n";
    return "^" + at + "message: making the fault " + fault + "\n" + errors + "\n\nRepeating warnings/errors:\n" +
           errors + "\n\n\n$";
}

struct FaultCase {
    const char* fault;
    std::string line;  // a pattern
};

}  // namespace

TEST(FaultProbe, EachFaultIsLoggedAndEndsTheProgramWithStatusOne) {
    const FaultCase cases[] = {
        {"null-read", "Exception ACCESS_VIOLATION \\(0xC0000005\\) at address " + code_address +
                          "\\.  Unable to read location: 0x0000000000000000"},
        {"read-only-write", "Exception ACCESS_VIOLATION \\(0xC0000005\\) at address " + code_address +
                                "\\.  Unable to write location: " + code_address},
        {"int-divide", "Exception INT_DIVIDE_BY_ZERO \\(0xC0000094\\) at address " + code_address + "\\."},
        {"stack-overflow", "Exception STACK_OVERFLOW \\(0xC00000FD\\) at address " + code_address + "\\."},
        {"illegal-instruction", "Exception ILLEGAL_INSTRUCTION \\(0xC000001D\\) at address " + code_address + "\\."},
        {"bus-error", "Exception IN_PAGE_ERROR \\(0xC0000006\\) at address " + code_address + "\\."},
        {"sent-signal", "Unknown exception\\."},
        // The logger was formatting a message when it faulted; its state is
        // whole, so the fault is logged and the summary written.
        {"in-log-call", "Exception ACCESS_VIOLATION \\(0xC0000005\\) at address " + code_address +
                            "\\.  Unable to read location: 0x0000000000000010"},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.fault);
        const ProbeRun probe = run_probe(c.fault);
        EXPECT_EQ(probe.run.status, 1);
        // A silent run: each error reaches standard error once, bare.
        EXPECT_TRUE(matches(probe.run.err, "^" + c.line + "\n" + terminated + "\n$")) << probe.run.err;
        EXPECT_TRUE(matches(probe.log, full_log(c.fault, c.line))) << probe.log;
    }
}

TEST(FaultProbe, VerboseRunShowsTheLocatedLinesOnTheConsoleToo) {
    const ProbeRun probe = run_probe("int-divide", {"-v"});
    EXPECT_EQ(probe.run.status, 1);
    const std::string line = "Exception INT_DIVIDE_BY_ZERO \\(0xC0000094\\) at address " + address + "\\.";
    const std::string stamp = R"(\d{1,2}/\d{1,2}/\d{4}, \d{2}:\d{2}:\d{2} : fault_probe\.cpp\(\d+\), error: )";
    EXPECT_TRUE(matches(probe.run.err, line + "\n" + stamp + line + "\n" + terminated + "\n" + stamp + terminated +
                                           "\n\n\nRepeating warnings/errors:"))
        << probe.run.err;
}

TEST(FaultProbe, FaultOnAThreadWithoutTheReporterEndsTheProgramByTheSignal) {
    const ProbeRun probe = run_probe("other-thread");
    EXPECT_EQ(probe.run.status, 128 + SIGSEGV);
    EXPECT_EQ(count_of(probe.run.err, "Exception"), 0u) << probe.run.err;
    EXPECT_EQ(count_of(probe.log, "Exception"), 0u) << probe.log;
}

TEST(FaultProbe, LoggerHeldByAnotherThreadIsNotWaitedForBeyondTheLimit) {
    // The other thread is inside the logger, waiting for standard error,
    // which the faulting thread holds: its lock is never released.
    const ProbeRun probe = run_probe("logger-held", {"-v"});
    EXPECT_EQ(probe.run.status, 1);
    // Only the bare lines: the console line would wait for standard error.
    EXPECT_TRUE(matches(probe.run.err, "\nException ACCESS_VIOLATION \\(0xC0000005\\) at address " + address +
                                           "\\.  Unable to read location: 0x0{16}\n" + terminated + "\n$"))
        << probe.run.err;
    EXPECT_EQ(count_of(probe.log, "holding the logger"), 1u) << probe.log;
    EXPECT_EQ(count_of(probe.log, "Exception"), 0u) << probe.log;
    EXPECT_EQ(count_of(probe.log, "Repeating"), 0u) << probe.log;
}

TEST(FaultProbe, FaultInsideTheLoggerLeavesTheLogAlone) {
    // The logger faults while writing a line to the console, after the file.
    const ProbeRun probe = run_probe("inside-logger", {"-v"});
    EXPECT_EQ(probe.run.status, 1);
    EXPECT_TRUE(matches(probe.run.err, "\nException ACCESS_VIOLATION \\(0xC0000005\\) at address " + address +
                                           "\\.  Unable to write location: " + address + "\n" + terminated + "\n$"))
        << probe.run.err;
    EXPECT_TRUE(matches(probe.log, R"(message: a line the console cannot take\n$)")) << probe.log;
    EXPECT_EQ(count_of(probe.log, "Exception"), 0u) << probe.log;
}

TEST(FaultProbe, EndingThatHangsIsCutShortByTheWatchdog) {
    // The logger's console line waits for standard error, which another
    // thread holds for ever.
    const ProbeRun probe = run_probe("stderr-held", {"-v"});
    EXPECT_EQ(probe.run.status, 1);
    EXPECT_EQ(count_of(probe.run.err, "Exception ACCESS_VIOLATION"), 1u) << probe.run.err;
    EXPECT_EQ(count_of(probe.log, "error: Exception ACCESS_VIOLATION"), 1u) << probe.log;
    EXPECT_EQ(count_of(probe.log, "Repeating"), 0u) << probe.log;
}

TEST(FaultProbe, SecondFaultWhileEndingEndsTheProgramAtOnce) {
    // An exit function faults while the first fault ends the program.
    const ProbeRun probe = run_probe("while-ending");
    EXPECT_EQ(probe.run.status, 1);
    const std::string line = "Exception ACCESS_VIOLATION \\(0xC0000005\\) at address " + address +
                             "\\.  Unable to read location: 0x0{16}\n";
    EXPECT_TRUE(matches(probe.run.err, "^" + line + terminated + "\n" + line + "$")) << probe.run.err;
    EXPECT_EQ(count_of(probe.log, "error: Exception ACCESS_VIOLATION"), 1u) << probe.log;
    EXPECT_EQ(count_of(probe.log, "error: " + terminated), 1u) << probe.log;
}

// The engine's preparation installs the fault reporter on its thread.
#include <gtest/gtest.h>

#include "dynamics/PDcalc.h"
#include "winfault/Faults.h"

TEST(PrepareDeathTest, PreparationInstallsTheReporterOnItsThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            PDcalc engine;
            engine.prepare("no such configuration");
            faults::read_null();
        },
        testing::ExitedWithCode(1),
        R"(PD\w*\.cpp\([0-9]+\), error: Exception ACCESS_VIOLATION \(0xC0000005\) at address 0x[0-9A-F]{16}\.  )"
        R"(Unable to read location: 0x0{16})"
        "\n"
        R"(.*error: program terminated with exception)");
}

#pragma once
// What the logger wrote while a piece of code ran.
#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"
#include "utils/Log.h"

namespace testing_support {

// Runs `body` with logging started on a file of its own, without time
// stamps, locations or console, and returns the lines logged (without the
// closing summary). Errors, which the logger also writes bare to standard
// error, are kept off the test output.
template <class Body>
std::string logged_text(Body body) {
    TempDir dir;
    const std::string log = dir.file("test.log");
    SLogParams params{};
    params.no_time = true;
    params.no_location = true;
    params.no_console = true;
    testing::internal::CaptureStderr();
    CLog::StartLogging(&params, log.c_str());
    body();
    CLog::EndLogging();
    testing::internal::GetCapturedStderr();
    std::string text = read_file(log);
    if (const auto summary = text.find("\n\nRepeating"); summary != std::string::npos)
        text.resize(summary);
    else if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\n\n") == 0)
        text.resize(text.size() - 2);  // the blank lines that end every log
    return text;
}

}  // namespace testing_support

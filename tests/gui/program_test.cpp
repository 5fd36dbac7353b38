// The vzelmar program itself, on the test's display: ended by the terminate
// signal, it exits with status 0 and its log file ends with the summary.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

// The one log file vzelmar made in `folder`, or an empty path.
fs::path log_in(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".log") return entry.path();
    return {};
}

// Starts vzelmar in `folder` with HOME at `home`; its output goes to
// `output`.
pid_t start_viewer(const fs::path& folder, const fs::path& home, const fs::path& output) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("NO_AT_BRIDGE", "1", 1);  // as in the in-process tests (WxTesting.cpp)
        if (std::freopen(output.c_str(), "w", stdout) == nullptr || std::freopen(output.c_str(), "a", stderr) == nullptr)
            ::_exit(126);
        ::execl(VZELMAR_PROGRAM, VZELMAR_PROGRAM, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

bool wait_for(const std::function<bool()>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(Program, TerminateSignalEndsItWithStatusZeroAndTheLogClosed) {
    TempDir folder;
    TempDir home;
    const fs::path output = home.path() / "output.txt";
    const pid_t child = start_viewer(folder.path(), home.path(), output);
    ASSERT_GT(child, 0);
    const bool ready = wait_for(
        [&] {
            const fs::path log = log_in(folder.path());
            return !log.empty() &&
                   testing_support::read_file(log.string()).find("Visual Zelmar ready") != std::string::npos;
        },
        std::chrono::seconds(30));
    ASSERT_TRUE(ready) << testing_support::read_file(output.string());

    ASSERT_EQ(0, ::kill(child, SIGTERM));
    int status = 0;
    const bool ended = wait_for([&] { return ::waitpid(child, &status, WNOHANG) == child; }, std::chrono::seconds(30));
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    ASSERT_TRUE(ended);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(0, WEXITSTATUS(status)) << testing_support::read_file(output.string());
    // Logging ended: the file closes with its summary's blank lines.
    const std::string log = testing_support::read_file(log_in(folder.path()).string());
    EXPECT_NE(log.find("message: Visual Zelmar ready"), std::string::npos);
    EXPECT_TRUE(log.ends_with("\n\n\n")) << log;
}

}  // namespace

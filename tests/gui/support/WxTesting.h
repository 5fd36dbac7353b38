#pragma once
// wx for in-process window tests: the toolkit is started once for the test
// program (a gtest environment, so listing the tests needs no display), and
// helpers serve the events the windows posted.
#include <chrono>
#include <functional>
#include <string>

#include "support/TempDir.h"

namespace gui_testing {

// Serves pending and posted events and idle handlers a few rounds.
void pump(int rounds = 3);
// Serves events until `done` or `timeout` passed; whether `done` came.
bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A home folder and a working folder of their own for one test: HOME points
// to the one, the current directory is the other, both restored after.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const testing_support::TempDir& home() const { return home_; }
    const testing_support::TempDir& work() const { return work_; }

private:
    testing_support::TempDir home_;
    testing_support::TempDir work_;
    std::string old_home_;
    std::string old_folder_;
};

}  // namespace gui_testing

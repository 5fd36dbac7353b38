#include "gui/support/WxTesting.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace gui_testing {
namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// wx for the whole test program, with an event loop that the helpers run.
class WxEnvironment : public testing::Environment {
public:
    void SetUp() override {
        // No accessibility bridge: there is no accessibility bus to talk to,
        // and the bridge keeps what it made at start-up to the end.
        ::setenv("NO_AT_BRIDGE", "1", 1);
        wxApp::SetInstance(new TestApp);
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run the tests under xvfb-run";
        ASSERT_TRUE(wxTheApp->CallOnInit());
        wxTheApp->SetExitOnFrameDelete(false);
        loop_ = std::make_unique<wxGUIEventLoop>();
        wxEventLoopBase::SetActive(loop_.get());
    }

    void TearDown() override {
        pump();
        wxEventLoopBase::SetActive(nullptr);
        loop_.reset();
        if (wxTheApp != nullptr) wxTheApp->OnExit();
        wxEntryCleanup();
    }

private:
    std::unique_ptr<wxGUIEventLoop> loop_;
};

[[maybe_unused]] testing::Environment* const environment = testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

void pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
}

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        pump(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TempHome::TempHome() {
    if (const char* home = std::getenv("HOME")) old_home_ = home;
    old_folder_ = std::filesystem::current_path().string();
    ::setenv("HOME", home_.path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::current_path(work_.path());
}

TempHome::~TempHome() {
    std::filesystem::current_path(old_folder_);
    ::setenv("HOME", old_home_.c_str(), 1);
}

}  // namespace gui_testing

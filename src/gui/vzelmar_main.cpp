// vzelmar, the desktop viewer: the wx application around ShowApplication.
#include <wx/app.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/ConfigDocument.h"
#include "gui/ShowApplication.h"

namespace {

constexpr int quit_poll_ms = 100;

class CShowApp : public wxApp {
public:
    bool OnInit() override {
        SetAppName("VisualZelmar");
        SetVendorName("Halvorn");
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) arguments.push_back(argv[i].utf8_string());
        app_ = std::make_unique<ShowApplication>(config_document_opener());
        if (!app_->start(arguments)) return false;
        quit_timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { app_->poll_quit_signal(); });
        quit_timer_.Start(quit_poll_ms);
        return true;
    }

    int OnExit() override {
        quit_timer_.Stop();
        app_.reset();
        return wxApp::OnExit();
    }

private:
    std::unique_ptr<ShowApplication> app_;
    wxTimer quit_timer_;
};

}  // namespace

wxIMPLEMENT_APP(CShowApp);

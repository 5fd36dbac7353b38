// viewer_picture <configuration> <picture.png> [frame] [type]
// Opens a configuration in the viewer as a person would (playing back the
// trajectory it finds, or calculating one when there is none), shows 1-based
// frame `frame` (default: the last) of visualisation type `type` (default:
// the first), and saves the main frame as the display shows it. For the
// pictures in docs/; run it on a display (xvfb-run).
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "gui/CFramesDlg.h"
#include "gui/CMainFrame.h"
#include "gui/CShowDlgBar.h"
#include "gui/CShowView.h"
#include "gui/ConfigDocument.h"
#include "gui/ShowApplication.h"
#include "gui/support/WindowPicture.h"

namespace {

class PictureApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void serve(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: viewer_picture <configuration> <picture.png> [frame] [type]\n");
        return 2;
    }
    const std::string config = argv[1];
    const std::string picture = argv[2];
    const long frame = argc > 3 ? std::atol(argv[3]) : 0;
    const int type = argc > 4 ? std::atoi(argv[4]) : 0;

    wxApp::SetInstance(new PictureApp);
    int wx_argc = 1;
    if (!wxEntryStart(wx_argc, argv) || !wxTheApp->CallOnInit()) return 1;
    int status = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopBase::SetActive(&loop);
        // The questions of the open: play back what is there, else calculate.
        const auto ask = [](const Question& question) {
            return question.buttons == QuestionButtons::yes_no_cancel ? Answer::no : Answer::yes;
        };
        ShowApplication app([&](const std::string& path) -> std::unique_ptr<ShowDocument> {
            auto document = std::make_unique<ConfigDocument>(path, ask, serve_windows_until);
            if (!document->open()) return nullptr;
            return document;
        });
        if (!app.start({config}) || app.documents().empty()) {
            status = 1;
        } else {
            auto& document = dynamic_cast<ConfigDocument&>(*app.documents().front());
            while (document.document().calculating()) serve(10);
            CMainFrame& main = *app.main_frame();
            main.SetSize(1280, 860);
            serve(30);
            CShowView& view = *main.active_view();
            if (type > 0 && static_cast<unsigned>(type) < main.dialog_bar().types()->GetCount()) {
                main.dialog_bar().types()->SetSelection(type);
                view.rebuild_lists();
            }
            const auto frames = static_cast<std::int64_t>(document.frame_count());
            view.scene_view().playback().go_to(frame > 0 ? frame : frames);
            view.redraw();
            view.frames_dialog()->Raise();
            serve(30);
            view.redraw();
            serve(5);
            status = gui_testing::save_window_picture(main, picture) ? 0 : 1;
        }
        wxEventLoopBase::SetActive(nullptr);
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}

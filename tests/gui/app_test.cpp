// The application object under a display: start-up with a temporary home
// and working folder, the menus, toolbar, status bar and dialog bar it
// makes, the recent-file list across restarts, the About box and File >
// Open with their dialogs answered in the test.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/toolbar.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "gui/CAboutDlg.h"
#include "gui/CConsoleLog.h"
#include "gui/CShowDlgBar.h"
#include "gui/CShowView.h"
#include "gui/Ids.h"
#include "gui/support/AppFixture.h"

namespace {

using namespace gui_testing;
namespace fs = std::filesystem;

class StartUp : public AppFixture {};

TEST_F(StartUp, LogFileInTheWorkingFolderHoldsReady) {
    start();
    const fs::path log = fs::path(app->log_file());
    EXPECT_TRUE(std::regex_match(log.filename().string(), std::regex(R"(VZelmar\.\d{8}\.\d{6}\.log)")))
        << log;
    EXPECT_EQ(fs::canonical(folders.work().path()), fs::canonical(fs::absolute(log).parent_path()));
    const std::string text = testing_support::read_file(app->log_file());
    EXPECT_NE(text.find("show.cpp("), std::string::npos) << text;
    EXPECT_NE(text.find("message: Visual Zelmar ready"), std::string::npos) << text;

    ASSERT_TRUE(pump_until([&] { return app->log_window()->text()->GetValue().Contains("Visual Zelmar ready"); }));
    EXPECT_EQ("Messages", app->log_window()->GetTitle());
    // The settings live under the maker's key.
    open("a.cfg");
    EXPECT_TRUE(fs::exists(folders.home().path() / ".config/Halvorn/VisualZelmar.conf"));
}

TEST_F(StartUp, EndingWritesTheSummaryOfWarnings) {
    start();
    const std::string log = app->log_file();
    LOG_WARNING("a warning to repeat");
    stop();
    const std::string text = testing_support::read_file(log);
    const auto summary = text.find("Repeating warnings/errors:");
    ASSERT_NE(summary, std::string::npos) << text;
    EXPECT_NE(text.find("a warning to repeat", summary), std::string::npos);
}

TEST_F(StartUp, CommandLineFileOpensAndOneThatFailsEndsStartUp) {
    start({"first.cfg"});
    ASSERT_EQ(1u, app->documents().size());
    EXPECT_EQ("first.cfg", app->documents()[0]->path());
    stop();

    refused.insert("broken.cfg");
    app = std::make_unique<ShowApplication>([](const std::string&) { return nullptr; });
    EXPECT_FALSE(app->start({"broken.cfg"}));
}

// Every command of the menus, as the table of items gives them.
struct MenuCase {
    int id;
    const char* label;
    bool with_document_only;
};

const MenuCase menu_items[] = {
    {ids::open, "Open...", false},
    {ids::exit, "Exit", false},
    {ids::toolbar, "Toolbar", false},
    {ids::status_bar, "Status Bar", false},
    {ids::about, "About Visual Zelmar...", false},
    {ids::close, "Close", true},
    {ids::record_avi, "Record AVI...", true},
    {ids::frame_set, "Frame Set", true},
    {ids::trajectory_settings, "Trajectory Settings", true},
    {ids::graphic, "Graphic", true},
    {ids::scene_settings, "Scene Settings", true},
    {ids::object_colors, "Object Colors", true},
    {ids::start, "Start", true},
    {ids::stop, "Stop", true},
    {ids::first_frame, "Restart", true},
    {ids::next_frame, "Next frame", true},
    {ids::previous_frame, "Previous frame", true},
    {ids::go_to_frame, "Go to frame...", true},
    {ids::reset_camera, "Reset camera", true},
    {ids::save_distributions, "Save Distributions", true},
    {ids::trajectory_coordinates, "Trajectory Coordinates", true},
    {ids::diffusion, "Diffusion", true},
    {ids::p700, "P700", true},
    {ids::new_window, "New Window", true},
    {ids::cascade, "Cascade", true},
    {ids::tile, "Tile", true},
    {ids::arrange_icons, "Arrange Icons", true},
};

TEST_F(StartUp, MenusFollowWhetherADocumentIsOpen) {
    start();
    for (const auto& item : menu_items) {
        const wxMenuItem* found = frame().GetMenuBar()->FindItem(item.id);
        EXPECT_EQ(!item.with_document_only, found != nullptr) << item.label;
        if (found != nullptr) {
            EXPECT_EQ(item.label, found->GetItemLabelText()) << item.id;
        }
    }
    EXPECT_EQ("Ctrl+O", frame().GetMenuBar()->FindItem(ids::open)->GetItemLabel().AfterFirst('\t'));

    open("a.cfg");
    for (const auto& item : menu_items) {
        const wxMenuItem* found = frame().GetMenuBar()->FindItem(item.id);
        ASSERT_NE(nullptr, found) << item.label;
        EXPECT_EQ(item.label, found->GetItemLabelText());
    }
    const wxString titles[] = {"File", "View", "Run", "Statistics", "Window", "Help"};
    ASSERT_EQ(std::size(titles), frame().GetMenuBar()->GetMenuCount());
    for (std::size_t i = 0; i < std::size(titles); ++i)
        EXPECT_EQ(titles[i], frame().GetMenuBar()->GetMenuLabelText(i));

    app->close_document(*app->documents().front());
    EXPECT_EQ(nullptr, frame().GetMenuBar()->FindItem(ids::close));
}

TEST_F(StartUp, ItemsWithoutACommandStayDisabled) {
    start();
    open("a.cfg");
    pump();
    for (wxMenu* menu : {frame().GetMenuBar()->GetMenu(1), frame().GetMenuBar()->GetMenu(3)})
        frame().DoMenuUpdates(menu);
    for (const int id : ids::disabled_items) EXPECT_FALSE(frame().GetMenuBar()->IsEnabled(id)) << id;
    // Commands with a handler are enabled; Stop only while playing.
    frame().DoMenuUpdates(frame().GetMenuBar()->GetMenu(2));
    EXPECT_TRUE(frame().GetMenuBar()->IsEnabled(ids::start));
    EXPECT_FALSE(frame().GetMenuBar()->IsEnabled(ids::stop));
}

TEST_F(StartUp, ToolbarAndStatusBar) {
    start();
    wxToolBar* tools = frame().GetToolBar();
    ASSERT_NE(nullptr, tools);
    const struct {
        int id;
        const char* tip;
    } tips[] = {{ids::stop, "Stop show"},           {ids::start, "Start show"},
                {ids::first_frame, "First frame"},  {ids::next_frame, "Next frame"},
                {ids::previous_frame, "Previous frame"}, {ids::go_to_frame, "Set current frame"}};
    for (const auto& tip : tips) {
        ASSERT_NE(nullptr, tools->FindById(tip.id)) << tip.tip;
        EXPECT_EQ(tip.tip, tools->GetToolShortHelp(tip.id));
    }
    EXPECT_NE(nullptr, tools->FindById(ids::open));
    // Open, separator, four frame tools and Start/Stop, separator, Go to.
    EXPECT_EQ(9u, tools->GetToolsCount());
    EXPECT_EQ(ids::go_to_frame, tools->GetToolByPos(8)->GetId());

    wxStatusBar* status = frame().GetStatusBar();
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(4, status->GetFieldsCount());
    EXPECT_EQ("Ready", status->GetStatusText(0));
}

TEST_F(StartUp, DialogBarStartsWithItsValues) {
    start();
    const CShowDlgBar& bar = frame().dialog_bar();
    const DisplaySwitches switches = bar.switches();
    EXPECT_TRUE(switches.subst1 && switches.subst2 && switches.surface && switches.color_by_potential &&
                switches.stop_on_contact && switches.stop_on_dock && switches.unhide_docked);
    EXPECT_FALSE(switches.fly_mode);
    EXPECT_FALSE(bar.check(ids::surface)->IsShown());
    EXPECT_EQ("0", bar.frames_total());
    EXPECT_EQ(0u, bar.types()->GetCount());
    for (const char* text : {"Frames total", "Keyboard navigation:", "Mouse navigation:",
                             "Use right mouse button to move/rotate camera"}) {
        bool found = false;
        for (const wxWindow* child : bar.GetChildren())
            if (const auto* label = dynamic_cast<const wxStaticText*>(child)) {
                wxString shown = label->GetLabel();
                shown.Replace("\n", " ");
                found = found || shown == text;
            }
        EXPECT_TRUE(found) << text;
    }
}

TEST_F(StartUp, OpenedDocumentsFillTheTypesAndFramesTotal) {
    specs["two.cfg"].types = {"surface", "cells"};
    specs["two.cfg"].frames = moving_frames(12);
    start();
    open("two.cfg");
    EXPECT_EQ("12", frame().dialog_bar().frames_total());
    ASSERT_EQ(2u, frame().dialog_bar().types()->GetCount());
    EXPECT_EQ("cells", frame().dialog_bar().types()->GetString(1));
    EXPECT_EQ(0, frame().dialog_bar().types()->GetSelection());
}

TEST_F(StartUp, FiveConfigurationsLeaveTheNewestFourAcrossARestart) {
    start();
    for (const char* path : {"/data/one.cfg", "/data/two.cfg", "/data/three.cfg", "/data/four.cfg", "/data/five.cfg"})
        ASSERT_NE(nullptr, open(path));
    const auto newest_four = [&] {
        std::vector<std::string> files;
        for (std::size_t i = 0; i < app->recent_files().GetCount(); ++i)
            files.push_back(app->recent_files().GetHistoryFile(i).utf8_string());
        return files;
    };
    const std::vector<std::string> expected = {"/data/five.cfg", "/data/four.cfg", "/data/three.cfg", "/data/two.cfg"};
    EXPECT_EQ(expected, newest_four());

    start();  // a new application object, as the next run of the program
    EXPECT_EQ(expected, newest_four());
    // The File menu lists them; choosing one opens it.
    const wxMenuItem* first = frame().GetMenuBar()->FindItem(wxID_FILE1);
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(first->GetItemLabelText().Contains("five.cfg"));
    frame().run_command(wxID_FILE1 + 3);
    EXPECT_EQ("/data/two.cfg", opened.back());
}

TEST_F(StartUp, FailedOpenLeavesNoDocumentAndNoRecentEntry) {
    start();
    refused.insert("refused.cfg");
    EXPECT_EQ(nullptr, open("refused.cfg"));
    EXPECT_TRUE(app->documents().empty());
    EXPECT_EQ(0u, app->recent_files().GetCount());
    EXPECT_TRUE(frame().views().empty());
}

// Chooses `path` in the file dialog. GTK's chooser takes a path it is given
// once it has read the path's folder, so the events it needs are served
// first.
class ChooseFile : public wxExpectModalBase<wxFileDialog> {
public:
    explicit ChooseFile(std::string path, wxString* filter) : path_(std::move(path)), filter_(filter) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        *filter_ = dialog->GetWildcard();
        dialog->SetPath(wxString::FromUTF8(path_));
        pump_until([&] { return dialog->GetPath() == wxString::FromUTF8(path_); }, std::chrono::seconds(5));
        return wxID_OK;
    }

private:
    std::string path_;
    wxString* filter_;
};

TEST_F(StartUp, FileOpenRunsTheFileDialog) {
    start();
    const std::string path = folders.work().file("chosen.cfg");
    std::ofstream(path) << "[Files]\n";
    wxString filter;
    wxTEST_DIALOG(frame().run_command(ids::open), ChooseFile(path, &filter));
    EXPECT_EQ("Config files (*.cfg)|*.cfg|All Files (*.*)|*.*", filter);
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(path, opened[0]);
    EXPECT_EQ(1u, app->documents().size());

    wxTEST_DIALOG(frame().run_command(ids::open), wxExpectDismissableModal<wxFileDialog>(wxID_CANCEL));
    EXPECT_EQ(1u, opened.size());
}

class ExpectAbout : public wxExpectModalBase<CAboutDlg> {
public:
    explicit ExpectAbout(wxString* title) : title_(title) {}

protected:
    int OnInvoked(CAboutDlg* dialog) const override {
        *title_ = dialog->GetTitle();
        return wxID_OK;
    }

private:
    wxString* title_;
};

TEST_F(StartUp, AboutBox) {
    start();
    wxString title;
    wxTEST_DIALOG(frame().run_command(ids::about), ExpectAbout(&title));
    EXPECT_EQ("About Visual Zelmar", title);
}

TEST_F(StartUp, ClosingAndExitCloseEveryDocument) {
    start();
    TestDocument* first = open("one.cfg");
    ASSERT_NE(nullptr, first);
    frame().run_command(ids::new_window);
    EXPECT_EQ(2u, frame().views().size());
    frame().run_command(ids::close);
    EXPECT_TRUE(app->documents().empty());
    EXPECT_TRUE(frame().views().empty());

    open("two.cfg");
    open("three.cfg");
    frame().run_command(ids::exit);
    EXPECT_TRUE(app->documents().empty());
    EXPECT_EQ((std::vector<std::string>{"one.cfg", "three.cfg", "two.cfg"}), closed);
    stop();  // the frame closed, its deletion still pending
}

TEST_F(StartUp, ClosingTheLastViewClosesItsDocument) {
    start();
    ASSERT_NE(nullptr, open("one.cfg"));
    frame().run_command(ids::new_window);
    ASSERT_EQ(2u, frame().views().size());
    EXPECT_TRUE(frame().active_view()->GetParent()->Close());  // one view of two: it goes
    pump();
    EXPECT_EQ(1u, frame().views().size());
    EXPECT_EQ(1u, app->documents().size());
    frame().views().front()->GetParent()->Close();  // the last one: the document goes with it
    pump();
    EXPECT_TRUE(frame().views().empty());
    EXPECT_TRUE(app->documents().empty());
}

}  // namespace

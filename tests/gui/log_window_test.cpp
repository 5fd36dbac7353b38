// The log window "Messages": lines from the logger on any thread, coloured
// by level, a selection the person made kept across appends, and no way to
// close it.
#include <gtest/gtest.h>

#include <wx/textctrl.h>

#include <thread>

#include "gui/CConsoleLog.h"
#include "gui/support/AppFixture.h"
#include "utils/Log.h"

namespace {

using namespace gui_testing;

class LogWindow : public AppFixture {
protected:
    LogWindow() {
        start();
        window = app->log_window();
        text = window->text();
    }

    // Logs through `body` and waits until the window shows `last`.
    template <class Body>
    void log_and_show(Body body, const wxString& last) {
        testing::internal::CaptureStderr();
        body();
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(pump_until([&] { return text->GetValue().Contains(last); })) << last;
    }

    wxTextAttr style_of(const wxString& piece) const {
        const long at = text->GetValue().Find(piece);
        EXPECT_NE(wxNOT_FOUND, at) << piece;
        wxTextAttr attr;
        EXPECT_TRUE(text->GetStyle(at + 1, attr));
        return attr;
    }

    CConsoleLog* window = nullptr;
    wxTextCtrl* text = nullptr;
};

TEST_F(LogWindow, ClosingIsRefused) {
    EXPECT_FALSE(window->Close());
    pump();
    EXPECT_EQ(window, app->log_window());
    EXPECT_TRUE(window->IsShown());
    EXPECT_FALSE(window->HasFlag(wxCLOSE_BOX));
}

TEST_F(LogWindow, LevelsHaveTheirColoursAndWeights) {
    log_and_show(
        [] {
            LOG_ERROR("the error line");
            LOG_WARNING("the warning line");
            LOG_MESSAGE("the message line");
        },
        "the message line");
    const wxTextAttr error = style_of("the error line");
    EXPECT_EQ(wxColour(240, 0, 0), error.GetTextColour());
    EXPECT_EQ(wxFONTWEIGHT_BOLD, error.GetFontWeight());
    const wxTextAttr warning = style_of("the warning line");
    EXPECT_EQ(wxFONTWEIGHT_BOLD, warning.GetFontWeight());
    EXPECT_NE(wxColour(240, 0, 0), warning.GetTextColour());
    const wxTextAttr message = style_of("the message line");
    EXPECT_EQ(wxFONTWEIGHT_NORMAL, message.GetFontWeight());
    // The pieces before the text: grey, the location underlined.
    const wxTextAttr prefix = style_of("error: the error line");
    EXPECT_EQ(wxColour(192, 186, 180), prefix.GetTextColour());
    EXPECT_EQ(wxFONTWEIGHT_NORMAL, prefix.GetFontWeight());
    const wxTextAttr location = style_of("log_window_test.cpp(");
    EXPECT_TRUE(location.GetFontUnderlined());
}

TEST_F(LogWindow, SelectionSurvivesAppendsElseTheEndIsFollowed) {
    log_and_show([] { LOG_MESSAGE("first line"); }, "first line");
    text->SetSelection(3, 9);
    log_and_show(
        [] {
            for (int i = 0; i < 50; ++i) LOG_MESSAGE("appended %d", i);
        },
        "appended 49");
    long from = 0;
    long to = 0;
    text->GetSelection(&from, &to);
    EXPECT_EQ(3, from);
    EXPECT_EQ(9, to);

    text->SetInsertionPoint(0);  // no selection: the caret follows the end
    log_and_show([] { LOG_MESSAGE("last line"); }, "last line");
    EXPECT_EQ(text->GetLastPosition(), text->GetInsertionPoint());
}

TEST_F(LogWindow, LinesFromOtherThreadsArriveInOrder) {
    log_and_show(
        [] {
            std::thread worker([] {
                for (int i = 0; i < 20; ++i) LOG_MESSAGE("worker %02d", i);
            });
            worker.join();
        },
        "worker 19");
    const wxString shown = text->GetValue();
    EXPECT_LT(shown.Find("worker 00"), shown.Find("worker 19"));
}

}  // namespace

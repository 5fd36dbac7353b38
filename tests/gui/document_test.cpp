// The example of examples/protease opened in the application through the
// configuration document, its questions answered in message boxes that the
// test answers. The copy prepares quickly (few relaxation sweeps, no
// velmesh surface) and holds a trajectory written for it: 12 frames of its
// 32 instances, the first protease's dock point in contact at frame 5.
#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/slider.h>
#include <wx/testing.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "gui/CFramesDlg.h"
#include "gui/CSetFrameDialog.h"
#include "gui/CShowDlgBar.h"
#include "gui/CShowView.h"
#include "gui/ConfigDocument.h"
#include "gui/Ids.h"
#include "gui/support/AppFixture.h"
#include "visualization/support/Scenes.h"

namespace {

using namespace gui_testing;
using visualization_testing::TestFrame;
namespace fs = std::filesystem;

constexpr int example_frames = 12;
constexpr int dock_frame = 5;

// The example, copied with a short potential relaxation and without the
// velmesh surface, and the trajectory written into its out/.
std::string example_copy(const fs::path& folder) {
    fs::copy(ZELMAR_EXAMPLES "/protease", folder, fs::copy_options::recursive);
    fs::create_directories(folder / "out");
    const std::string config = (folder / "protease.cfg").string();
    std::string text = testing_support::read_file(config);
    text = std::regex_replace(text, std::regex(R"(\bN = 800\b)"), "N = 20");  // the potential's sweeps
    text = std::regex_replace(text, std::regex(R"(\n\s*velmesh = [^\n]*)"), "");
    std::ofstream(config, std::ios::trunc) << text;

    std::vector<TestFrame> frames;
    for (int f = 0; f < example_frames; ++f) {
        TestFrame frame;
        frame.step = 100 * f;
        for (int i = 0; i < 32; ++i) {
            const bool protease = i < 8;
            const std::uint8_t flags = (f == dock_frame && i == 0) ? trajectory::flag_contact : 0;
            frame.instances.push_back(visualization_testing::instance_at(
                protease ? 0 : 1, -80.0 + 20.0 * (i % 8), -60.0 + 40.0 * (i / 8), 2.0 * f, flags));
        }
        frames.push_back(frame);
    }
    visualization_testing::write_trajectory((folder / "out/trajectory.bin").string(), frames);
    return config;
}

// A message box of the document: its text and caption kept, answered with
// `answer`.
class AnswerBox : public wxExpectModalBase<wxMessageDialog> {
public:
    AnswerBox(int answer, wxString* message, wxString* caption)
        : answer_(answer), message_(message), caption_(caption) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override {
        *message_ = box->GetMessage();
        *caption_ = box->GetTitle();
        return answer_;
    }

private:
    int answer_;
    wxString* message_;
    wxString* caption_;
};

class EnterNumber : public wxExpectModalBase<CSetFrameDialog> {
public:
    explicit EnterNumber(const char* text) : text_(text) {}

protected:
    int OnInvoked(CSetFrameDialog* dialog) const override {
        dialog->number_text()->ChangeValue(text_);
        return dialog->Validate() && dialog->TransferDataFromWindow() ? wxID_OK : wxID_CANCEL;
    }

private:
    wxString text_;
};

// The document's questions in message boxes: the buttons and default
// button each asks for, and the answer each button gives.
class AnswerWith : public wxExpectModalBase<wxMessageDialog> {
public:
    AnswerWith(int answer, long* style) : answer_(answer), style_(style) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override {
        *style_ = box->GetMessageDialogStyle();
        return answer_;
    }

private:
    int answer_;
    long* style_;
};

TEST(DocumentQuestions, MessageBoxesGiveTheAnswersOfTheirButtons) {
    const struct {
        QuestionButtons buttons;
        Answer default_answer;
        int pressed;
        long buttons_style;
        bool no_default;
        Answer answer;
    } cases[] = {
        {QuestionButtons::ok, Answer::ok, wxID_OK, wxOK, false, Answer::ok},
        {QuestionButtons::yes_no, Answer::yes, wxID_YES, wxYES_NO, false, Answer::yes},
        {QuestionButtons::yes_no, Answer::yes, wxID_NO, wxYES_NO, false, Answer::no},
        {QuestionButtons::yes_no_cancel, Answer::no, wxID_NO, wxYES_NO | wxCANCEL, true, Answer::no},
        {QuestionButtons::yes_no_cancel, Answer::no, wxID_CANCEL, wxYES_NO | wxCANCEL, true, Answer::cancel},
        {QuestionButtons::yes_no_cancel, Answer::no, wxID_YES, wxYES_NO | wxCANCEL, true, Answer::yes},
    };
    for (const auto& c : cases) {
        long style = 0;
        Answer answer = Answer::ok;
        wxTEST_DIALOG(answer = ask_in_message_box({"message", "Load file", c.buttons, c.default_answer}),
                      AnswerWith(c.pressed, &style));
        EXPECT_EQ(c.answer, answer) << c.pressed;
        EXPECT_EQ(c.buttons_style, style & (wxOK | wxYES_NO | wxCANCEL)) << c.pressed;
        EXPECT_EQ(c.no_default, (style & wxNO_DEFAULT) != 0) << c.pressed;
    }
}

// While a close waits for its calculation the window thread keeps serving
// events (a posted call runs, and ends the wait here).
TEST(DocumentWait, EventsAreServedWhileTheCloseWaits) {
    bool served = false;
    wxTheApp->CallAfter([&] { served = true; });
    serve_windows_until([&] { return served; });
    EXPECT_TRUE(served);
}

class ExampleInTheViewer : public AppFixture {};

TEST_F(ExampleInTheViewer, NoPlaysTheTrajectoryBack) {
    const std::string config = example_copy(folders.work().path() / "protease");
    start({}, config_document_opener());

    wxString message;
    wxString caption;
    ShowDocument* document = nullptr;
    wxTEST_DIALOG(document = app->open(config), AnswerBox(wxID_NO, &message, &caption));
    ASSERT_NE(nullptr, document);
    EXPECT_EQ("Already calculated trajectory found!\n\nDo you wish to start new calculation?", message);
    EXPECT_EQ("Load file", caption);
    EXPECT_EQ(std::to_string(example_frames), frame().dialog_bar().frames_total().utf8_string());
    ASSERT_EQ(2u, frame().dialog_bar().types()->GetCount());
    EXPECT_EQ("surface", frame().dialog_bar().types()->GetString(0));
    EXPECT_EQ("cells", frame().dialog_bar().types()->GetString(1));
    EXPECT_EQ(fs::canonical(config).string(), app->recent_files().GetHistoryFile(0).utf8_string());

    CShowView& view = *frame().active_view();
    const auto frame_now = [&] { return view.scene_view().playback().frame(); };
    ASSERT_TRUE(pump_until([&] { return view.IsShownOnScreen() && view.GetClientSize().x > 50; }));
    frame().run_command(ids::start);
    ASSERT_TRUE(pump_until([&] { return !view.scene_view().playback().playing(); }));
    EXPECT_EQ(dock_frame, frame_now());  // "Stop on dock"

    frame().run_command(ids::next_frame);
    EXPECT_EQ(dock_frame + 1, frame_now());
    frame().run_command(ids::previous_frame);
    frame().run_command(ids::previous_frame);
    EXPECT_EQ(dock_frame - 1, frame_now());
    frame().run_command(ids::first_frame);
    EXPECT_EQ(0, frame_now());
    wxTEST_DIALOG(frame().run_command(ids::go_to_frame), EnterNumber("9"));
    EXPECT_EQ(8, frame_now());
    wxTEST_DIALOG(frame().run_command(ids::go_to_frame), EnterNumber("40"));
    EXPECT_EQ(example_frames - 1, frame_now());

    wxSlider* slider = view.frames_dialog()->slider();
    slider->SetValue(7);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    moved.SetEventObject(slider);
    slider->ProcessWindowEvent(moved);
    pump();
    EXPECT_EQ(6, frame_now());
    EXPECT_EQ("7", view.frames_dialog()->text());

    app->close_document(*document);
    EXPECT_TRUE(app->documents().empty());
}

TEST_F(ExampleInTheViewer, NoToStartingACalculationOpensNothing) {
    const std::string config = example_copy(folders.work().path() / "protease");
    fs::remove(folders.work().path() / "protease/out/trajectory.bin");
    start({}, config_document_opener());
    wxString message;
    wxString caption;
    ShowDocument* document = nullptr;
    wxTEST_DIALOG(document = app->open(config), AnswerBox(wxID_NO, &message, &caption));
    EXPECT_EQ(nullptr, document);
    EXPECT_EQ("No trajectory found!\n\nStart calculation?", message);
    EXPECT_TRUE(app->documents().empty());
    EXPECT_EQ(0u, app->recent_files().GetCount());
    EXPECT_TRUE(frame().views().empty());
}

TEST_F(ExampleInTheViewer, ClosingDuringTheCalculationWaitsAndRefusesAnotherOpenOrClose) {
    const std::string config = example_copy(folders.work().path() / "protease");
    fs::remove(folders.work().path() / "protease/out/trajectory.bin");
    start({}, config_document_opener());
    wxString message;
    wxString caption;
    ShowDocument* document = nullptr;
    wxTEST_DIALOG(document = app->open(config), AnswerBox(wxID_YES, &message, &caption));
    ASSERT_NE(nullptr, document);
    auto& calculating = dynamic_cast<ConfigDocument&>(*document).document();
    EXPECT_TRUE(calculating.calculating());

    // Asked for while the close waits: both refused.
    bool asked = false;
    ShowDocument* opened_meanwhile = document;
    wxTheApp->CallAfter([&] {
        asked = true;
        opened_meanwhile = app->open(config);
        app->close_document(*document);
    });
    app->close_document(*document);
    EXPECT_TRUE(asked);
    EXPECT_EQ(nullptr, opened_meanwhile);
    EXPECT_TRUE(app->documents().empty());
    EXPECT_TRUE(frame().views().empty());
}

}  // namespace

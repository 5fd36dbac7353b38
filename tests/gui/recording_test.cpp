// Record AVI in a view under a display: the save dialog and the codec
// dialog answered in the test (the default, uncompressed), playback to the
// end, and ffprobe counting one movie frame per trajectory frame shown.
#include <gtest/gtest.h>

#include <wx/choicdlg.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/testing.h>

#include <filesystem>

#include "gui/CShowView.h"
#include "gui/Ids.h"
#include "gui/support/AppFixture.h"
#include "visualization/movie/MovieProbe.h"

namespace {

using namespace gui_testing;

// The save dialog: `path` chosen (GTK takes it once it has read the
// folder); its filter and flags are kept for the test.
class SaveAs : public wxExpectModalBase<wxFileDialog> {
public:
    SaveAs(std::string path, wxString* filter, long* style) : path_(std::move(path)), filter_(filter), style_(style) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        *filter_ = dialog->GetWildcard();
        *style_ = dialog->GetWindowStyle();
        dialog->SetPath(wxString::FromUTF8(path_));
        pump_until([&] { return !dialog->GetPath().empty(); }, std::chrono::seconds(5));
        return wxID_OK;
    }

private:
    std::string path_;
    wxString* filter_;
    long* style_;
};

// The codec dialog answered with its pre-selected entry (or cancelled).
class TakeCodec : public wxExpectModalBase<wxSingleChoiceDialog> {
public:
    TakeCodec(wxString* chosen, int answer = wxID_OK) : chosen_(chosen), answer_(answer) {}

protected:
    int OnInvoked(wxSingleChoiceDialog* dialog) const override {
        *chosen_ = dialog->GetStringSelection();
        return answer_;
    }

private:
    wxString* chosen_;
    int answer_;
};

class Recording : public AppFixture {};

TEST_F(Recording, PlaybackToTheEndGivesOneMovieFramePerFrameShown) {
    specs["movie.cfg"].frames = moving_frames(7);
    start();
    ASSERT_NE(nullptr, open("movie.cfg"));
    CShowView& view = *frame().active_view();
    ASSERT_TRUE(pump_until([&] { return view.IsShownOnScreen() && view.GetClientSize().x > 50; }));

    const std::string movie = folders.work().file("playback");  // the extension is added
    wxString filter;
    long style = 0;
    wxString codec;
    wxTEST_DIALOG(frame().run_command(ids::record_avi), SaveAs(movie, &filter, &style), TakeCodec(&codec));
    EXPECT_EQ("AVI Files (*.avi)|*.avi|All Files (*.*)|*.*", filter);
    EXPECT_TRUE(style & wxFD_OVERWRITE_PROMPT);
    EXPECT_TRUE(view.checked(ids::record_avi));
    frame().DoMenuUpdates(frame().GetMenuBar()->GetMenu(0));
    EXPECT_TRUE(frame().GetMenuBar()->IsChecked(ids::record_avi));

    view.redraw();
    frame().run_command(ids::start);
    ASSERT_TRUE(pump_until([&] { return !view.scene_view().playback().playing(); }));
    view.redraw();  // the last frame again: nothing appended
    frame().run_command(ids::record_avi);
    EXPECT_FALSE(view.checked(ids::record_avi));

    const auto fields = movie_testing::probe_video(movie + ".avi");
    EXPECT_EQ("7", fields.at("nb_read_frames")) << codec.utf8_string();
    EXPECT_EQ("5/1", fields.at("r_frame_rate"));
    EXPECT_EQ("rawvideo", fields.at("codec_name"));
}

TEST_F(Recording, CancelledCodecLeavesNoFileAndClosingFinishesTheMovie) {
    start();
    ASSERT_NE(nullptr, open("movie.cfg"));
    CShowView& view = *frame().active_view();
    ASSERT_TRUE(pump_until([&] { return view.IsShownOnScreen() && view.GetClientSize().x > 50; }));
    const std::string movie = folders.work().file("cancelled.avi");
    wxString filter;
    long style = 0;
    wxString codec;
    wxTEST_DIALOG(frame().run_command(ids::record_avi), SaveAs(movie, &filter, &style),
                  TakeCodec(&codec, wxID_CANCEL), wxExpectModal<wxMessageDialog>(wxID_OK));
    EXPECT_FALSE(view.checked(ids::record_avi));
    EXPECT_FALSE(std::filesystem::exists(movie));

    // A movie still recording when its document closes is finished.
    const std::string kept = folders.work().file("kept.avi");
    wxTEST_DIALOG(frame().run_command(ids::record_avi), SaveAs(kept, &filter, &style), TakeCodec(&codec));
    view.redraw();
    frame().run_command(ids::next_frame);
    app->close_document(*app->documents().front());
    EXPECT_EQ("2", movie_testing::probe_video(kept).at("nb_read_frames"));
}

}  // namespace

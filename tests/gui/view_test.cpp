// A view of a document made in code, in a real window: playback commands,
// the frames slider, the go-to-frame dialog, camera keys, the type list of
// the dialog bar, and the picture it draws.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <cmath>

#include "gui/CFramesDlg.h"
#include "gui/CSetFrameDialog.h"
#include "gui/CShowDlgBar.h"
#include "gui/CShowView.h"
#include "gui/Ids.h"
#include "gui/support/AppFixture.h"
#include "gui/support/WindowPicture.h"
#include "visualization/support/PngFile.h"

namespace {

using namespace gui_testing;

class ViewTest : public AppFixture {
protected:
    CShowView& view_of(const std::string& path, TestDocumentSpec spec) {
        specs[path] = std::move(spec);
        if (!app) start();
        EXPECT_NE(nullptr, open(path));
        CShowView& view = *frame().active_view();
        // Drawn once: the slider has its range.
        EXPECT_TRUE(pump_until([&] { return view.IsShownOnScreen() && view.GetClientSize().x > 50; }));
        view.redraw();
        pump();
        return view;
    }

    CShowView& view_with_frames(int count, int dock = -1) {
        TestDocumentSpec spec;
        spec.frames = moving_frames(count, dock);
        return view_of("frames.cfg", spec);
    }

    static std::int64_t frame_of(CShowView& view) { return view.scene_view().playback().frame(); }

    void check(int id, bool value) {
        wxCheckBox* box = frame().dialog_bar().check(id);
        box->SetValue(value);
        wxCommandEvent event(wxEVT_CHECKBOX, id);
        event.SetEventObject(box);
        event.SetInt(value ? 1 : 0);
        box->ProcessWindowEvent(event);
    }
};

TEST_F(ViewTest, NextPreviousFirstAndTheSlider) {
    CShowView& view = view_with_frames(10);
    ASSERT_EQ(&view, frame().active_view());
    EXPECT_EQ(0, frame_of(view));
    frame().run_command(ids::next_frame);
    frame().run_command(ids::next_frame);
    EXPECT_EQ(2, frame_of(view));
    frame().run_command(ids::previous_frame);
    EXPECT_EQ(1, frame_of(view));
    frame().run_command(ids::first_frame);
    EXPECT_EQ(0, frame_of(view));
    frame().run_command(ids::previous_frame);  // not below the first
    EXPECT_EQ(0, frame_of(view));
    pump();
    EXPECT_EQ(1, view.frames_dialog()->slider()->GetValue());
    EXPECT_EQ(10, view.frames_dialog()->slider()->GetMax());
    EXPECT_EQ(1, view.frames_dialog()->slider()->GetMin());
    for (int i = 0; i < 12; ++i) frame().run_command(ids::next_frame);  // stops at the last
    EXPECT_EQ(9, frame_of(view));
    EXPECT_EQ("10", view.frames_dialog()->text());
    EXPECT_EQ("10", frame().dialog_bar().frames_total());
}

TEST_F(ViewTest, SliderAtSevenShowsFrameIndexSixAndTheTextSeven) {
    CShowView& view = view_with_frames(10);
    wxSlider* slider = view.frames_dialog()->slider();
    slider->SetValue(7);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    moved.SetEventObject(slider);
    moved.SetInt(7);
    slider->ProcessWindowEvent(moved);
    pump();
    EXPECT_EQ(6, frame_of(view));
    EXPECT_EQ("7", view.frames_dialog()->text());
}

TEST_F(ViewTest, SliderWithoutFramesIsDisabledAtOneToOne) {
    CShowView& view = view_with_frames(0);
    view.redraw();
    pump();
    // GTK's slider cannot hold a range of one value (it widens 1 .. 1 to
    // 1 .. 2): disabled at 1, it offers nothing else.
    const wxSlider* slider = view.frames_dialog()->slider();
    EXPECT_EQ(1, slider->GetMin());
    EXPECT_EQ(1, slider->GetValue());
    EXPECT_FALSE(slider->IsEnabled());
    EXPECT_EQ("1", view.frames_dialog()->text());
    frame().run_command(ids::next_frame);
    EXPECT_EQ(0, frame_of(view));
}

TEST_F(ViewTest, FrameSetShowsAndHidesTheSlider) {
    CShowView& view = view_with_frames(3);
    EXPECT_TRUE(view.checked(ids::frame_set));
    frame().run_command(ids::frame_set);
    EXPECT_FALSE(view.frames_dialog()->IsShown());
    EXPECT_FALSE(view.checked(ids::frame_set));
    frame().run_command(ids::frame_set);
    EXPECT_TRUE(view.frames_dialog()->IsShown());
}

// Answers the go-to-frame dialog with `text`, as the person would type it
// and press OK: OK takes effect only when the validator accepts the text.
class EnterFrame : public wxExpectModalBase<CSetFrameDialog> {
public:
    explicit EnterFrame(const char* text, bool* accepted = nullptr) : text_(text), accepted_(accepted) {}

protected:
    int OnInvoked(CSetFrameDialog* dialog) const override {
        dialog->number_text()->ChangeValue(text_);
        const bool ok = dialog->Validate() && dialog->TransferDataFromWindow();
        if (accepted_ != nullptr) *accepted_ = ok;
        return ok ? wxID_OK : wxID_CANCEL;
    }

private:
    wxString text_;
    bool* accepted_;
};

TEST_F(ViewTest, GoToFrameTakesWholeNumbersAndClamps) {
    CShowView& view = view_with_frames(10);
    const struct {
        const char* text;
        bool accepted;
        std::int64_t frame;
    } cases[] = {{"4", true, 3}, {"0", true, 0}, {"10", true, 9}, {"999", true, 9}, {"-5", true, 0},
                 {"7", true, 6}, {"abc", false, 6}, {"2.5", false, 6}, {"", false, 6}};
    for (const auto& c : cases) {
        bool accepted = false;
        wxTEST_DIALOG(frame().run_command(ids::go_to_frame), EnterFrame(c.text, &accepted));
        pump();
        EXPECT_EQ(c.accepted, accepted) << c.text;
        EXPECT_EQ(c.frame, frame_of(view)) << c.text;
    }
    EXPECT_EQ("7", view.frames_dialog()->text());
}

TEST_F(ViewTest, StartPlaysToTheFirstDockFrameAndStops) {
    CShowView& view = view_with_frames(10, 4);
    frame().run_command(ids::start);
    EXPECT_TRUE(view.scene_view().playback().playing());
    EXPECT_FALSE(view.enabled(ids::start));
    EXPECT_TRUE(view.enabled(ids::stop));
    ASSERT_TRUE(pump_until([&] { return !view.scene_view().playback().playing(); }));
    EXPECT_EQ(4, frame_of(view));

    check(ids::stop_on_dock, false);
    frame().run_command(ids::start);
    ASSERT_TRUE(pump_until([&] { return !view.scene_view().playback().playing(); }));
    EXPECT_EQ(9, frame_of(view));  // to the last frame
}

TEST_F(ViewTest, FlyModeKeysMoveTheEyeAlongTheView) {
    CShowView& view = view_with_frames(3);
    check(ids::fly_mode, true);
    Camera& camera = view.scene_view().camera();
    const CVector eye = camera.eye;
    const CVector d = camera.direction();
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = 'A';
    key.SetEventObject(&view);
    view.ProcessWindowEvent(key);
    EXPECT_NEAR(eye.x + 5 * d.x, camera.eye.x, 1e-9);
    EXPECT_NEAR(eye.y + 5 * d.y, camera.eye.y, 1e-9);
    EXPECT_NEAR(eye.z + 5 * d.z, camera.eye.z, 1e-9);

    key.m_keyCode = WXK_NUMPAD_ADD;
    view.ProcessWindowEvent(key);
    EXPECT_DOUBLE_EQ(5.1, camera.speed);
    key.m_keyCode = 'Z';
    const CVector before = camera.eye;
    view.ProcessWindowEvent(key);
    EXPECT_NEAR(before.z - 5.1 * d.z, camera.eye.z, 1e-9);

    // A drag with the right button turns the view in fly mode.
    wxMouseEvent down(wxEVT_RIGHT_DOWN);
    down.m_x = 100;
    down.m_y = 100;
    view.ProcessWindowEvent(down);
    wxMouseEvent move(wxEVT_MOTION);
    move.m_x = 110;
    move.m_y = 100;
    move.m_rightDown = true;
    const double yaw = camera.yaw;
    view.ProcessWindowEvent(move);
    EXPECT_NEAR(yaw + camera::angle_step, camera.yaw, 1e-12);
}

TEST_F(ViewTest, DisplayTypeChangeRebuildsOnlyTheActiveView) {
    TestDocumentSpec spec;
    spec.types = {"surface", "cells"};
    spec.frames = moving_frames(3);
    CShowView& first = view_of("types.cfg", spec);
    frame().run_command(ids::new_window);
    pump();
    CShowView* second = frame().active_view();
    ASSERT_NE(nullptr, second);
    ASSERT_NE(&first, second);
    EXPECT_EQ(2u, frame().views().size());

    wxChoice* types = frame().dialog_bar().types();
    types->SetSelection(1);
    wxCommandEvent chosen(wxEVT_CHOICE, types->GetId());
    chosen.SetEventObject(types);
    chosen.SetInt(1);
    types->ProcessWindowEvent(chosen);
    EXPECT_EQ(1u, second->shown_type());
    EXPECT_EQ(1, second->rebuilds());
    EXPECT_EQ(0u, first.shown_type());
    EXPECT_EQ(0, first.rebuilds());
}

// The picture a view draws: the red cube of species 0 at the centre; with
// "Subst 1" off, the background there.
TEST_F(ViewTest, ViewDrawsTheScene) {
    CShowView& view = view_with_frames(3);
    frame().run_command(ids::reset_camera);
    ASSERT_TRUE(pump_until([&] { return view.GetClientSize().x > 50 && view.IsShownOnScreen(); }));
    Image picture = view.capture();
    ASSERT_GT(picture.width, 0);
    visualization_testing::save_picture(picture, "gui_view");
    const auto centre = picture.at(picture.width / 2, picture.height / 2);
    EXPECT_GT(centre[0], 100) << int(centre[0]) << " " << int(centre[1]) << " " << int(centre[2]);
    EXPECT_LT(centre[1], 60);
    EXPECT_LT(centre[2], 60);

    // The whole main frame as the display shows it.
    const std::string frame_picture = std::string(ZELMAR_PICTURES) + "/gui_main_frame.png";
    EXPECT_TRUE(save_window_picture(frame(), frame_picture));

    check(ids::subst1, false);
    picture = view.capture();
    const auto hidden = picture.at(picture.width / 2, picture.height / 2);
    EXPECT_LT(hidden[0], 60);
}

}  // namespace

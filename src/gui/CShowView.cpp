#include "gui/CShowView.h"

#include <wx/dcclient.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/slider.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "gui/CFramesDlg.h"
#include "gui/CSetFrameDialog.h"
#include "gui/CShowDlgBar.h"
#include "gui/CodecDialog.h"
#include "gui/Ids.h"

namespace {

constexpr int playback_period_ms = 1;
constexpr const char* movie_filter = "AVI Files (*.avi)|*.avi|All Files (*.*)|*.*";

// A message of the recording, in a box of its own (its texts break lines
// with CR LF).
void tell(const std::string& caption, const std::string& text) {
    wxString shown = wxString::FromUTF8(text);
    shown.Replace("\r\n", "\n");
    wxMessageBox(shown, wxString::FromUTF8(caption), wxOK | wxICON_EXCLAMATION);
}

wxGLAttributes display_attributes() {
    wxGLAttributes attributes;
    attributes.PlatformDefaults().RGBA().DoubleBuffer().MinRGBA(8, 8, 8, 0).Depth(24).EndList();
    if (wxGLCanvas::IsDisplaySupported(attributes)) return attributes;
    wxGLAttributes fallback;
    fallback.PlatformDefaults().Defaults().EndList();
    return fallback;
}

}  // namespace

CShowView::CShowView(wxWindow* parent, ShowDocument& document, CShowDlgBar& bar)
    : wxGLCanvas(parent, display_attributes(), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      document_(document),
      bar_(bar),
      scene_view_(document.scene(), document.frames(), playback_callbacks(), tell),
      timer_(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);  // nothing is erased: the scene is drawn whole
    bar_.refresh_types(document_.type_names());
    shown_type_ = bar_.selected_type();
    scene_view_.set_type(shown_type_);

    frames_ = new CFramesDlg(this, [this](int position) {
        scene_view_.playback().slider_moved(position);
        redraw();
    });
    frames_->Show();

    Bind(wxEVT_PAINT, &CShowView::on_paint, this);
    // Each tick draws its frame at once, so that no frame that stops
    // playback is passed over between two paints.
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        scene_view_.playback().tick();
        redraw();
    });
    for (const auto type : {wxEVT_RIGHT_DOWN, wxEVT_LEFT_DOWN, wxEVT_RIGHT_UP, wxEVT_LEFT_UP, wxEVT_MOTION})
        Bind(type, &CShowView::on_mouse, this);
    Bind(wxEVT_KEY_DOWN, &CShowView::on_key, this);
}

CShowView::~CShowView() {
    timer_.Stop();
    scene_view_.stop_recording();  // the movie is finished, whatever ends the view
    // The display lists go with the context.
    context_.reset();
}

Playback::Callbacks CShowView::playback_callbacks() {
    Playback::Callbacks callbacks;
    callbacks.frame_count = [this] { return document_.frame_count(); };
    callbacks.timer = [this](bool on) {
        if (on) timer_.Start(playback_period_ms);
        else timer_.Stop();
    };
    callbacks.slider = [this](std::int64_t position, std::int64_t) {
        if (frames_ != nullptr) frames_->SetFrameRange(position, document_.frame_count());
    };
    callbacks.frames_total = [this](std::uint64_t frames) { bar_.SetFramesTotal(frames); };
    return callbacks;
}

bool CShowView::make_current() {
    if (!IsShownOnScreen()) return false;
    if (!context_) {
        context_ = std::make_unique<wxGLContext>(this);
        if (!context_->IsOK()) {
            context_.reset();
            return false;
        }
        scene_view_.target_changed();
    }
    return SetCurrent(*context_);
}

bool CShowView::render() {
    if (!make_current()) return false;
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    if (size.x <= 0 || size.y <= 0) return false;
    scene_view_.draw(size.x, size.y, bar_.switches());
    return true;
}

void CShowView::on_paint(wxPaintEvent&) {
    wxPaintDC dc(this);
    redraw();
}

void CShowView::redraw() {
    bar_.refresh_types(document_.type_names());
    place_frames_dialog();
    if (render()) SwapBuffers();
}

void CShowView::rebuild_lists() {
    shown_type_ = bar_.selected_type();
    ++rebuilds_;
    if (!make_current()) scene_view_.target_changed();  // the lists are made at the next draw
    scene_view_.set_type(shown_type_);
    redraw();
}

Image CShowView::capture() {
    Image image;
    if (!render()) return image;
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    image.width = size.x;
    image.height = size.y;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(size.x) * size.y * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, size.x, size.y, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    image.rgb.resize(rows.size());
    const std::size_t row = static_cast<std::size_t>(size.x) * 3;
    for (int y = 0; y < size.y; ++y)  // OpenGL's rows run from the bottom
        std::memcpy(image.rgb.data() + static_cast<std::size_t>(y) * row,
                    rows.data() + static_cast<std::size_t>(size.y - 1 - y) * row, row);
    SwapBuffers();
    return image;
}

bool CShowView::command(int id) {
    Playback& playback = scene_view_.playback();
    switch (id) {
    case ids::start: playback.start(); break;
    case ids::stop: playback.stop(); break;
    case ids::first_frame: playback.first(); break;
    case ids::next_frame: playback.next(); break;
    case ids::previous_frame: playback.back(); break;
    case ids::go_to_frame: go_to_frame(); break;
    case ids::reset_camera: scene_view_.reset_camera(); break;
    case ids::frame_set: toggle_frames_dialog(); return true;
    case ids::record_avi: record_avi(); break;
    default: return false;
    }
    redraw();
    return true;
}

bool CShowView::enabled(int id) const {
    switch (id) {
    case ids::start: return !scene_view_.playback().playing();
    case ids::stop: return scene_view_.playback().playing();
    default: return true;
    }
}

bool CShowView::checked(int id) const {
    if (id == ids::frame_set) return frames_ != nullptr && frames_->IsShown();
    if (id == ids::record_avi) return scene_view_.recording();
    return false;
}

// Record AVI: ends a recording; else asks for the movie's file (an existing
// one only replaced when the person agrees) and its codec, and records from
// the next draw on.
void CShowView::record_avi() {
    if (scene_view_.recording()) {
        scene_view_.stop_recording();
        return;
    }
    wxFileDialog dialog(wxGetTopLevelParent(this), "Record AVI", "", "", movie_filter,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return;
    wxFileName file(dialog.GetPath());
    if (!file.HasExt()) file.SetExt("avi");
    CodecDialog codecs(this);
    const wxSize client = GetClientSize() * GetContentScaleFactor();
    scene_view_.start_recording(file.GetFullPath().utf8_string(), codecs, client.x, client.y);
}

void CShowView::go_to_frame() {
    scene_view_.playback().stop();
    CSetFrameDialog dialog(this);
    if (dialog.ShowModal() != wxID_OK) return;
    scene_view_.playback().go_to(dialog.frame_number());
}

// The frames slider starts at the view's lower left corner, off the scene's
// centre.
void CShowView::place_frames_dialog() {
    if (frames_placed_ || !IsShownOnScreen() || GetClientSize().y <= 0) return;
    frames_placed_ = true;
    const wxSize size = frames_->GetSize();
    frames_->Move(ClientToScreen(wxPoint(FromDIP(8), std::max(0, GetClientSize().y - size.y - FromDIP(8)))));
}

void CShowView::toggle_frames_dialog() { frames_->Show(!frames_->IsShown()); }

void CShowView::on_mouse(wxMouseEvent& event) {
    Camera& camera = scene_view_.camera();
    const wxPoint at = event.GetPosition();
    const auto type = event.GetEventType();
    if (type == wxEVT_RIGHT_DOWN || type == wxEVT_LEFT_DOWN) {
        SetFocus();
        camera.press(at.x, at.y);
    } else if (type == wxEVT_RIGHT_UP || type == wxEVT_LEFT_UP) {
        Refresh(false);
    } else if (type == wxEVT_MOTION && event.RightIsDown()) {
        camera.drag(at.x, at.y, bar_.switches().fly_mode);
        redraw();
    }
    event.Skip();
}

void CShowView::on_key(wxKeyEvent& event) {
    Camera& camera = scene_view_.camera();
    const bool fly = bar_.switches().fly_mode;
    switch (event.GetKeyCode()) {
    case 'A': camera.approach(fly); redraw(); break;
    case 'Z': camera.retreat(fly); redraw(); break;
    case WXK_NUMPAD_ADD: camera.speed_up(); break;
    case WXK_NUMPAD_SUBTRACT: camera.slow_down(); break;
    default: event.Skip(); break;
    }
}

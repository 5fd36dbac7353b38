#pragma once
// The OpenGL window of a document: a GL canvas with a context of its own
// over the viewer's core (SceneView). It plays the trajectory on a 1 ms
// timer, turns mouse and keys into camera moves, serves the Run commands and
// shows the frames slider. The display options come from the dialog bar at
// every draw.
#include <wx/glcanvas.h>
#include <wx/timer.h>

#include <cstddef>
#include <memory>

#include "gui/ShowDocument.h"
#include "visualization/Image.h"
#include "visualization/SceneView.h"

class CFramesDlg;
class CShowDlgBar;

class CShowView : public wxGLCanvas {
public:
    // `document` and `bar` must outlive the view.
    CShowView(wxWindow* parent, ShowDocument& document, CShowDlgBar& bar);
    ~CShowView() override;

    ShowDocument& document() const { return document_; }

    // A command of the menus or the toolbar (Ids.h); false when the view
    // does not serve it.
    bool command(int id);
    // Whether a command is enabled now, and whether its item is checked.
    bool enabled(int id) const;
    bool checked(int id) const;

    // The dialog bar's type selection changed: the display lists anew.
    void rebuild_lists();
    // The dialog bar's checks changed: redraw at once.
    void redraw();

    // Draws the current frame into the window's back buffer and reads it
    // back (for pictures of the view); an empty image when the window cannot
    // be drawn yet.
    Image capture();

    SceneView& scene_view() { return scene_view_; }
    CFramesDlg* frames_dialog() const { return frames_; }
    // The visualisation type the display lists were last built for.
    std::size_t shown_type() const { return shown_type_; }
    // How often the display lists were rebuilt for a type change.
    int rebuilds() const { return rebuilds_; }

private:
    Playback::Callbacks playback_callbacks();
    bool make_current();
    bool render();
    void go_to_frame();
    void record_avi();
    void toggle_frames_dialog();
    void place_frames_dialog();

    void on_paint(wxPaintEvent& event);
    void on_mouse(wxMouseEvent& event);
    void on_key(wxKeyEvent& event);

    ShowDocument& document_;
    CShowDlgBar& bar_;
    std::unique_ptr<wxGLContext> context_;
    SceneView scene_view_;
    wxTimer timer_;
    CFramesDlg* frames_ = nullptr;
    std::size_t shown_type_ = 0;
    int rebuilds_ = 0;
    bool frames_placed_ = false;
};

#pragma once
// The frames slider that every view shows: a modeless dialog over the view
// whose slider runs from 1 to the frame count and shows 1-based frame
// numbers. Moving it tells the view, which shows that frame.
#include <wx/dialog.h>
#include <wx/frame.h>

#include <cstdint>
#include <functional>

class wxSlider;
class wxTextCtrl;

class CFramesDlg : public wxDialog {
public:
    // `moved` gets the slider's position; it is called after the event that
    // moved the slider, as a posted notification.
    CFramesDlg(wxWindow* view, std::function<void(int)> moved);

    // The slider at `position` within 1 .. `frames`. Without frames the range
    // is 1 .. 1 and the slider is disabled. A new position notifies the view.
    void SetFrameRange(std::int64_t position, std::uint64_t frames);

    wxSlider* slider() const { return slider_; }
    wxString text() const;

private:
    void on_slider(wxCommandEvent& event);
    void notify();

    std::function<void(int)> moved_;
    wxSlider* slider_;
    wxTextCtrl* text_;
};

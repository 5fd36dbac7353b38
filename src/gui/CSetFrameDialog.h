#pragma once
// The go-to-frame dialog: a 1-based frame number, whole numbers only. The
// view moves the frames slider to it, whose range clamps it.
#include <wx/dialog.h>

class wxTextCtrl;

class CSetFrameDialog : public wxDialog {
public:
    explicit CSetFrameDialog(wxWindow* parent);

    int frame_number() const { return frame_number_; }
    wxTextCtrl* number_text() const { return number_; }

private:
    int frame_number_ = 0;
    wxTextCtrl* number_;
};

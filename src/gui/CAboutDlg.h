#pragma once
// The about box: the product name in a bold, larger font, the makers and an
// underlined contact line.
#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
};

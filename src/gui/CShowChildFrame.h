#pragma once
// The frame of one view inside the main frame. Closing the last view of a
// document closes the document.
#include <wx/mdi.h>

#include <functional>

#include "gui/ShowDocument.h"

class CShowDlgBar;
class CShowView;

class CShowChildFrame : public wxMDIChildFrame {
public:
    // `close_document` is asked to close the view's document when this is
    // its last view; other views just go.
    CShowChildFrame(wxMDIParentFrame* parent, const wxString& title, ShowDocument& document, CShowDlgBar& bar,
                    std::function<bool(CShowChildFrame&)> last_view, std::function<void(ShowDocument&)> close_document);

    CShowView* view() const { return view_; }

private:
    void on_close(wxCloseEvent& event);

    CShowView* view_;
    std::function<bool(CShowChildFrame&)> last_view_;
    std::function<void(ShowDocument&)> close_document_;
};

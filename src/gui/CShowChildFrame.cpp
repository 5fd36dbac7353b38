#include "gui/CShowChildFrame.h"

#include <wx/app.h>
#include <wx/sizer.h>

#include <utility>

#include "gui/CShowView.h"

CShowChildFrame::CShowChildFrame(wxMDIParentFrame* parent, const wxString& title, ShowDocument& document,
                                 CShowDlgBar& bar, std::function<bool(CShowChildFrame&)> last_view,
                                 std::function<void(ShowDocument&)> close_document)
    : wxMDIChildFrame(parent, wxID_ANY, title),
      view_(new CShowView(this, document, bar)),
      last_view_(std::move(last_view)),
      close_document_(std::move(close_document)) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(view_, wxSizerFlags(1).Expand());
    SetSizer(sizer);
    Bind(wxEVT_CLOSE_WINDOW, &CShowChildFrame::on_close, this);
}

void CShowChildFrame::on_close(wxCloseEvent& event) {
    if (event.CanVeto() && last_view_ && last_view_(*this)) {
        // The document goes with its last view, once this event is over
        // (the call is the application's: this frame goes with it).
        event.Veto();
        ShowDocument* document = &view_->document();
        wxTheApp->CallAfter([close = close_document_, document] { close(*document); });
        return;
    }
    Destroy();
}

#include "gui/CFramesDlg.h"

#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "gui/Ids.h"

namespace {

constexpr std::int64_t slider_limit = std::numeric_limits<int>::max();

int slider_value(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 1, slider_limit)); }

}  // namespace

CFramesDlg::CFramesDlg(wxWindow* view, std::function<void(int)> moved)
    : wxDialog(view, wxID_ANY, wxString::FromUTF8("Кадр"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxRESIZE_BORDER | wxFRAME_FLOAT_ON_PARENT),
      moved_(std::move(moved)),
      slider_(new wxSlider(this, ids::frames_slider, 1, 1, 1, wxDefaultPosition, FromDIP(wxSize(320, -1)))),
      text_(new wxTextCtrl(this, ids::frames_text, "1", wxDefaultPosition, FromDIP(wxSize(70, -1)), wxTE_READONLY)) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(slider_, wxSizerFlags(1).Expand().Border(wxALL, 4));
    sizer->Add(text_, wxSizerFlags().Centre().Border(wxALL, 4));
    SetSizerAndFit(sizer);
    slider_->Disable();
    slider_->Bind(wxEVT_SLIDER, &CFramesDlg::on_slider, this);
}

wxString CFramesDlg::text() const { return text_->GetValue(); }

void CFramesDlg::on_slider(wxCommandEvent&) {
    text_->ChangeValue(wxString::Format("%u", static_cast<unsigned>(slider_->GetValue())));
    notify();
}

// The view follows the slider's position when it takes the notification,
// so notifications that pile up settle on where the slider is then.
void CFramesDlg::notify() {
    CallAfter([this] {
        if (moved_) moved_(slider_->GetValue());
    });
}

void CFramesDlg::SetFrameRange(std::int64_t position, std::uint64_t frames) {
    const int old = slider_->GetValue();
    const int maximum = frames == 0 ? 1 : slider_value(static_cast<std::int64_t>(std::min<std::uint64_t>(frames, slider_limit)));
    const int value = std::min(slider_value(position), maximum);
    text_->ChangeValue(wxString::Format("%u", static_cast<unsigned>(value)));
    slider_->SetRange(1, maximum);
    slider_->SetValue(value);
    slider_->Enable(frames > 0);
    if (value != old) notify();
}

#include "gui/CShowDlgBar.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <utility>

#include "gui/Ids.h"

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += name;
        text += '\n';
    }
    return text;
}

}  // namespace

CShowDlgBar::CShowDlgBar(wxWindow* parent, Actions actions)
    : wxPanel(parent, ids::dialog_bar), actions_(std::move(actions)) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    const auto gap = wxSizerFlags().Border(wxLEFT | wxRIGHT | wxTOP, 4);

    add_check(sizer, ids::subst1, "Subst 1", true);
    add_check(sizer, ids::subst2, "Subst 2", true);
    add_check(sizer, ids::surface, "Surface", true, false);
    add_check(sizer, ids::color_by_potential, "Color by potential", true);
    add_check(sizer, ids::stop_on_contact, "Stop on contact", true);
    add_check(sizer, ids::stop_on_dock, "Stop on dock", true);
    add_check(sizer, ids::unhide_docked, "Unhide Docked", true);
    add_check(sizer, ids::fly_mode, "Camera fly mode", false);

    sizer->Add(new wxStaticText(this, wxID_ANY, "Display"), gap);
    types_ = new wxChoice(this, ids::display_types);
    sizer->Add(types_, wxSizerFlags(gap).Expand());
    types_->Bind(wxEVT_CHOICE, &CShowDlgBar::on_type, this);

    hidden_combo_ = new wxComboBox(this, ids::hidden_combo, "", wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                   wxCB_READONLY);
    hidden_combo_->Hide();
    hidden_combo_->Bind(wxEVT_COMBOBOX, &CShowDlgBar::on_check, this);
    auto* progress = new wxGauge(this, ids::progress, 100);
    progress->Hide();

    auto* frames = new wxBoxSizer(wxHORIZONTAL);
    frames->Add(new wxStaticText(this, wxID_ANY, "Frames total"), wxSizerFlags().Border(wxRIGHT, 6));
    frames_total_ = new wxStaticText(this, ids::frames_total, "0");
    frames->Add(frames_total_);
    sizer->Add(frames, wxSizerFlags(gap).Border(wxALL, 8));

    for (const char* line : {"Keyboard navigation:", "A \u2013 approach", "Z \u2013 retreat",
                             "Plus/Minus \u2013 increase/decrease approach/retreat velocity", "Mouse navigation:",
                             "Use right mouse button to move/rotate camera"}) {
        auto* text = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(line));
        text->Wrap(FromDIP(170));
        sizer->Add(text, gap);
    }
    SetSizerAndFit(sizer);
}

void CShowDlgBar::add_check(wxSizer* sizer, int id, const wxString& label, bool value, bool shown) {
    auto* box = new wxCheckBox(this, id, label);
    box->SetValue(value);
    box->Bind(wxEVT_CHECKBOX, &CShowDlgBar::on_check, this);
    sizer->Add(box, wxSizerFlags().Border(wxLEFT | wxRIGHT | wxTOP, 4));
    if (!shown) box->Hide();
}

wxCheckBox* CShowDlgBar::check(int id) const { return dynamic_cast<wxCheckBox*>(FindWindow(id)); }

DisplaySwitches CShowDlgBar::switches() const {
    DisplaySwitches s;
    s.subst1 = check(ids::subst1)->GetValue();
    s.subst2 = check(ids::subst2)->GetValue();
    s.surface = check(ids::surface)->GetValue();
    s.color_by_potential = check(ids::color_by_potential)->GetValue();
    s.stop_on_contact = check(ids::stop_on_contact)->GetValue();
    s.stop_on_dock = check(ids::stop_on_dock)->GetValue();
    s.unhide_docked = check(ids::unhide_docked)->GetValue();
    s.fly_mode = check(ids::fly_mode)->GetValue();
    return s;
}

std::size_t CShowDlgBar::selected_type() const {
    const int selection = types_->GetSelection();
    return selection == wxNOT_FOUND ? 0 : static_cast<std::size_t>(selection);
}

void CShowDlgBar::SetFramesTotal(std::uint64_t frames) {
    frames_total_->SetLabel(wxString::Format("%llu", static_cast<unsigned long long>(frames)));
}

wxString CShowDlgBar::frames_total() const { return frames_total_->GetLabel(); }

void CShowDlgBar::refresh_types(const std::vector<std::string>& names) {
    const std::string text = joined(names);
    if (text == filled_with_) return;
    filled_with_ = text;
    types_->Clear();
    for (const auto& name : names) types_->Append(wxString::FromUTF8(name));
    if (!names.empty()) types_->SetSelection(0);
}

void CShowDlgBar::on_check(wxCommandEvent&) {
    if (actions_.switches_changed) actions_.switches_changed();
}

void CShowDlgBar::on_type(wxCommandEvent&) {
    if (actions_.type_changed) actions_.type_changed();
}

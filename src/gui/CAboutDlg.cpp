#include "gui/CAboutDlg.h"

#include <wx/artprov.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace {

constexpr int product_name = 1035;
constexpr int contact_line = 1036;

}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Visual Zelmar") {
    auto* texts = new wxBoxSizer(wxVERTICAL);
    auto* name = new wxStaticText(this, product_name, "Visual Zelmar");
    wxFont title = GetFont();
    title.SetWeight(wxFONTWEIGHT_BOLD);
    title.SetFractionalPointSize(static_cast<double>(static_cast<int>(title.GetFractionalPointSize() * 1.3)));
    name->SetFont(title);
    texts->Add(name, wxSizerFlags().Border(wxBOTTOM, 6));
    texts->Add(new wxStaticText(this, wxID_ANY, "Brownian dynamics of protein association"));
    texts->Add(new wxStaticText(this, wxID_ANY, "The Zelmar developers"));
    auto* contact = new wxStaticText(this, contact_line, "Documentation: README.md and DEVELOPERS.md");
    wxFont underlined = GetFont();
    underlined.SetUnderlined(true);
    contact->SetFont(underlined);
    texts->Add(contact, wxSizerFlags().Border(wxTOP, 6));

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_MESSAGE_BOX)),
             wxSizerFlags().Border(wxALL, 10));
    row->Add(texts, wxSizerFlags(1).Border(wxALL, 10));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(row);
    sizer->Add(CreateStdDialogButtonSizer(wxOK), wxSizerFlags().Expand().Border(wxALL, 10));
    SetSizerAndFit(sizer);
}

#include "gui/CSetFrameDialog.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valnum.h>

#include "gui/Ids.h"

CSetFrameDialog::CSetFrameDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Установить кадр")),
      number_(new wxTextCtrl(this, ids::frame_number, "", wxDefaultPosition, wxDefaultSize, 0,
                             wxIntegerValidator<int>(&frame_number_))) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("Номер кадра")),
             wxSizerFlags().Centre().Border(wxRIGHT, 8));
    row->Add(number_, wxSizerFlags(1));
    sizer->Add(row, wxSizerFlags().Expand().Border(wxALL, 10));
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), wxSizerFlags().Expand().Border(wxALL, 10));
    SetSizerAndFit(sizer);
    number_->SetFocus();
}

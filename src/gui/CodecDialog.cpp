#include "gui/CodecDialog.h"

#include <wx/arrstr.h>
#include <wx/choicdlg.h>

std::optional<std::size_t> CodecDialog::choose_codec(const std::vector<movie::VideoCodec>& codecs,
                                                     std::size_t preselected) {
    wxArrayString names;
    for (const auto& codec : codecs) names.Add(wxString::FromUTF8(codec.description));
    wxSingleChoiceDialog dialog(parent_, "Compressor:", "Video Compression", names);
    dialog.SetSelection(static_cast<int>(preselected));
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    const int chosen = dialog.GetSelection();
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= codecs.size()) return std::nullopt;
    return static_cast<std::size_t>(chosen);
}

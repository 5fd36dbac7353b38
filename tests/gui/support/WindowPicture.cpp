#include "gui/support/WindowPicture.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/window.h>

namespace gui_testing {

bool save_window_picture(wxWindow& window, const std::string& path) {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
    const wxSize size = window.GetSize();
    const wxPoint origin = window.GetScreenPosition();
    wxBitmap picture(size);
    {
        wxMemoryDC memory(picture);
        wxScreenDC screen;
        if (!memory.Blit(0, 0, size.x, size.y, &screen, origin.x, origin.y)) return false;
    }
    return picture.ConvertToImage().SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

}  // namespace gui_testing

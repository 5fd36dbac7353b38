#pragma once
// A picture of a window as the display shows it (its view's OpenGL drawing
// included), saved as a PNG file.
#include <string>

class wxWindow;

namespace gui_testing {

// Copies `window` off the screen and writes it to `path`; false when it
// cannot.
bool save_window_picture(wxWindow& window, const std::string& path);

}  // namespace gui_testing

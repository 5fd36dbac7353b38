#pragma once
// Command and control identifiers of the viewer's menus, toolbar and dialog
// bar. The standard file, window and help commands use wx's stock
// identifiers; the viewer's own are the numbers they have always had less
// 26700 (menu identifiers must stay below 32767), so that a command reads
// the same in the menus, the toolbar and the tests.
#include <wx/defs.h>

namespace ids {

// File
inline constexpr int open = wxID_OPEN;
inline constexpr int close = wxID_CLOSE;
inline constexpr int exit = wxID_EXIT;
inline constexpr int record_avi = 6097;
// View
inline constexpr int toolbar = 32692;
inline constexpr int status_bar = 32693;
inline constexpr int frame_set = 132;
inline constexpr int trajectory_settings = 6091;  // disabled
inline constexpr int graphic = 6093;              // disabled
inline constexpr int scene_settings = 6094;       // disabled
inline constexpr int object_colors = 6096;        // disabled
// Run
inline constexpr int start = 6072;
inline constexpr int stop = 6071;
inline constexpr int first_frame = 6073;  // "Restart" in the Run menu
inline constexpr int next_frame = 6074;
inline constexpr int previous_frame = 6082;
inline constexpr int go_to_frame = 6084;
inline constexpr int reset_camera = 6099;
// Statistics (all disabled)
inline constexpr int save_distributions = 6086;
inline constexpr int trajectory_coordinates = 6089;
inline constexpr int diffusion = 6092;
inline constexpr int p700 = 6095;
// Window
inline constexpr int new_window = 6101;
inline constexpr int cascade = wxID_MDI_WINDOW_CASCADE;
inline constexpr int tile = wxID_MDI_WINDOW_TILE_HORZ;
inline constexpr int arrange_icons = wxID_MDI_WINDOW_ARRANGE_ICONS;
// Help
inline constexpr int about = wxID_ABOUT;

// The menu items that no command serves: always disabled.
inline constexpr int disabled_items[] = {trajectory_settings, graphic,  scene_settings,         object_colors,
                                         save_distributions,  diffusion, trajectory_coordinates, p700};

// Dialog bar controls
inline constexpr int subst1 = 1003;
inline constexpr int subst2 = 1005;
inline constexpr int surface = 1007;
inline constexpr int color_by_potential = 1006;
inline constexpr int stop_on_contact = 1004;
inline constexpr int stop_on_dock = 1008;
inline constexpr int unhide_docked = 1009;
inline constexpr int fly_mode = 1034;
inline constexpr int display_types = 1037;
inline constexpr int hidden_combo = 1032;
inline constexpr int progress = 1024;
inline constexpr int frames_total = 1000;
inline constexpr int dialog_bar = 103;

// Frames slider dialog and go-to-frame dialog
inline constexpr int frames_slider = 1013;
inline constexpr int frames_text = 1015;
inline constexpr int frame_number = 1002;

}  // namespace ids

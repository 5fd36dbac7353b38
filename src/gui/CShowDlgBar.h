#pragma once
// The dialog bar docked at the main frame's left edge: the display switches
// that every view reads at each draw, the list of visualisation types, the
// "Frames total" text and the navigation help. Its values are shared by all
// documents and views.
#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "visualization/DisplaySwitches.h"

class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxStaticText;

class CShowDlgBar : public wxPanel {
public:
    struct Actions {
        std::function<void()> switches_changed;  // redraw the active view
        std::function<void()> type_changed;      // rebuild the active view's lists, redraw it
    };

    CShowDlgBar(wxWindow* parent, Actions actions);

    // The checks as the views read them.
    DisplaySwitches switches() const;
    // The selected visualisation type; 0 when none is selected.
    std::size_t selected_type() const;

    // "Frames total".
    void SetFramesTotal(std::uint64_t frames);
    wxString frames_total() const;

    // Fills the type list with `names` when they differ from the names it
    // was last filled with, selecting the first.
    void refresh_types(const std::vector<std::string>& names);

    // The controls, for the windows that drive them (and tests).
    wxCheckBox* check(int id) const;
    wxChoice* types() const { return types_; }

private:
    void add_check(wxSizer* sizer, int id, const wxString& label, bool value, bool shown = true);
    void on_check(wxCommandEvent& event);
    void on_type(wxCommandEvent& event);

    Actions actions_;
    wxChoice* types_ = nullptr;
    wxComboBox* hidden_combo_ = nullptr;
    wxStaticText* frames_total_ = nullptr;
    std::string filled_with_;  // the names the type list was last filled with, joined
};

#pragma once
// The main frame: a multiple-document frame with the menus (one set while no
// document is open, one while any is), the toolbar, the status bar, the
// dialog bar docked at the left edge, the log window and the views' frames.
// Menu and toolbar commands of the Run and View menus go to the active view.
#include <wx/mdi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/ShowDocument.h"

class CConsoleLog;
class CShowChildFrame;
class CShowDlgBar;
class CShowView;
class ShowApplication;
class wxMenuBar;
class wxSashLayoutWindow;

class CMainFrame : public wxMDIParentFrame {
public:
    explicit CMainFrame(ShowApplication& app);
    ~CMainFrame() override;

    CShowDlgBar& dialog_bar() const { return *bar_; }
    CConsoleLog* log_window = nullptr;

    // "Frames total" in the dialog bar.
    void SetFramesTotal(std::uint64_t frames);

    // A new view (and its frame) of `document`, made active.
    CShowView& add_view(ShowDocument& document);
    // Every view of `document` goes, with its frame.
    void remove_views(const ShowDocument& document);
    // The views, oldest first.
    std::vector<CShowView*> views() const;
    // The view of the active child frame; null when none (or the log window)
    // is active.
    CShowView* active_view() const;

    // The menus follow whether a document is open; the recent-file entries
    // follow the list.
    void update_menus();

    // Runs a menu or toolbar command as a click would (also for tests).
    void run_command(int id);

private:
    std::unique_ptr<wxMenuBar> make_menus(bool document_open);
    void make_toolbar();
    void make_status_bar();
    void show_recent_files(wxMenuBar& menus);
    int views_of(const ShowDocument& document) const;

    void on_command(wxCommandEvent& event);
    void on_update(wxUpdateUIEvent& event);
    void on_recent(wxCommandEvent& event);
    void on_close(wxCloseEvent& event);
    void on_size(wxSizeEvent& event);
    void on_idle(wxIdleEvent& event);

    ShowApplication& app_;
    wxSashLayoutWindow* bar_window_ = nullptr;
    CShowDlgBar* bar_ = nullptr;
    std::unique_ptr<wxMenuBar> idle_menus_;  // the menu set not shown now
    bool document_menus_ = false;
    std::vector<CShowChildFrame*> children_;
    int titles_made_ = 0;
};

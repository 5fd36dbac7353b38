#include "gui/CMainFrame.h"

#include <wx/artprov.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/laywin.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>

#include "gui/CAboutDlg.h"
#include "gui/CConsoleLog.h"
#include "gui/CShowChildFrame.h"
#include "gui/CShowDlgBar.h"
#include "gui/CShowView.h"
#include "gui/Ids.h"
#include "gui/ShowApplication.h"

namespace {

constexpr int recent_files = 4;

// The commands that go to the active view.
constexpr int view_commands[] = {ids::start,          ids::stop,        ids::first_frame,  ids::next_frame,
                                 ids::previous_frame, ids::go_to_frame, ids::reset_camera, ids::frame_set,
                                 ids::record_avi};

bool is_view_command(int id) { return std::ranges::find(view_commands, id) != std::end(view_commands); }

wxMenu* file_menu(bool document_open) {
    auto* menu = new wxMenu;
    menu->Append(ids::open, "&Open...\tCtrl+O");
    if (document_open) {
        menu->Append(ids::close, "&Close");
        menu->AppendCheckItem(ids::record_avi, "Record &AVI...");
    }
    menu->AppendSeparator();
    menu->Append(ids::exit, "E&xit");
    return menu;
}

wxMenu* view_menu(bool document_open) {
    auto* menu = new wxMenu;
    menu->AppendCheckItem(ids::toolbar, "&Toolbar");
    menu->AppendCheckItem(ids::status_bar, "&Status Bar");
    if (document_open) {
        menu->AppendCheckItem(ids::frame_set, "&Frame Set");
        menu->AppendSeparator();
        menu->Append(ids::trajectory_settings, "T&rajectory Settings");
        menu->Append(ids::graphic, "&Graphic");
        menu->Append(ids::scene_settings, "S&cene Settings");
        menu->Append(ids::object_colors, "&Object Colors");
    }
    return menu;
}

wxMenu* run_menu() {
    auto* menu = new wxMenu;
    menu->Append(ids::start, "&Start");
    menu->Append(ids::stop, "S&top");
    menu->Append(ids::first_frame, "&Restart");
    menu->Append(ids::next_frame, "&Next frame");
    menu->Append(ids::previous_frame, "&Previous frame");
    menu->Append(ids::go_to_frame, "&Go to frame...");
    menu->AppendSeparator();
    menu->Append(ids::reset_camera, "Reset &camera");
    return menu;
}

wxMenu* statistics_menu() {
    auto* menu = new wxMenu;
    menu->Append(ids::save_distributions, "&Save Distributions");
    menu->Append(ids::trajectory_coordinates, "&Trajectory Coordinates");
    menu->Append(ids::diffusion, "&Diffusion");
    menu->Append(ids::p700, "&P700");
    return menu;
}

wxMenu* window_menu() {
    auto* menu = new wxMenu;
    menu->Append(ids::new_window, "&New Window");
    menu->Append(ids::cascade, "&Cascade");
    menu->Append(ids::tile, "&Tile");
    menu->Append(ids::arrange_icons, "&Arrange Icons");
    return menu;
}

wxMenu* help_menu() {
    auto* menu = new wxMenu;
    menu->Append(ids::about, "&About Visual Zelmar...");
    return menu;
}

}  // namespace

CMainFrame::CMainFrame(ShowApplication& app)
    : wxMDIParentFrame(nullptr, wxID_ANY, "VisualZelmar", wxDefaultPosition, wxSize(1200, 800)), app_(app) {
    SetMenuBar(make_menus(false).release());
    idle_menus_ = make_menus(true);
    make_toolbar();
    make_status_bar();

    bar_window_ = new wxSashLayoutWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER);
    bar_window_->SetOrientation(wxLAYOUT_VERTICAL);
    bar_window_->SetAlignment(wxLAYOUT_LEFT);
    bar_ = new CShowDlgBar(bar_window_, {[this] {
                                             if (auto* view = active_view()) view->redraw();
                                         },
                                         [this] {
                                             if (auto* view = active_view()) view->rebuild_lists();
                                         }});
    bar_window_->SetDefaultSize(wxSize(bar_->GetBestSize().x, 1000));

    Bind(wxEVT_MENU, &CMainFrame::on_command, this);
    Bind(wxEVT_MENU, &CMainFrame::on_recent, this, wxID_FILE1, wxID_FILE1 + recent_files - 1);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::on_update, this);
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::on_close, this);
    Bind(wxEVT_SIZE, &CMainFrame::on_size, this);
    Bind(wxEVT_IDLE, &CMainFrame::on_idle, this);
}

CMainFrame::~CMainFrame() { app_.main_frame_gone(); }

std::unique_ptr<wxMenuBar> CMainFrame::make_menus(bool document_open) {
    auto menus = std::make_unique<wxMenuBar>();
    menus->Append(file_menu(document_open), "&File");
    menus->Append(view_menu(document_open), "&View");
    if (document_open) {
        menus->Append(run_menu(), "&Run");
        menus->Append(statistics_menu(), "&Statistics");
        menus->Append(window_menu(), "&Window");
    }
    menus->Append(help_menu(), "&Help");
    for (const int id : ids::disabled_items)
        if (menus->FindItem(id) != nullptr) menus->Enable(id, false);
    return menus;
}

void CMainFrame::make_toolbar() {
    wxToolBar* tools = CreateToolBar(wxTB_FLAT | wxTB_HORIZONTAL | wxTB_DOCKABLE);
    const auto icon = [](const wxArtID& art) { return wxArtProvider::GetBitmapBundle(art, wxART_TOOLBAR); };
    tools->AddTool(ids::open, "Open", icon(wxART_FILE_OPEN), "Open");
    tools->AddSeparator();
    tools->AddTool(ids::first_frame, "First frame", icon(wxART_GOTO_FIRST), "First frame");
    tools->AddTool(ids::previous_frame, "Previous frame", icon(wxART_GO_BACK), "Previous frame");
    tools->AddTool(ids::start, "Start", icon(wxART_GO_FORWARD), "Start show");
    tools->AddTool(ids::stop, "Stop", icon(wxART_CROSS_MARK), "Stop show");
    tools->AddTool(ids::next_frame, "Next frame", icon(wxART_GOTO_LAST), "Next frame");
    tools->AddSeparator();
    tools->AddTool(ids::go_to_frame, "Go to frame", icon(wxART_FIND), "Set current frame");
    tools->Realize();
}

void CMainFrame::make_status_bar() {
    CreateStatusBar(4);
    const int widths[] = {-1, 50, 50, 50};
    GetStatusBar()->SetStatusWidths(4, widths);
    SetStatusText("Ready");
}

void CMainFrame::SetFramesTotal(std::uint64_t frames) { bar_->SetFramesTotal(frames); }

CShowView& CMainFrame::add_view(ShowDocument& document) {
    const int existing = views_of(document);
    wxString title = wxFileName(wxString::FromUTF8(document.path())).GetFullName();
    if (existing > 0) title += wxString::Format(":%d", existing + 1);
    auto* child = new CShowChildFrame(
        this, title, document, *bar_,
        [this](CShowChildFrame& frame) { return views_of(frame.view()->document()) == 1; },
        [this](ShowDocument& doc) { app_.close_document(doc); });
    children_.push_back(child);
    child->Bind(wxEVT_DESTROY, [this, child](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == child) std::erase(children_, child);
        event.Skip();
    });
    update_menus();
    child->Show();
    child->Activate();
    return *child->view();
}

void CMainFrame::remove_views(const ShowDocument& document) {
    const auto children = children_;
    for (auto* child : children)
        if (&child->view()->document() == &document) delete child;
    update_menus();
}

std::vector<CShowView*> CMainFrame::views() const {
    std::vector<CShowView*> result;
    for (const auto* child : children_) result.push_back(child->view());
    return result;
}

int CMainFrame::views_of(const ShowDocument& document) const {
    return static_cast<int>(std::ranges::count_if(children_, [&](const CShowChildFrame* child) {
        return &child->view()->document() == &document;
    }));
}

CShowView* CMainFrame::active_view() const {
    const auto* active = GetActiveChild();
    for (const auto* child : children_)
        if (child == active) return child->view();
    return nullptr;
}

void CMainFrame::update_menus() {
    const bool document_open = !children_.empty();
    if (document_open != document_menus_) {
        wxMenuBar* shown = GetMenuBar();
        wxMenuBar* next = idle_menus_.release();
        SetMenuBar(next);
        idle_menus_.reset(shown);
        document_menus_ = document_open;
    }
    show_recent_files(*GetMenuBar());
    show_recent_files(*idle_menus_);
}

// The recent files stand in the File menu before its last separator.
void CMainFrame::show_recent_files(wxMenuBar& menus) {
    wxMenu* file = menus.GetMenu(0);
    for (int i = 0; i < recent_files; ++i)
        if (wxMenuItem* item = file->FindChildItem(wxID_FILE1 + i)) file->Destroy(item);
    const wxFileHistory& history = app_.recent_files();
    std::size_t at = file->GetMenuItemCount() - 2;  // before the separator and Exit
    for (std::size_t i = 0; i < history.GetCount(); ++i)
        file->Insert(at++, wxID_FILE1 + static_cast<int>(i),
                     wxString::Format("&%zu %s", i + 1, history.GetHistoryFile(i)));
}

void CMainFrame::run_command(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(this);
    if (id >= wxID_FILE1 && id < wxID_FILE1 + recent_files) on_recent(event);
    else on_command(event);
}

void CMainFrame::on_command(wxCommandEvent& event) {
    const int id = event.GetId();
    if (is_view_command(id)) {
        if (auto* view = active_view()) view->command(id);
        return;
    }
    switch (id) {
    case ids::open: app_.open_dialog(); break;
    case ids::close:
        if (auto* view = active_view()) app_.close_document(view->document());
        break;
    case ids::exit: Close(); break;
    case ids::about: CAboutDlg(this).ShowModal(); break;
    case ids::toolbar: GetToolBar()->Show(!GetToolBar()->IsShown()); SendSizeEvent(); break;
    case ids::status_bar: GetStatusBar()->Show(!GetStatusBar()->IsShown()); SendSizeEvent(); break;
    case ids::new_window:
        if (auto* view = active_view()) add_view(view->document());
        break;
    case ids::cascade: Cascade(); break;
    case ids::tile: Tile(); break;
    case ids::arrange_icons: ArrangeIcons(); break;
    default: event.Skip(); break;
    }
}

void CMainFrame::on_recent(wxCommandEvent& event) {
    const std::size_t index = static_cast<std::size_t>(event.GetId() - wxID_FILE1);
    const wxFileHistory& history = app_.recent_files();
    if (index < history.GetCount()) app_.open(history.GetHistoryFile(index).utf8_string());
}

void CMainFrame::on_update(wxUpdateUIEvent& event) {
    const int id = event.GetId();
    if (std::ranges::find(ids::disabled_items, id) != std::end(ids::disabled_items)) {
        event.Enable(false);
        return;
    }
    if (id == ids::toolbar) {
        event.Check(GetToolBar() != nullptr && GetToolBar()->IsShown());
        return;
    }
    if (id == ids::status_bar) {
        event.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown());
        return;
    }
    if (is_view_command(id) || id == ids::close || id == ids::new_window) {
        const CShowView* view = active_view();
        event.Enable(view != nullptr && view->enabled(id));
        if (id == ids::frame_set || id == ids::record_avi) event.Check(view != nullptr && view->checked(id));
        return;
    }
    event.Skip();
}

void CMainFrame::on_close(wxCloseEvent& event) {
    if (!app_.shut_down() && event.CanVeto()) {
        event.Veto();  // a document is closing: the exit follows it
        return;
    }
    Destroy();
}

void CMainFrame::on_size(wxSizeEvent&) { wxLayoutAlgorithm().LayoutMDIFrame(this); }

// The status bar's lock indicators.
void CMainFrame::on_idle(wxIdleEvent& event) {
    const struct {
        int field;
        wxKeyCode key;
        const char* text;
    } indicators[] = {{1, WXK_CAPITAL, "CAP"}, {2, WXK_NUMLOCK, "NUM"}, {3, WXK_SCROLL, "SCRL"}};
    if (wxStatusBar* status = GetStatusBar(); status != nullptr && status->IsShown())
        for (const auto& indicator : indicators) {
            const wxString text = wxGetKeyState(indicator.key) ? indicator.text : "";
            if (status->GetStatusText(indicator.field) != text) status->SetStatusText(text, indicator.field);
        }
    event.Skip();
}

// The viewer's application object (ShowApplication.h).
#include "gui/ShowApplication.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/settings.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <ctime>

#include "gui/CConsoleLog.h"
#include "gui/CMainFrame.h"
#include "gui/QuitSignals.h"
#include "utils/Log.h"

namespace {

constexpr const char* maker_key = "Halvorn";
constexpr const char* application_key = "VisualZelmar";
constexpr const char* recent_files_group = "/Recent File List";
constexpr std::size_t recent_file_count = 4;

// The settings file: $XDG_CONFIG_HOME (else ~/.config) / maker / program.
wxString settings_path() {
    wxString base;
    if (!wxGetEnv("XDG_CONFIG_HOME", &base) || base.empty()) base = wxFileName::GetHomeDir() + "/.config";
    return base + "/" + maker_key + "/" + application_key + ".conf";
}

// "./VZelmar.20261211.034512.log" from the local date and time.
std::string log_file_name() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::snprintf(name, sizeof name, "./VZelmar.%04d%02d%02d.%02d%02d%02d.log", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name;
}

}  // namespace

ShowApplication::ShowApplication(DocumentOpener opener) : opener_(std::move(opener)), recent_(recent_file_count) {}

ShowApplication::~ShowApplication() {
    shut_down();
    if (frame_ != nullptr) {
        // The frame goes now, with the application object it refers to, even
        // when it was closed and waits for the next idle time to be deleted.
        wxPendingDelete.DeleteObject(frame_);
        delete frame_;
    }
}

CConsoleLog* ShowApplication::log_window() const { return frame_ != nullptr ? frame_->log_window : nullptr; }

bool ShowApplication::start(const std::vector<std::string>& arguments) {
    // 1. Settings under the maker's key, with four recent files.
    const wxString settings = settings_path();
    wxFileName::Mkdir(wxFileName(settings).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    config_ = std::make_unique<wxFileConfig>(application_key, maker_key, settings, "", wxCONFIG_USE_LOCAL_FILE);
    config_->SetPath(recent_files_group);
    recent_.Load(*config_);
    config_->SetPath("/");
    // 2. The document template: template_, configuration files.
    // 3. The main frame.
    frame_ = new CMainFrame(*this);
    // 4. The log window, fed by the logger through the queue.
    frame_->log_window = new CConsoleLog(frame_, log_queue_);
    CLog::SetLineSink(log_queue_.sink());
    frame_->update_menus();
    quit_signals::install();
    // 5. The command line's file.
    for (const auto& argument : arguments)
        if (open(argument) == nullptr) return false;
    // 6. Shown maximised, with the log window.
    frame_->Maximize();
    frame_->Show();
    frame_->log_window->Show();
    // 7. The log file.
    if (!CLog::isLogfileOpen()) start_logging();
    // 8. The log window's character format.
    wxTextAttr format;
    format.SetFont(wxFontInfo(8.5).FaceName("Arial"));
    format.SetTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    frame_->log_window->set_default_format(format);
    // 9.
    LOG_MESSAGE("Visual Zelmar ready");
    // 10. The standard streams stay where the program was started from.
    return true;
}

void ShowApplication::start_logging() {
    SLogParams params;
    const std::string name = log_file_name();
    if (CLog::StartLogging(&params, name.c_str())) log_file_ = name;
}

ShowDocument* ShowApplication::open(const std::string& path) {
    if (busy_ || ended_) return nullptr;
    busy_ = true;
    std::unique_ptr<ShowDocument> document = opener_ ? opener_(path) : nullptr;
    quit_signals::install();  // the engine's preparation installed its own
    busy_ = false;
    if (!document) return nullptr;
    recent_.AddFileToHistory(wxString::FromUTF8(document->path()));
    save_settings();
    ShowDocument& opened = *documents_.emplace_back(std::move(document));
    frame_->add_view(opened);
    frame_->SetFramesTotal(opened.frame_count());
    return &opened;
}

void ShowApplication::open_dialog() {
    wxFileDialog dialog(frame_, "Open", "", "", template_.filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return;
    open(dialog.GetPath().utf8_string());
}

void ShowApplication::close_document(ShowDocument& document) {
    if (busy_) return;
    // A close asked for after the event that asked for it: the document
    // may have gone meanwhile.
    if (std::ranges::none_of(documents_, [&](const auto& open) { return open.get() == &document; })) return;
    close_now(document);
    if (exit_pending_ && frame_ != nullptr) frame_->Close();
}

void ShowApplication::close_now(ShowDocument& document) {
    busy_ = true;
    frame_->remove_views(document);
    document.close();
    std::erase_if(documents_, [&](const auto& open) { return open.get() == &document; });
    busy_ = false;
}

bool ShowApplication::shut_down() {
    if (ended_) return true;
    if (busy_) {
        exit_pending_ = true;
        return false;
    }
    while (!documents_.empty()) close_now(*documents_.back());
    save_settings();
    CLog::SetLineSink({});
    CLog::EndLogging();
    ended_ = true;
    return true;
}

void ShowApplication::save_settings() {
    if (!config_) return;
    config_->SetPath(recent_files_group);
    recent_.Save(*config_);
    config_->SetPath("/");
    config_->Flush();
    if (frame_ != nullptr) frame_->update_menus();
}

void ShowApplication::poll_quit_signal() {
    if (quit_signals::requested() && frame_ != nullptr && !ended_) frame_->Close();
}

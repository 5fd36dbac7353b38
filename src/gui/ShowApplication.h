#pragma once
// The viewer's application object: start-up in its order (settings under the
// maker's key with four recent files, the configuration-file template, the
// main frame, the log window "Messages", the command line's file, the log
// file named from the local date and time, "Visual Zelmar ready"), the open
// documents, and the orderly end (documents closed, settings saved, the log
// summary written).
//
// The program's wxApp (vzelmar_main.cpp) holds one; tests make and destroy
// several in one process, as restarts of the program.
#include <wx/filehistory.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/ShowDocument.h"
#include "utils/LogLineQueue.h"

class CMainFrame;
class CConsoleLog;
class wxFileConfig;

// The document template: what the viewer opens.
struct DocumentTemplate {
    const char* name = "VisualZelmar";
    const char* extension = "cfg";
    const char* filter = "Config files (*.cfg)|*.cfg|All Files (*.*)|*.*";
};

class ShowApplication {
public:
    explicit ShowApplication(DocumentOpener opener);
    // Ends as the Exit command does, if that has not happened yet.
    ~ShowApplication();
    ShowApplication(const ShowApplication&) = delete;
    ShowApplication& operator=(const ShowApplication&) = delete;

    // Start-up with the program's arguments after its name; false ends the
    // program (the main frame could not be made, or the command line's file
    // did not open).
    bool start(const std::vector<std::string>& arguments);

    CMainFrame* main_frame() const { return frame_; }
    CConsoleLog* log_window() const;
    const wxFileHistory& recent_files() const { return recent_; }
    const DocumentTemplate& document_template() const { return template_; }
    const std::vector<std::unique_ptr<ShowDocument>>& documents() const { return documents_; }
    // The log file this start opened; empty when logging was already on.
    const std::string& log_file() const { return log_file_; }

    // Opens a configuration and shows it in a new view; null when it did not
    // open, or while a document is closing.
    ShowDocument* open(const std::string& path);
    // File > Open: a file dialog for configuration files, then open.
    void open_dialog();
    // Closes `document` with its views, waiting for its calculation while
    // the windows keep working. Ignored while another close waits, and for
    // a document that is no longer open.
    void close_document(ShowDocument& document);

    // The end of the program: every document closed, the settings saved,
    // logging ended. False while a document's close waits; the end then
    // follows that close.
    bool shut_down();
    // Ends the program when a signal has asked for it (polled on a timer).
    void poll_quit_signal();
    // The main frame has been destroyed.
    void main_frame_gone() { frame_ = nullptr; }

private:
    void start_logging();
    void save_settings();
    void close_now(ShowDocument& document);

    DocumentOpener opener_;
    DocumentTemplate template_;
    std::unique_ptr<wxFileConfig> config_;
    wxFileHistory recent_;
    LogLineQueue log_queue_;
    CMainFrame* frame_ = nullptr;
    std::vector<std::unique_ptr<ShowDocument>> documents_;
    std::string log_file_;
    bool busy_ = false;          // an open or a close is in progress
    bool exit_pending_ = false;  // the end was asked for during a close
    bool ended_ = false;
};

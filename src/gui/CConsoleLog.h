#pragma once
// The log window "Messages": every log line in colour, in read-only text
// that the person can select from but not close. Lines come from any thread
// through a LogLineQueue (the logger's sink); the window's own thread takes
// them in batches on a short timer and appends each batch at once, drawn
// when it is all in. Appending keeps a selection the person made and its scroll
// position; otherwise the window follows the end.
#include <wx/mdi.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <vector>

#include "utils/Log.h"

class LogLineQueue;

class CConsoleLog : public wxMDIChildFrame {
public:
    // Shows the lines of `queue`, which must outlive the window.
    CConsoleLog(wxMDIParentFrame* parent, LogLineQueue& queue);
    ~CConsoleLog() override;

    // Appends every line queued so far (the timer does this on its own).
    void drain();
    // Appends `lines` as one batch.
    void show(const std::vector<LogLine>& lines);

    // The text's default character format.
    void set_default_format(const wxTextAttr& format);

    // The three steps of one batch.
    void BeginAppend();
    void AppendText(const wxString& text, const wxTextAttr* format);
    void EndAppend();

    wxTextCtrl* text() const { return text_; }

private:
    void append_line(const LogLine& line);
    void on_close(wxCloseEvent& event);

    LogLineQueue& queue_;
    wxTextCtrl* text_;
    wxTimer timer_;
    wxTextAttr default_format_;
    long selection_from_ = 0;
    long selection_to_ = 0;
    long old_end_ = 0;
    bool frozen_ = false;
};

#include "gui/CConsoleLog.h"

#include <wx/settings.h>
#include <wx/sizer.h>

#include "utils/LogLineQueue.h"

namespace {

constexpr int drain_period_ms = 50;

const wxColour grey(192, 186, 180);
const wxColour error_red(240, 0, 0);

wxString text_of(std::string_view piece) { return wxString::FromUTF8(piece.data(), piece.size()); }

// A character format of colour `colour` (the text's own colour when not
// valid), with the effects given.
wxTextAttr format(const wxColour& colour, bool bold, bool underlined = false) {
    wxTextAttr attr;
    attr.SetTextColour(colour.IsOk() ? colour : wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    attr.SetFontWeight(bold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
    attr.SetFontStyle(wxFONTSTYLE_NORMAL);
    attr.SetFontUnderlined(underlined);
    return attr;
}

}  // namespace

CConsoleLog::CConsoleLog(wxMDIParentFrame* parent, LogLineQueue& queue)
    : wxMDIChildFrame(parent, wxID_ANY, "Messages", wxDefaultPosition, wxDefaultSize,
                      wxDEFAULT_FRAME_STYLE & ~wxCLOSE_BOX),
      queue_(queue),
      text_(new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                           wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2 | wxHSCROLL | wxTE_DONTWRAP)),
      timer_(this) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(text_, wxSizerFlags(1).Expand());
    SetSizer(sizer);
    Bind(wxEVT_CLOSE_WINDOW, &CConsoleLog::on_close, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { drain(); });
    timer_.Start(drain_period_ms);
}

CConsoleLog::~CConsoleLog() { timer_.Stop(); }

// The window cannot be closed; it goes with the main frame.
void CConsoleLog::on_close(wxCloseEvent& event) {
    if (event.CanVeto()) event.Veto();
    else Destroy();
}

void CConsoleLog::set_default_format(const wxTextAttr& format) {
    default_format_ = format;
    text_->SetDefaultStyle(format);
}

void CConsoleLog::drain() {
    const auto lines = queue_.take();
    if (!lines.empty()) show(lines);
}

void CConsoleLog::show(const std::vector<LogLine>& lines) {
    BeginAppend();
    for (const auto& line : lines) append_line(line);
    EndAppend();
}

void CConsoleLog::BeginAppend() {
    text_->GetSelection(&selection_from_, &selection_to_);
    old_end_ = text_->GetLastPosition();
    // Updates are frozen while a batch goes in, except while the person has
    // text selected: GTK's frozen text gives up the selection (it hands its
    // buffer's selection back to the display). The window is drawn only
    // once the batch is in, either way.
    frozen_ = selection_from_ == selection_to_;
    if (frozen_) text_->Freeze();
}

void CConsoleLog::AppendText(const wxString& text, const wxTextAttr* format) {
    const long begin = text_->GetLastPosition();
    text_->SetInsertionPointEnd();
    text_->WriteText(text);
    if (format != nullptr) text_->SetStyle(begin, text_->GetLastPosition(), *format);
}

void CConsoleLog::EndAppend() {
    if (frozen_) text_->Thaw();
    if (selection_from_ != selection_to_ && selection_from_ < old_end_) {
        // The person selected earlier text: keep it where it was.
        text_->SetSelection(selection_from_, selection_to_);
        text_->ShowPosition(selection_from_);
    } else {
        text_->SetInsertionPointEnd();
        text_->ShowPosition(text_->GetLastPosition());
    }
    text_->Update();
}

void CConsoleLog::append_line(const LogLine& line) {
    const wxTextAttr plain = format(grey, false);
    if (!line.time_stamp().empty()) AppendText(text_of(line.time_stamp()), &plain);
    if (!line.location().empty()) {
        const wxTextAttr underlined = format(grey, false, true);
        AppendText(text_of(line.location()), &underlined);
        AppendText(text_of(line.separator()), &plain);
    }
    if (!line.prefix().empty()) AppendText(text_of(line.prefix()), &plain);
    wxTextAttr message;
    switch (line.level) {
    case LogLevel::error: message = format(error_red, true); break;
    case LogLevel::warning: message = format(wxNullColour, true); break;
    default: message = format(wxNullColour, false); break;
    }
    AppendText(text_of(line.message()) + "\n", &message);
}

#include "gui/ConfigDocument.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include <chrono>
#include <thread>
#include <utility>

namespace {

constexpr auto wait_slice = std::chrono::milliseconds(5);

std::string absolute(const std::string& path) {
    wxFileName name(wxString::FromUTF8(path));
    name.MakeAbsolute();
    return name.GetFullPath().utf8_string();
}

long message_style(const Question& question) {
    switch (question.buttons) {
    case QuestionButtons::ok: return wxOK | wxICON_EXCLAMATION;
    case QuestionButtons::yes_no:
        return wxYES_NO | wxICON_QUESTION | (question.default_answer == Answer::no ? wxNO_DEFAULT : wxYES_DEFAULT);
    case QuestionButtons::yes_no_cancel: {
        long style = wxYES_NO | wxCANCEL | wxICON_QUESTION;
        if (question.default_answer == Answer::no) style |= wxNO_DEFAULT;
        else if (question.default_answer == Answer::cancel) style |= wxCANCEL_DEFAULT;
        return style;
    }
    }
    return wxOK;
}

}  // namespace

ConfigDocument::ConfigDocument(std::string path, AskQuestion ask, WaitLoop wait)
    : path_(absolute(path)), document_(std::move(ask), std::move(wait)) {}

Answer ask_in_message_box(const Question& question) {
    wxString message = wxString::FromUTF8(question.message);
    message.Replace("\r\n", "\n");
    wxMessageDialog box(wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr, message,
                        wxString::FromUTF8(question.caption), message_style(question));
    switch (box.ShowModal()) {
    case wxID_YES: return Answer::yes;
    case wxID_NO: return Answer::no;
    case wxID_CANCEL: return question.buttons == QuestionButtons::ok ? Answer::ok : Answer::cancel;
    default: return Answer::ok;
    }
}

void serve_windows_until(const std::function<bool()>& finished) {
    while (!finished()) {
        if (wxTheApp != nullptr) wxTheApp->Yield(true);
        std::this_thread::sleep_for(wait_slice);
    }
}

DocumentOpener config_document_opener() {
    return [](const std::string& path) -> std::unique_ptr<ShowDocument> {
        auto document = std::make_unique<ConfigDocument>(path, ask_in_message_box, serve_windows_until);
        if (!document->open()) return nullptr;
        return document;
    };
}

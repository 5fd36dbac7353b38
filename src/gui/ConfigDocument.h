#pragma once
// The configuration document (CShowDoc) as the windows see it: its questions
// asked in message boxes owned by the main window, its close waiting for the
// calculation while the window thread keeps serving events.
#include <memory>
#include <string>

#include "gui/ShowDocument.h"
#include "visualization/document/showDoc.h"

class ConfigDocument : public ShowDocument {
public:
    ConfigDocument(std::string path, AskQuestion ask, WaitLoop wait);

    // The open sequence; false when the document did not open.
    bool open() { return document_.OnOpenDocument(path_); }

    std::string path() const override { return path_; }
    const SceneDescription& scene() const override { return document_.scene(); }
    std::vector<std::string> type_names() const override { return document_.type_names(); }
    std::uint64_t frame_count() override { return document_.GetFrameCount(); }
    FrameSource& frames() override { return document_.frames(); }
    void close() override { document_.OnCloseDocument(); }

    CShowDoc& document() { return document_; }

private:
    std::string path_;  // absolute: the open changes the working directory
    CShowDoc document_;
};

// A question in a message box over the main window (wxMessageDialog).
Answer ask_in_message_box(const Question& question);
// Waits until `finished`, serving the window thread's events.
void serve_windows_until(const std::function<bool()>& finished);

// Opens configuration documents with those two.
DocumentOpener config_document_opener();

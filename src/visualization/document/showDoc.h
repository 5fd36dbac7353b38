#pragma once
// The viewer's document: one configuration file, opened read-only. Opening
// it prepares an engine inside the viewer's process (with the display hooks
// that write the species' surfaces), reads the display settings of the same
// configuration (scene box, visualisation types, colours, pot_m, one shape
// file per species and type), finds the trajectory and, at the person's
// choice, calculates it anew on a thread of its own while the views play
// back what is written. The document never writes its configuration.
//
// The window layer makes one CShowDoc per open, with the question interface
// (its message boxes) and its wait loop, calls OnOpenDocument and drops the
// document when that gives false; after a successful open it puts
// GetFrameCount() into the dialog bar and hands scene() and frames() to a
// SceneView. Before dropping a document it calls OnCloseDocument (the
// destructor closes too, with the same wait loop).
//
// Everything here runs on the window thread, except the calculation, which
// runs on the document's own thread (engine_host::CalculationThread).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "visualization/C3DObject.h"
#include "visualization/SceneDescription.h"
#include "visualization/document/DocumentFrames.h"
#include "visualization/document/Question.h"
#include "visualization/document/WaitLoop.h"

class PDcalc;
class Section;
namespace engine_host {
class CalculationThread;
}

class CShowDoc {
public:
    explicit CShowDoc(AskQuestion ask, WaitLoop wait = sleeping_wait);
    // Closes (as OnCloseDocument), then destroys the engine, which logs its
    // reaction counts and "Done.".
    ~CShowDoc();
    CShowDoc(const CShowDoc&) = delete;
    CShowDoc& operator=(const CShowDoc&) = delete;

    // The open sequence. `path` names the configuration file; a relative
    // path is taken from the current directory. Every message goes through
    // the question interface with the caption "Load file". True when the
    // document is loaded (playing back the trajectory found, or calculating
    // it anew); false after a message, or when the person answers Cancel
    // (or No to starting a calculation): the caller then drops the document.
    // A document opens once; a second call gives false.
    bool OnOpenDocument(const std::string& path);

    // Stops a running calculation (the engine's stop request, never lost)
    // and waits for its thread through the wait loop. A call made while a
    // close already waits (from an event the wait loop dispatched) returns
    // at once.
    void OnCloseDocument();

    // Nothing is ever written.
    bool OnSaveDocument(const std::string& path) const;

    // Set at the very end of a successful open; views draw nothing before.
    bool loaded() const { return loaded_; }
    // A calculation thread was started and its calculation has not returned.
    bool calculating() const;
    // OnCloseDocument is waiting for the calculation.
    bool closing() const { return closing_; }

    // Whole frames now in the trajectory (0 while there is no file, or while
    // a calculation started anew has not yet opened its own).
    std::uint64_t GetFrameCount() { return frames_ ? frames_->frame_count() : 0; }
    // The frames the views play back; valid once loaded.
    DocumentFrames& frames() { return *frames_; }

    // What the views draw: per species its object and potential grid, the
    // scene box and the instances per frame; valid once loaded.
    const SceneDescription& scene() const { return scene_; }

    // ---- display settings ---------------------------------------------------
    const SceneBox& scene_box() const { return scene_.box; }
    std::int32_t types_n() const { return static_cast<std::int32_t>(type_names_.size()); }
    // The visualisation types in configuration order (the dialog bar's list).
    const std::vector<std::string>& type_names() const { return type_names_; }
    // One per species: colours by trajectory flags, one mesh per type, pot_m.
    const std::vector<C3DObjectMovable>& objects() const { return objects_; }

    // ---- files ------------------------------------------------------------------
    // The configuration's folder, with its trailing '/'.
    const std::string& folder() const { return folder_; }
    // vis_folder + "Files.trajectory".
    const std::string& trajectory_path() const { return trajectory_path_; }
    // Bytes per trajectory frame: 101 per instance + 8.
    std::int64_t frame_size() const { return frame_size_; }

    // The engine, once the open has made it (null before); read only while
    // a calculation runs, except for what the engine lets other threads do.
    PDcalc* engine() { return engine_.get(); }
    const PDcalc* engine() const { return engine_.get(); }

private:
    bool open(const std::string& path);
    bool change_to_folder(const std::string& absolute);
    bool prepare_engine(const std::string& file_name);
    bool read_display_settings();
    void read_colours(C3DObject& object, Section& section);
    void read_shapes();
    bool choose_calculation();
    void start_calculation();
    void say(const std::string& message);
    Answer ask(const std::string& message, QuestionButtons buttons, Answer default_answer);

    AskQuestion ask_;
    WaitLoop wait_;
    std::string folder_;
    std::unique_ptr<PDcalc> engine_;
    std::unique_ptr<engine_host::CalculationThread> calc_thread_;
    bool loaded_ = false;
    bool opened_ = false;   // OnOpenDocument was called
    bool closing_ = false;  // OnCloseDocument waits
    std::vector<C3DObjectMovable> objects_;
    std::unique_ptr<DocumentFrames> frames_;
    std::string trajectory_path_;
    std::vector<std::string> type_names_;
    SceneDescription scene_;
    std::int64_t frame_size_ = 0;
};

#pragma once
// What the windows need of an open document: its scene, its trajectory
// frames, the names of its visualisation types, and a close that waits for
// its calculation. The configuration document implements it
// (ConfigDocument.h); tests hand in documents of their own.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "visualization/FrameSource.h"
#include "visualization/SceneDescription.h"

class ShowDocument {
public:
    virtual ~ShowDocument() = default;

    // The configuration file, as it was opened.
    virtual std::string path() const = 0;
    // What the views draw; it lives as long as the document.
    virtual const SceneDescription& scene() const = 0;
    // Names of the visualisation types, in their configuration order.
    virtual std::vector<std::string> type_names() const = 0;
    // Whole frames in the trajectory now.
    virtual std::uint64_t frame_count() = 0;
    // The trajectory's frames, shared by the document's views.
    virtual FrameSource& frames() = 0;
    // Stops a running calculation and waits for it; the windows keep
    // being served while it waits.
    virtual void close() = 0;
};

// Opens the configuration at `path`, asking the person what the opening
// needs to know; null when it did not open (the person was told why).
using DocumentOpener = std::function<std::unique_ptr<ShowDocument>(const std::string& path)>;

// The viewer's document (showDoc.h). The file's name is what the log shows
// as the location of the document's lines.
#include "visualization/document/showDoc.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <utility>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/host/EngineHost.h"
#include "utils/Log.h"
#include "visualization/ShapeFile.h"
#include "visualization/document/ShowDocSeams.h"
#include "visualization/surfaces/vis_velmesh.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* caption = "Load file";

showdoc_detail::OpenHook open_hook = nullptr;

// The configuration's folder (with its trailing '/') and file name of
// `path` made absolute; an empty file name when the path names none.
struct PathParts {
    std::string folder;
    std::string file_name;
};

std::optional<PathParts> split(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    if (error) return std::nullopt;
    const std::string text = absolute.string();
    const std::size_t slash = text.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    return PathParts{text.substr(0, slash + 1), text.substr(slash + 1)};
}

bool file_exists_for_reading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

}  // namespace

void showdoc_detail::set_open_hook(OpenHook hook) { open_hook = hook; }

CShowDoc::CShowDoc(AskQuestion ask, WaitLoop wait) : ask_(std::move(ask)), wait_(std::move(wait)) {
    if (!wait_) wait_ = sleeping_wait;
}

CShowDoc::~CShowDoc() {
    OnCloseDocument();
    calc_thread_.reset();
    frames_.reset();
    engine_.reset();
}

bool CShowDoc::OnSaveDocument(const std::string&) const { return false; }

bool CShowDoc::calculating() const { return calc_thread_ && !calc_thread_->finished(); }

void CShowDoc::say(const std::string& message) { ask(message, QuestionButtons::ok, Answer::ok); }

Answer CShowDoc::ask(const std::string& message, QuestionButtons buttons, Answer default_answer) {
    // Without anyone to ask, the default button answers.
    if (!ask_) return default_answer;
    return ask_(Question{message, caption, buttons, default_answer});
}

bool CShowDoc::OnOpenDocument(const std::string& path) {
    // Once only, and never while a close waits (the wait loop dispatches
    // the window's events, an open among them).
    if (opened_ || closing_) return false;
    opened_ = true;
    return open(path);
}

bool CShowDoc::open(const std::string& path) {
    const std::optional<PathParts> parts = split(path);
    if (parts && !change_to_folder(parts->folder)) return false;
    if (!parts || parts->file_name.empty()) {
        say("Incorrect file name!");
        return false;
    }
    try {
        if (!prepare_engine(parts->file_name)) return false;
        if (!read_display_settings()) return false;
        read_shapes();
        if (!choose_calculation()) return false;
    } catch (const char* text) {
        CLog::Print(__FILE__, __LINE__, CLog::c_sErrorPrefix, "exception: %s", text);
        say("Error loading configuration!");
        return false;
    } catch (const std::string& text) {
        CLog::Print(__FILE__, __LINE__, CLog::c_sErrorPrefix, "exception: %s", text.c_str());
        say("Error loading configuration!");
        return false;
    } catch (const std::bad_alloc&) {
        LOG_ERROR("not enough memory");
        say("Not enough memory!");
        return false;
    } catch (const std::exception& e) {
        // Its own text is kept: it is all there is to tell what happened.
        LOG_ERROR("exception: %s", e.what());
        say("Exception encountered!");
        return false;
    } catch (...) {
        LOG_ERROR("exception: exception");
        say("Exception encountered!");
        return false;
    }
    loaded_ = true;
    return true;
}

bool CShowDoc::change_to_folder(const std::string& folder) {
    folder_ = folder;
    std::error_code error;
    fs::current_path(folder, error);
    if (!error) return true;
    say("Unable to change directory!");
    return false;
}

bool CShowDoc::prepare_engine(const std::string& file_name) {
    engine_ = std::make_unique<PDcalc>();
    // Its files stay beside the configuration while other documents change
    // the working directory.
    engine_->anchor_folders = true;
    set_display_hooks(*engine_);
    if (open_hook != nullptr) open_hook(*engine_, showdoc_detail::OpenStage::prepare);
    if (engine_->prepare(file_name)) return true;
    say("Unable to load configuration!");
    return false;
}

bool CShowDoc::read_display_settings() {
    Section& root = *engine_->config;
    const std::optional<std::string> trajectory = engine_->trajectory_path();
    if (!trajectory) {
        say("Visualization is not configured for this configuration!");
        return false;
    }
    trajectory_path_ = *trajectory;
    frame_size_ = static_cast<std::int64_t>(engine_->prots_n) * 101 + 8;

    SceneBox& box = scene_.box;
    root.GetDouble(box.xmin, "Visualisation.Scene.xmin");
    root.GetDouble(box.xmax, "Visualisation.Scene.xmax");
    root.GetDouble(box.ymin, "Visualisation.Scene.ymin");
    root.GetDouble(box.ymax, "Visualisation.Scene.ymax");
    root.GetDouble(box.zmin, "Visualisation.Scene.zmin");
    root.GetDouble(box.zmax, "Visualisation.Scene.zmax");

    int types = root.GetSecNum("Visualisation.types");
    if (types < 0) {
        LOG_WARNING("the configuration has no section Visualisation.types: the species have no shapes to show");
        types = 0;
    }
    type_names_.assign(static_cast<std::size_t>(types), std::string());

    const std::vector<PROT_CLASS>& species = engine_->model.species;
    objects_.assign(species.size(), C3DObjectMovable{});
    for (std::size_t s = 0; s < species.size(); ++s) {
        C3DObject& object = objects_[s];
        object.shapes.assign(type_names_.size(), Mesh{});
        if (species[s].section == nullptr) continue;
        species[s].section->GetDouble(object.pot_m, "pot_m");
        read_colours(object, *species[s].section);
    }
    return true;
}

// "color" first when given, then each entry of "colors"; one buffer for all,
// so an entry with fewer than four numbers keeps the rest from the entry
// before.
void CShowDoc::read_colours(C3DObject& object, Section& section) {
    Rgba colour;
    if (section.GetDoubles(colour.c, 4, "color") != 0) object.colors.push_back(colour);
    const int entries = section.GetSecNum("colors");
    for (int i = 0; i < entries; ++i) {
        const Section* entry = section.GetSection("colors", i);
        if (entry != nullptr && entry->GetDoubles(colour.c, 4, "") != 0) object.colors.push_back(colour);
    }
}

void CShowDoc::read_shapes() {
    if (open_hook != nullptr) open_hook(*engine_, showdoc_detail::OpenStage::shapes);
    Section& root = *engine_->config;
    std::vector<PROT_CLASS>& species = engine_->model.species;
    for (std::size_t t = 0; t < type_names_.size(); ++t) {
        const Section* type = root.GetSection("Visualisation.types", static_cast<int>(t));
        const char* name = type != nullptr ? type->GetName("", -1) : nullptr;
        type_names_[t] = name != nullptr ? name : "";
        for (std::size_t s = 0; s < species.size(); ++s) {
            LOG_MESSAGE("Generating %s shapes for %s visualization...", species[s].name.c_str(),
                        type_names_[t].c_str());
            if (species[s].section == nullptr || type_names_[t].empty()) continue;
            const char* file = species[s].section->GetString(type_names_[t].c_str());
            if (file == nullptr) continue;
            objects_[s].shapes[t] = read_shape_file(engine_->vis_folder + file);
        }
    }

    scene_.instances = static_cast<std::size_t>(engine_->prots_n);
    scene_.species.clear();
    for (std::size_t s = 0; s < species.size(); ++s) {
        SpeciesLook look{&objects_[s], std::nullopt};
        const PROT_CLASS& grid = species[s];
        const auto cells = static_cast<std::size_t>(grid.pot_n) * grid.pot_n * grid.pot_n;
        if (grid.pot_n > 0 && grid.pot.size() == cells)
            look.potential = PotentialGridView{grid.pot_n, engine_->h * 1e10, grid.pot};
        scene_.species.push_back(look);
    }
}

bool CShowDoc::choose_calculation() {
    frames_ = std::make_unique<DocumentFrames>(trajectory_path_, static_cast<std::size_t>(engine_->prots_n));
    if (file_exists_for_reading(trajectory_path_)) {
        const Answer answer = ask("Already calculated trajectory found!\r\n\r\nDo you wish to start new calculation?",
                                  QuestionButtons::yes_no_cancel, Answer::no);
        if (answer == Answer::cancel) return false;
        if (answer == Answer::yes) start_calculation();
        return true;
    }
    const Answer answer = ask("No trajectory found!\r\n\r\nStart calculation?", QuestionButtons::yes_no, Answer::yes);
    if (answer != Answer::yes) return false;
    start_calculation();
    return true;
}

void CShowDoc::start_calculation() {
    delayed_ctrl_c_processing = true;
    engine_->experiment_count = 1;
    // The old file's frames are not shown once the calculation is started.
    frames_->follow(engine_->trajectory_generation);
    calc_thread_ = std::make_unique<engine_host::CalculationThread>(*engine_);
}

void CShowDoc::OnCloseDocument() {
    // A close that comes while one waits (dispatched by the wait loop)
    // leaves the waiting one to finish.
    if (closing_ || !calc_thread_) return;
    closing_ = true;
    calc_thread_->request_stop();
    engine_host::CalculationThread& thread = *calc_thread_;
    wait_([&thread] { return thread.finished(); });
    calc_thread_.reset();
    closing_ = false;
}

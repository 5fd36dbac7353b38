// The trajectory file of an experiment: written anew by a fresh experiment,
// continued by a restored one.
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/output/TrajectoryFormat.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"
#include "utils/platform/FileReplace.h"

namespace {

// The length of the frames of `file` that come before `step`: the place
// where a run restored at `step` goes on. Frames are read from the start
// until one of `step` or later, a short one or the end of the file.
long long frames_before(std::FILE* file, std::uint64_t frame_size, std::int64_t step) {
    long long kept = 0;
    unsigned char bytes[trajectory::step_bytes];
    while (::fseeko(file, static_cast<off_t>(kept), SEEK_SET) == 0 &&
           std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes) {
        if (trajectory::decode_step(bytes) >= step) break;
        // A frame cut short by the end of the file is not kept.
        if (::fseeko(file, static_cast<off_t>(kept + static_cast<long long>(frame_size) - 1), SEEK_SET) != 0 ||
            std::fgetc(file) == EOF)
            break;
        kept += static_cast<long long>(frame_size);
    }
    return kept;
}

}  // namespace

std::optional<std::string> PDcalc::trajectory_path() const {
    const char* value = config ? config->GetString("Files.trajectory") : nullptr;
    if (value == nullptr) return std::nullopt;
    return vis_folder + value;
}

void PDcalc::open_trajectory(bool restored) {
    trajectory_file.reset();
    const std::optional<std::string> named = trajectory_path();
    if (!named) return;
    const std::string& path = *named;
    const auto frame_size = trajectory::frame_size(static_cast<std::uint64_t>(prots_n));

    std::error_code ignored;
    const bool continued = restored && std::filesystem::exists(path, ignored);
    // Every experiment writes the trajectory anew, whatever the no-overwrite
    // switch: it holds the last experiment run. A continued one is reported
    // below, not as an overwrite.
    trajectory_file = fopen_share(path, continued ? "rb+" : "wb+", false, !continued);
    if (!trajectory_file) {
        LOG_ERROR("failed to open output file %s", path.c_str());
        return;
    }
    if (continued) {
        // The frames from the restored step on are written again.
        const long long kept = frames_before(trajectory_file.get(), frame_size, step);
        if (!platform::truncate_file(trajectory_file.get(), static_cast<unsigned long long>(kept)) ||
            ::fseeko(trajectory_file.get(), 0, SEEK_END) != 0) {
            LOG_ERROR("failed to continue trajectory %s", path.c_str());
            trajectory_file.reset();
            return;
        }
        LOG_MESSAGE("continuing trajectory %s after %lld frames", path.c_str(),
                    kept / static_cast<long long>(frame_size));
    }
    LOG_MESSAGE("writing trajectory to %s", path.c_str());
    LOG_MESSAGE("trajectory frame size is %llu bytes", static_cast<unsigned long long>(frame_size));
    LOG_MESSAGE("trajectory save interval is %lld steps", static_cast<long long>(trajectory_save_interval));
    trajectory_generation.fetch_add(1);
}

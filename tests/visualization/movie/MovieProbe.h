#pragma once
// What ffprobe and ffmpeg read back from a movie file.
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/Subprocess.h"

namespace movie_testing {

// key=value lines of ffprobe's plain output for the entries asked.
inline std::map<std::string, std::string> probe_fields(const std::string& movie, const std::string& streams,
                                                       const std::string& entries, bool count_frames = false) {
    std::vector<std::string> args{ZELMAR_FFPROBE, "-v", "error", "-select_streams", streams};
    if (count_frames) args.push_back("-count_frames");
    args.insert(args.end(), {"-show_entries", entries, "-of", "default=noprint_wrappers=1", movie});
    const testing_support::ProgramRun run = testing_support::run_program(args);
    std::map<std::string, std::string> fields;
    if (run.status != 0) {
        fields["error"] = run.err;
        return fields;
    }
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            fields[line.substr(0, equals)] = line.substr(equals + 1);
    return fields;
}

// The first video stream: codec, size, frame rate and the frames decoded.
inline std::map<std::string, std::string> probe_video(const std::string& movie) {
    return probe_fields(movie, "v:0", "stream=codec_name,width,height,r_frame_rate,avg_frame_rate,nb_read_frames",
                        true);
}

// The flags of every packet of the first video stream ("K" marks a key frame).
inline std::vector<std::string> video_packet_flags(const std::string& movie) {
    const testing_support::ProgramRun run =
        testing_support::run_program({ZELMAR_FFPROBE, "-v", "error", "-select_streams", "v:0", "-show_entries",
                                      "packet=flags", "-of", "csv=p=0", movie});
    std::vector<std::string> flags;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) flags.push_back(line);
    return flags;
}

// Frame `index` of the movie decoded by ffmpeg as rows top-down of red,
// green and blue bytes; empty when ffmpeg fails.
inline std::vector<std::uint8_t> decoded_frame_rgb(const std::string& movie, int index = 0) {
    const testing_support::ProgramRun run = testing_support::run_program(
        {ZELMAR_FFMPEG, "-v", "error", "-i", movie, "-vf", "select=eq(n\\," + std::to_string(index) + ")", "-frames:v",
         "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (run.status != 0) return {};
    return {run.out.begin(), run.out.end()};
}

// The first audio stream decoded by ffmpeg to its own sample format, as bytes.
inline std::string decoded_audio(const std::string& movie, const std::string& sample_format) {
    const testing_support::ProgramRun run = testing_support::run_program(
        {ZELMAR_FFMPEG, "-v", "error", "-i", movie, "-map", "0:a:0", "-f", sample_format, "-"});
    return run.status == 0 ? run.out : std::string("ffmpeg failed: " + run.err);
}

}  // namespace movie_testing

#pragma once
// The trajectories being written in this process, one writer each.
//
// Two calculations of one process (two documents of the viewer opened on
// the same configuration, or on two configurations naming one file) would
// truncate each other's trajectory and interleave their frames. A
// calculation therefore claims its file first; the claim names the file by
// its real path (symbolic links, "." and ".." resolved, as far as the path
// exists), so two spellings of one file meet.
#include <optional>
#include <string>

namespace trajectory {

class WriterClaim {
public:
    // The claim on `path`; none while another claim holds the same file.
    static std::optional<WriterClaim> take(const std::string& path);

    WriterClaim(WriterClaim&& other) noexcept;
    WriterClaim& operator=(WriterClaim&& other) noexcept;
    WriterClaim(const WriterClaim&) = delete;
    WriterClaim& operator=(const WriterClaim&) = delete;
    // Frees the file for another writer.
    ~WriterClaim();

    const std::string& real_path() const { return real_path_; }

private:
    explicit WriterClaim(std::string real_path) : real_path_(std::move(real_path)) {}
    void release();

    std::string real_path_;  // empty once moved from
};

}  // namespace trajectory

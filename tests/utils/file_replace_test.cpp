// Replacing a file in one step: the old file or the whole new one, never a part.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "utils/platform/FileReplace.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace fs = std::filesystem;

namespace {

mode_t permissions(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::vector<std::string> files_in(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The file-creation mask for as long as it lives.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;
    ~Umask() { ::umask(previous_); }

private:
    mode_t previous_;
};

TEST(ReplaceFile, AnExistingFileKeepsItsPermissions) {
    TempDir dir;
    const std::string path = dir.file("a.cfg");
    write_file(path, "old");
    ::chmod(path.c_str(), 0640);
    const platform::ReplaceResult result = platform::replace_file(path, "new text");
    EXPECT_EQ(result.status, platform::ReplaceStatus::replaced);
    EXPECT_EQ(read_file(path), "new text");
    EXPECT_EQ(permissions(path), 0640u);
    EXPECT_EQ(files_in(dir), std::vector<std::string>({"a.cfg"}));
}

TEST(ReplaceFile, ANewFileFollowsTheCreationMask) {
    TempDir dir;
    const Umask mask(027);
    const std::string path = dir.file("new.cfg");
    EXPECT_EQ(platform::replace_file(path, "").status, platform::ReplaceStatus::replaced);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(permissions(path), 0640u);
}

TEST(ReplaceFile, ALinkStaysALinkToTheNewFile) {
    TempDir dir;
    fs::create_directory(dir.path() / "real");
    write_file(dir.file("real/a.cfg"), "old");
    fs::create_symlink(dir.path() / "real" / "a.cfg", dir.path() / "link.cfg");
    EXPECT_EQ(platform::replace_file(dir.file("link.cfg"), "new").status, platform::ReplaceStatus::replaced);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.cfg"));
    EXPECT_EQ(read_file(dir.file("real/a.cfg")), "new");
    EXPECT_EQ(files_in(dir), std::vector<std::string>({"link.cfg", "real"}));
}

TEST(ReplaceFile, FailuresLeaveNothingBehind) {
    TempDir dir;
    const platform::ReplaceResult missing = platform::replace_file(dir.file("no/such/a.cfg"), "x");
    EXPECT_EQ(missing.status, platform::ReplaceStatus::cannot_create);
    EXPECT_EQ(missing.error, ENOENT);
    fs::create_directory(dir.path() / "folder");
    write_file(dir.file("folder/inside"), "kept");
    const platform::ReplaceResult onto_folder = platform::replace_file(dir.file("folder"), "x");
    EXPECT_EQ(onto_folder.status, platform::ReplaceStatus::failed);
    EXPECT_EQ(onto_folder.error, EISDIR);
    EXPECT_EQ(read_file(dir.file("folder/inside")), "kept");
    EXPECT_EQ(files_in(dir), std::vector<std::string>({"folder"}));
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "utils/par/Par.h"
#include "utils/platform/LargePages.h"
#include "utils/platform/Paths.h"
#include "utils/platform/Signals.h"

using testing_support::CurrentDirGuard;
using testing_support::TempDir;
using testing_support::write_file;

namespace fs = std::filesystem;

TEST(PlatformPaths, RealPathResolvesLinksAndDotsOfExistingPathsOnly) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    fs::create_directory(dir.path() / "cfg");
    write_file(dir.file("cfg/a.cfg"), "");
    fs::create_directory_symlink(dir.path() / "cfg", dir.path() / "link");
    EXPECT_EQ(platform::real_path(dir.file("link/../cfg/./a.cfg")), root + "/cfg/a.cfg");
    EXPECT_EQ(platform::real_path(dir.file("link/a.cfg")), root + "/cfg/a.cfg");
    EXPECT_EQ(platform::real_path(dir.file("cfg/missing.cfg")), std::nullopt);
    // A path that does not exist resolves as far as it goes.
    EXPECT_EQ(platform::resolved_as_far_as_possible(dir.file("link/missing")), root + "/cfg/missing");
    EXPECT_EQ(platform::resolved_as_far_as_possible(dir.file("no/such/../file")), root + "/no/file");
    CurrentDirGuard guard;
    fs::current_path(dir.path());
    EXPECT_EQ(platform::resolved_as_far_as_possible("x.cfg"), root + "/x.cfg");
}

TEST(PlatformPaths, FolderPartCutsAtTheLastSlash) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {{"/a/b/c.cfg", "/a/b"}, {"/c.cfg", "/"}, {"c.cfg", ""}, {"a/b/", "a/b"}};
    for (const Case& c : cases) EXPECT_EQ(platform::folder_part(c.path), c.folder) << c.path;
}

TEST(PlatformPaths, ChangeDirectoryReturnsTheCallsResult) {
    CurrentDirGuard guard;
    TempDir dir;
    EXPECT_EQ(platform::change_directory(dir.path().string()), 0);
    EXPECT_EQ(platform::current_directory(), fs::canonical(dir.path()).string());
    EXPECT_EQ(platform::change_directory(dir.file("missing")), -1);
}

namespace {
volatile std::sig_atomic_t signals_seen = 0;
void count_signal(int) { signals_seen = signals_seen + 1; }
}  // namespace

TEST(PlatformSignals, HandlerStaysInstalledForInterruptAndTerminate) {
    struct sigaction saved_int {}, saved_term {};
    sigaction(SIGINT, nullptr, &saved_int);
    sigaction(SIGTERM, nullptr, &saved_term);
    ASSERT_TRUE(platform::install_interrupt_handlers(count_signal));
    std::raise(SIGINT);
    std::raise(SIGINT);
    std::raise(SIGTERM);
    sigaction(SIGINT, &saved_int, nullptr);
    sigaction(SIGTERM, &saved_term, nullptr);
    EXPECT_EQ(signals_seen, 3);
}

TEST(ParStandIn, JobOfOneProcess) {
    if (par::available) GTEST_SKIP() << "MPI jobs are shown by the mpiexec tests";
    int argc = 0;
    char** argv = nullptr;
    EXPECT_EQ(par::init(&argc, &argv), 0);
    EXPECT_TRUE(par::initialized());
    std::int32_t rank = -1, size = -1;
    EXPECT_EQ(par::rank(rank), 0);
    EXPECT_EQ(par::size(size), 0);
    EXPECT_EQ(rank, 0);
    EXPECT_EQ(size, 1);
    EXPECT_EQ(par::barrier(), 0);
    EXPECT_EQ(par::finalize(), 0);
    EXPECT_FALSE(par::initialized());
}

// Blocks of at least 2 MiB are mapped on their own, aligned to 2 MiB, and
// hold every element written to them to the last; smaller ones, and every
// size between, work the same through a vector's growth and copies.
TEST(PlatformLargePages, VectorsOfAnySizeHoldTheirElements) {
    using Large = std::vector<double, platform::LargePageAllocator<double>>;
    const std::size_t large = platform::large_page_bytes / sizeof(double);
    for (const std::size_t n : {std::size_t{0}, std::size_t{5}, large - 1, large, 3 * large + 7}) {
        SCOPED_TRACE(n);
        Large v(n, 0.0);
        if (n >= large) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(v.data()) % platform::large_page_bytes, 0u);
        }
        for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<double>(k);
        const Large copy = v;
        v.push_back(-1.0);  // grows into a new block
        ASSERT_EQ(v.size(), n + 1);
        for (std::size_t k = 0; k < n; ++k) ASSERT_EQ(v[k], static_cast<double>(k));
        EXPECT_EQ(v.back(), -1.0);
        EXPECT_TRUE(std::equal(copy.begin(), copy.end(), v.begin()));
    }
}

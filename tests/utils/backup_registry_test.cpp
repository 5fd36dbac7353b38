// Restart registries of several engines in one process: each thread's calls
// reach its current registry, and saves of two registries that meet on one
// file name both arrive whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "utils/backup/backup.h"

using testing_support::TempDir;

namespace {

// 14 March 2024, 09:05 UTC: every save in one minute.
std::time_t fixed_clock() { return 1710407100; }

std::vector<std::string> backup_files(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    return names;
}

class BackupRegistries : public testing::Test {
protected:
    void SetUp() override { backup::reset(); }
    void TearDown() override {
        backup::reset();
        backup_detail::set_clock(nullptr);
    }
};

}  // namespace

TEST_F(BackupRegistries, ScopesNestAndTheProcessRegistryServesTheRest) {
    std::int64_t a = 1, b = 2, c = 3;
    backup::add(&c, sizeof c, __FILE__, __LINE__);  // the process's own
    backup::registry first, second;
    {
        const backup::scope outer(first);
        backup::init("first/");
        backup::add(&a, sizeof a, __FILE__, __LINE__);
        {
            const backup::scope inner(second);
            backup::init("second/");
            backup::add(&a, sizeof a, __FILE__, __LINE__);
            backup::add(&b, sizeof b, __FILE__, __LINE__);
            backup::init_complete();
        }
        EXPECT_EQ(&backup::current(), &first);
        backup::add(&b, 4, __FILE__, __LINE__);  // the first is still open
    }
    EXPECT_EQ(first.signature(), 12u);
    EXPECT_EQ(second.signature(), 16u);
    EXPECT_EQ(backup::signature(), 8u);
}

TEST_F(BackupRegistries, ARegistryMadeCurrentServesUntilItGoes) {
    std::int32_t value = 0;
    {
        backup::registry hand_built;
        backup::make_current(hand_built);
        backup::add(&value, sizeof value, __FILE__, __LINE__);
        EXPECT_EQ(hand_built.signature(), 4u);
        {
            // A scope ends with the registry made current still in place.
            backup::registry other;
            const backup::scope scoped(other);
            EXPECT_EQ(&backup::current(), &other);
        }
        EXPECT_EQ(&backup::current(), &hand_built);
    }
    EXPECT_EQ(backup::signature(), 0u);
    backup::add(&value, sizeof value, __FILE__, __LINE__);
    EXPECT_EQ(backup::signature(), 4u);
}

TEST_F(BackupRegistries, EachThreadReachesItsOwnRegistry) {
    backup::registry registries[2];
    std::vector<std::int64_t> blocks[2] = {std::vector<std::int64_t>(3), std::vector<std::int64_t>(5)};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            const backup::scope mine(registries[t]);
            for (int round = 0; round < 1000; ++round) {
                backup::init("");
                for (std::int64_t& block : blocks[t]) backup::add(&block, sizeof block, __FILE__, __LINE__);
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(registries[0].signature(), 3 * 8u);
    EXPECT_EQ(registries[1].signature(), 5 * 8u);
    EXPECT_EQ(backup::signature(), 0u);
}

// Two engines of one process saving at the same step in the same minute into
// one folder meet on one name (and once on one temporary file); both files
// arrive whole, side by side, and each restores its own state.
TEST_F(BackupRegistries, SavesThatMeetOnOneNameBothArriveWhole) {
    TempDir dir;
    const std::string prefix = dir.path().string() + "/";
    backup_detail::set_clock(fixed_clock);
    constexpr int rounds = 20;
    struct Engine {
        backup::registry registry;
        std::vector<std::int64_t> state = std::vector<std::int64_t>(4096);
    } engines[2];

    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            Engine& engine = engines[t];
            const backup::scope mine(engine.registry);
            backup::init(prefix.c_str());
            backup::add(engine.state.data(), engine.state.size() * sizeof(std::int64_t), __FILE__, __LINE__);
            backup::init_complete();
            std::fill(engine.state.begin(), engine.state.end(), t + 1);
            for (int round = 0; round < rounds; ++round) EXPECT_TRUE(backup::write(true, 7));
            EXPECT_TRUE(backup::write(false, 7));  // the final save stays
        });
    for (std::thread& thread : threads) thread.join();

    const std::vector<std::string> files = backup_files(dir.path());
    ASSERT_EQ(files.size(), 2u);
    std::vector<std::int64_t> restored_values;
    for (const std::string& file : files) {
        Engine reader;
        const backup::scope mine(reader.registry);
        backup::add(reader.state.data(), reader.state.size() * sizeof(std::int64_t), __FILE__, __LINE__);
        backup::read(file.c_str());
        EXPECT_TRUE(std::all_of(reader.state.begin(), reader.state.end(),
                                [&](std::int64_t v) { return v == reader.state.front(); }))
            << file;
        restored_values.push_back(reader.state.front());
    }
    std::sort(restored_values.begin(), restored_values.end());
    EXPECT_EQ(restored_values, (std::vector<std::int64_t>{1, 2}));
}

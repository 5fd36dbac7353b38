#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/Format.h"
#include "utils/backup/backup.h"

using testing_support::logged_text;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// The state of a small simulation, registered as the engine registers its
// owners: a few blocks of different sizes, one of them empty.
struct State {
    std::int32_t reserved = 0;
    double values[3] = {};
    std::vector<std::int32_t> partners;
    std::int64_t step = 0;

    explicit State(std::size_t partner_count = 4) : partners(partner_count) {}

    void register_blocks() {
        backup::add(&reserved, sizeof reserved, __FILE__, __LINE__);
        backup::add(values, sizeof values, __FILE__, __LINE__);
        backup::add(nullptr, 0, __FILE__, __LINE__);  // an instance array of no instances
        backup::add(partners.data(), partners.size() * sizeof(std::int32_t), __FILE__, __LINE__);
        backup::add(&step, sizeof step, __FILE__, __LINE__);
    }
    void fill(int seed) {
        reserved = seed;
        for (int i = 0; i < 3; ++i) values[i] = seed + 0.25 * i;
        for (std::size_t i = 0; i < partners.size(); ++i) partners[i] = seed * 10 + static_cast<int>(i);
        step = 1000 * seed;
    }
    bool operator==(const State& other) const {
        return reserved == other.reserved && std::equal(values, values + 3, other.values) &&
               partners == other.partners && step == other.step;
    }
};

std::vector<std::string> files_in(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string only_file(const TempDir& dir) {
    const auto names = files_in(dir.path());
    EXPECT_EQ(names.size(), 1u);
    return names.empty() ? std::string() : dir.file(names.front());
}

std::string thrown_text(const char* name) {
    try {
        backup::read(name);
    } catch (const char* text) {
        return text;
    } catch (const std::string& text) {
        return text;
    }
    return "(nothing thrown)";
}

// The checksum record that ends a file of `content`: "ZSUM" and the CRC-32
// of the content, little-endian.
std::string checksum_of(const std::string& content) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : content) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    std::string record = "ZSUM";
    for (int k = 0; k < 4; ++k) record += static_cast<char>((crc >> (8 * k)) & 0xFF);
    return record;
}

// 14 March 2024, 09:05 UTC.
std::time_t fixed_clock() { return 1710407100; }

class Backup : public testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        backup::init(prefix().c_str());
    }
    void TearDown() override {
        backup::reset();
        backup_detail::set_clock(nullptr);
        backup_detail::set_writer(nullptr);
    }
    std::string prefix() const { return dir.path().string() + "/"; }

    TempDir dir;
};

}  // namespace

TEST_F(Backup, FileIsSignatureThenBlocksInRegistrationOrder) {
    backup_detail::set_clock(fixed_clock);
    State state;
    state.register_blocks();
    state.fill(3);
    ASSERT_TRUE(backup::write(false, 42));

    const std::string name = only_file(dir);
    EXPECT_EQ(name, prefix() + format("14_03_2024__09_05_(%lu)_(42).backup", static_cast<unsigned long>(getpid())));
    const std::uint64_t size = 4 + 24 + 0 + 16 + 8;
    EXPECT_EQ(backup::signature(), size);
    std::string expected(reinterpret_cast<const char*>(&size), 8);
    expected.append(reinterpret_cast<const char*>(&state.reserved), 4);
    expected.append(reinterpret_cast<const char*>(state.values), 24);
    expected.append(reinterpret_cast<const char*>(state.partners.data()), 16);
    expected.append(reinterpret_cast<const char*>(&state.step), 8);
    EXPECT_EQ(read_file(name), expected + checksum_of(expected));
}

TEST_F(Backup, ReadRestoresEveryBlock) {
    State state;
    state.register_blocks();
    state.fill(5);
    ASSERT_TRUE(backup::write(false, 1));
    const State saved = state;
    state.fill(9);
    backup::read(only_file(dir).c_str());
    EXPECT_TRUE(state == saved);
}

TEST_F(Backup, BrokenFilesAreRefusedAndLeaveTheStateUntouched) {
    State state;
    state.register_blocks();
    state.fill(5);
    ASSERT_TRUE(backup::write(false, 1));
    const std::string good = read_file(only_file(dir));
    const std::string unchecked = good.substr(0, good.size() - 8);

    std::string longer_signature = unchecked;
    const std::uint64_t other = backup::signature() + 4;
    longer_signature.replace(0, 8, reinterpret_cast<const char*>(&other), 8);
    longer_signature += "abcd";

    struct Case {
        const char* what;
        std::string content;  // none: no file at all
        bool exists;
        const char* thrown;  // followed by the file's name
    };
    const Case cases[] = {
        {"missing file", "", false, "failed to open backup file"},
        {"empty file", "", true, "incomplete backup file"},
        {"short signature", good.substr(0, 5), true, "incomplete backup file"},
        {"truncated in the blocks", unchecked.substr(0, unchecked.size() - 1), true, "incomplete backup file"},
        {"truncated in the checksum", good.substr(0, good.size() - 1), true, "incomplete backup file"},
        {"one byte too many", good + "x", true, "incorrect backup signature"},
        {"written with other blocks", longer_signature + checksum_of(longer_signature), true,
         "incorrect backup signature"},
        {"checksum of other blocks", unchecked + checksum_of(unchecked + "x"), true, "damaged backup file"},
        {"a record that is no checksum", unchecked + "ZSUX" + good.substr(good.size() - 4), true,
         "damaged backup file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = dir.file("broken.backup");
        std::filesystem::remove(name);
        if (c.exists) write_file(name, c.content);
        state.fill(7);
        const State before = state;
        EXPECT_EQ(thrown_text(name.c_str()), std::string(c.thrown) + " " + name);
        EXPECT_TRUE(state == before);
    }
}

// One byte changed anywhere in a restart file, in its header, in any of its
// blocks or in its checksum, and the file is refused by name with the state
// untouched; the file as written restores as before.
TEST_F(Backup, AFileWithAnyByteChangedIsRefusedByName) {
    State state;
    state.register_blocks();
    state.fill(5);
    const State saved = state;
    ASSERT_TRUE(backup::write(false, 1));
    const std::string file = only_file(dir);
    const std::string good = read_file(file);

    struct Place {
        const char* what;
        std::size_t first, size;  // bytes of the file
        const char* thrown;
    };
    const Place places[] = {
        {"signature", 0, 8, "incorrect backup signature"},
        {"reserved", 8, 4, "damaged backup file"},
        {"values", 12, 24, "damaged backup file"},
        {"partners", 36, 16, "damaged backup file"},
        {"step", 52, 8, "damaged backup file"},
        {"checksum", 60, 8, "damaged backup file"},
    };
    ASSERT_EQ(good.size(), 68u);
    for (const Place& place : places) {
        for (std::size_t at = place.first; at < place.first + place.size; ++at) {
            SCOPED_TRACE(std::string(place.what) + " byte " + std::to_string(at));
            std::string damaged = good;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
            const std::string name = dir.file("damaged.backup");
            write_file(name, damaged);
            state.fill(7);
            const State before = state;
            EXPECT_EQ(thrown_text(name.c_str()), std::string(place.thrown) + " " + name);
            EXPECT_TRUE(state == before);
        }
    }
    state.fill(7);
    std::string log = logged_text([&] { backup::read(file.c_str()); });
    EXPECT_TRUE(state == saved);
    EXPECT_EQ(log, "");
}

// A file written before restart files had a checksum is restored as it
// always was, with a warning that it could not be checked.
TEST_F(Backup, AFileWithoutAChecksumIsRestoredWithAWarning) {
    State state;
    state.register_blocks();
    state.fill(5);
    const State saved = state;
    ASSERT_TRUE(backup::write(false, 1));
    const std::string good = read_file(only_file(dir));
    const std::string name = dir.file("older.backup");
    write_file(name, good.substr(0, good.size() - 8));
    state.fill(7);
    const std::string log = logged_text([&] { backup::read(name.c_str()); });
    EXPECT_TRUE(state == saved);
    EXPECT_EQ(log, "warning: backup file " + name + " has no checksum: it is restored unchecked\n");
}

TEST_F(Backup, AFileFromARunWithAnotherBlockCountIsRefused) {
    State writer(4);
    writer.register_blocks();
    ASSERT_TRUE(backup::write(false, 1));
    const std::string name = only_file(dir);

    backup::init(prefix().c_str());
    State reader(5);  // one more reaction partner
    reader.register_blocks();
    EXPECT_EQ(thrown_text(name.c_str()), "incorrect backup signature " + name);
}

TEST_F(Backup, RegistrationClosesAndInitStartsAfresh) {
    State state;
    state.register_blocks();
    backup::init_complete();
    std::int32_t late = 0;
    try {
        backup::add(&late, sizeof late, __FILE__, __LINE__);
        FAIL() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, "backup::add call out of order");
    }
    backup::init(prefix().c_str());
    EXPECT_EQ(backup::signature(), 0u);
    EXPECT_NO_THROW(backup::add(&late, sizeof late, __FILE__, __LINE__));
}

// A second engine object registers its own blocks; the blocks of the first,
// already freed, must never be written or read again.
TEST_F(Backup, ASecondInitForgetsTheBlocksOfTheFirst) {
    auto first = std::make_unique<State>(1000);
    first->register_blocks();
    first.reset();

    backup::init(prefix().c_str());
    State second;
    second.register_blocks();
    second.fill(2);
    ASSERT_TRUE(backup::write(false, 1));
    EXPECT_EQ(read_file(only_file(dir)).size(), 8 + 52u + 8);  // signature, blocks, checksum
    const State saved = second;
    second.fill(3);
    backup::read(only_file(dir).c_str());
    EXPECT_TRUE(second == saved);
}

TEST_F(Backup, OnlyTheRememberedFileIsReplaced) {
    struct Case {
        bool first_remember;
        bool second_remember;
        std::size_t files_left;
    };
    const Case cases[] = {{true, true, 1}, {true, false, 1}, {false, true, 2}, {false, false, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(format("%d then %d", c.first_remember, c.second_remember));
        TempDir folder;
        backup::init((folder.path().string() + "/").c_str());
        State state;
        state.register_blocks();
        ASSERT_TRUE(backup::write(c.first_remember, 1));
        ASSERT_TRUE(backup::write(c.second_remember, 2));
        const auto names = files_in(folder.path());
        ASSERT_EQ(names.size(), c.files_left);
        EXPECT_NE(names.back().find("_(2).backup"), std::string::npos);
    }
}

TEST_F(Backup, TheFirstWriteAfterARestoreDeletesTheRestoredFile) {
    State state;
    state.register_blocks();
    ASSERT_TRUE(backup::write(false, 1));
    const std::string restored = only_file(dir);
    backup::read(restored.c_str());
    ASSERT_TRUE(backup::write(true, 2));
    EXPECT_FALSE(std::filesystem::exists(restored));
    EXPECT_EQ(files_in(dir.path()).size(), 1u);
}

// Two saves in the same minute at the same step meet on one name (a process's
// two experiments ending alike): the second goes beside the first, and
// neither state is lost.
TEST_F(Backup, ASecondSaveOnATakenNameGoesBesideTheFirst) {
    backup_detail::set_clock(fixed_clock);
    State state;
    state.register_blocks();
    state.fill(1);
    ASSERT_TRUE(backup::write(false, 5));
    const std::string first = only_file(dir);
    const std::string content = read_file(first);
    state.fill(2);
    bool written = false;
    const std::string log = logged_text([&] { written = backup::write(false, 5); });
    EXPECT_TRUE(written);
    const std::string second = first.substr(0, first.size() - 7) + "_2.backup";
    EXPECT_EQ(log, "warning: file already exists: " + first + "; the state is written to " + second + "\n");
    EXPECT_EQ(read_file(first), content);
    ASSERT_TRUE(std::filesystem::exists(second));
    state.fill(0);
    backup::read(second.c_str());
    State expected;
    expected.fill(2);
    EXPECT_TRUE(state == expected);
    EXPECT_EQ(files_in(dir.path()).size(), 2u);
}

namespace {

int writes_before_failure = 0;
std::vector<std::string> names_while_writing;
std::string folder_while_writing;

// Accepts a number of writes, then reports a full disk.
std::size_t failing_writer(const void* data, std::size_t size, std::FILE* file) {
    for (const auto& entry : std::filesystem::directory_iterator(folder_while_writing))
        names_while_writing.push_back(entry.path().filename());
    if (writes_before_failure-- > 0) return std::fwrite(data, 1, size, file);
    errno = ENOSPC;
    return size / 2;
}

}  // namespace

TEST_F(Backup, AFailedWriteKeepsThePreviousFileAndIsReported) {
    for (const int good_writes : {0, 2}) {  // the signature fails, a block fails
        SCOPED_TRACE(good_writes);
        TempDir folder;
        backup::init((folder.path().string() + "/").c_str());
        backup_detail::set_clock(fixed_clock);
        State state;
        state.register_blocks();
        state.fill(1);
        ASSERT_TRUE(backup::write(true, 1));
        const std::string previous = only_file(folder);
        const std::string content = read_file(previous);

        state.fill(2);
        writes_before_failure = good_writes;
        names_while_writing.clear();
        folder_while_writing = folder.path();
        backup_detail::set_writer(failing_writer);
        bool written = true;
        const std::string log = logged_text([&] { written = backup::write(true, 2); });
        backup_detail::set_writer(nullptr);

        EXPECT_FALSE(written);
        const std::string failed = format("%s14_03_2024__09_05_(%lu)_(2).backup", (folder.path().string() + "/").c_str(),
                                          static_cast<unsigned long>(getpid()));
        EXPECT_EQ(log, "error: failed to write backup file " + failed +
                           " (No space left on device); the previous backup file is kept\n");
        EXPECT_EQ(files_in(folder.path()), std::vector<std::string>{std::filesystem::path(previous).filename()});
        EXPECT_EQ(read_file(previous), content);
        // While it is written the new file exists only under its temporary name.
        const auto is_temporary = [](const std::string& name) { return name.ends_with("_(2).backup.tmp"); };
        const auto is_final = [](const std::string& name) { return name.ends_with("_(2).backup"); };
        EXPECT_TRUE(std::any_of(names_while_writing.begin(), names_while_writing.end(), is_temporary));
        EXPECT_TRUE(std::none_of(names_while_writing.begin(), names_while_writing.end(), is_final));

        // The previous file is still the one to replace.
        ASSERT_TRUE(backup::write(true, 3));
        EXPECT_FALSE(std::filesystem::exists(previous));
    }
}

TEST_F(Backup, AFolderThatCannotBeWrittenKeepsThePreviousFile) {
    State state;
    state.register_blocks();
    ASSERT_TRUE(backup::write(true, 1));
    const std::string previous = only_file(dir);

    backup::init((prefix() + "missing/").c_str());
    state.register_blocks();
    backup::read(previous.c_str());  // the previous file is now the one to replace
    bool written = true;
    const std::string log = logged_text([&] { written = backup::write(true, 2); });
    EXPECT_FALSE(written);
    EXPECT_NE(log.find("error: failed to write backup file " + prefix() + "missing/"), std::string::npos) << log;
    EXPECT_TRUE(std::filesystem::exists(previous));
}

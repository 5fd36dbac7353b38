#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// Logs to the console only, without time stamps, and returns what was logged.
template <class Body>
std::string logged(Body body) {
    SLogParams params{};
    params.no_time = true;
    params.no_location = true;
    testing::internal::CaptureStderr();
    CLog::StartLogging(&params, nullptr);
    body();
    CLog::EndLogging();
    std::string text = testing::internal::GetCapturedStderr();
    if (const auto summary = text.find("\n\nRepeating"); summary != std::string::npos) text.resize(summary);
    return text;
}

// Another opener's exclusive lock, as a second program would hold it.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& name) : fd_(::open(name.c_str(), O_RDWR | O_CREAT, 0644)) {
        struct flock request {};
        request.l_type = F_WRLCK;
        request.l_whence = SEEK_SET;
        locked_ = fd_ >= 0 && fcntl(fd_, F_OFD_SETLK, &request) == 0;
    }
    ~ForeignLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

}  // namespace

TEST(FopenShare, NoticesForExistingFiles) {
    struct Case {
        const char* mode;
        bool no_overwrite;
        bool report;
        bool opens;
        const char* message;
    };
    const Case cases[] = {
        {"w+", true, true, false, "warning: file already exists: %s\n"},
        {"w+", true, false, false, ""},
        {"w+", false, true, true, "warning: overwriting file %s\n"},
        {"a+", false, true, true, "warning: overwriting file %s\n"},
        {"a+", false, false, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.no_overwrite ? " no_overwrite" : "") + (c.report ? " report" : ""));
        TempDir dir;
        const std::string name = dir.file("out.txt");
        write_file(name, "old");
        FilePtr file;
        const std::string text = logged([&] { file = fopen_share(name, c.mode, c.no_overwrite, c.report); });
        EXPECT_EQ(file != nullptr, c.opens);
        char expected[512];
        std::snprintf(expected, sizeof expected, c.message, name.c_str());
        EXPECT_EQ(text, expected);
        file.reset();
        if (!c.opens) {
            EXPECT_EQ(read_file(name), "old");
        }
    }
}

TEST(FopenShare, NewFileIsCreatedWithoutNotices) {
    TempDir dir;
    const std::string name = dir.file("new.txt");
    FilePtr file;
    EXPECT_EQ(logged([&] { file = fopen_share(name, "w+", true, true); }), "");
    ASSERT_NE(file, nullptr);
    std::fputs("hello", file.get());
    file.reset();
    EXPECT_EQ(read_file(name), "hello");
}

TEST(FopenShare, AppendModesKeepTheContent) {
    TempDir dir;
    const std::string name = dir.file("log.txt");
    write_file(name, "one\n");
    FilePtr file = fopen_share(name, "a+", false, false);
    ASSERT_NE(file, nullptr);
    std::fputs("two\n", file.get());
    file.reset();
    EXPECT_EQ(read_file(name), "one\ntwo\n");
}

TEST(FopenShare, TruncatingModesEmptyTheFileAfterLocking) {
    TempDir dir;
    const std::string name = dir.file("data.txt");
    write_file(name, "a long old content");
    FilePtr file = fopen_share(name, "wb+", false, false);
    ASSERT_NE(file, nullptr);
    std::fputs("new", file.get());
    file.reset();
    EXPECT_EQ(read_file(name), "new");
}

TEST(FopenShare, DevicesAreOpenedForWritingUnlocked) {
    // A device has no length to cut and no content to guard: "w" opens it
    // for writing, as fopen does, and two writers at once do not conflict.
    for (const char* mode : {"w", "wb", "a"}) {
        SCOPED_TRACE(mode);
        FilePtr file = fopen_share("/dev/null", mode, false, false);
        FilePtr second = fopen_share("/dev/null", mode, false, false);
        ASSERT_NE(file, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_GE(std::fputs("discarded", file.get()), 0);
        EXPECT_EQ(std::fflush(file.get()), 0);
    }
}

TEST(FopenShare, FileLockedByAnotherProgramIsRefusedAndUntouched) {
    for (const char* mode : {"w", "w+", "wb+", "a+"}) {
        SCOPED_TRACE(mode);
        TempDir dir;
        const std::string name = dir.file("locked.txt");
        write_file(name, "precious");
        ForeignLock lock(name);
        ASSERT_TRUE(lock.locked());
        FilePtr file;
        const std::string text = logged([&] { file = fopen_share(name, mode, false, false); });
        EXPECT_EQ(file, nullptr);
        EXPECT_EQ(text, "warning: could not lock " + name + "\n");
        EXPECT_EQ(read_file(name), "precious");
    }
}

TEST(FopenShare, TwoSharedOpenersDoNotConflict) {
    TempDir dir;
    const std::string name = dir.file("shared.txt");
    FilePtr first = fopen_share(name, "a+", false, false);
    FilePtr second = fopen_share(name, "a+", false, false);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
}

TEST(FopenShare, LockSurvivesClosingAnotherDescriptorOfTheFile) {
    TempDir dir;
    const std::string name = dir.file("held.txt");
    FilePtr held = fopen_share(name, "w+", false, false);
    ASSERT_NE(held, nullptr);
    // The existence check of a second open closes a descriptor of the same
    // file; the first opener's lock must still keep writers out.
    FilePtr again = fopen_share(name, "r", false, false);
    again.reset();
    int fd = ::open(name.c_str(), O_RDWR);
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    EXPECT_NE(fcntl(fd, F_OFD_SETLK, &request), 0);
    ::close(fd);
}

TEST(FopenShare, WriteOnlyModesAreLockedExclusively) {
    TempDir dir;
    const std::string name = dir.file("wo.txt");
    FilePtr writer = fopen_share(name, "w", false, false);
    ASSERT_NE(writer, nullptr);
    FilePtr reader;
    EXPECT_EQ(logged([&] { reader = fopen_share(name, "a+", false, false); }), "warning: could not lock " + name + "\n");
}

TEST(FopenShare, FilesystemWithoutLocksWarnsOnceAndGoesOn) {
    fopen_share_detail::set_lock_function([](int, platform::LockKind) { return platform::LockResult::unsupported; });
    TempDir dir;
    FilePtr a, b;
    const std::string text = logged([&] {
        a = fopen_share(dir.file("a.txt"), "w+", false, false);
        b = fopen_share(dir.file("b.txt"), "w+", false, false);
    });
    fopen_share_detail::set_lock_function(nullptr);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(text, "warning: file locks are not supported for " + dir.file("a.txt") +
                        "; output files are opened without locks\n");
}

TEST(FopenShare, UnopenableFileIsReported) {
    TempDir dir;
    const std::string name = dir.file("missing/folder/file.txt");
    FilePtr file;
    EXPECT_EQ(logged([&] { file = fopen_share(name, "w+", false, true); }), "warning: could not open " + name + "\n");
    EXPECT_EQ(file, nullptr);
}

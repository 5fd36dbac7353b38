#include <gtest/gtest.h>

#include "utils/MiscIo.h"

TEST(MiscIo, CommandLineOptionValues) {
    struct Case {
        const char* line;
        bool found;
        const char* value;
    };
    const Case cases[] = {
        {"prog -o \"a b\" c", true, "a b"},
        {"prog -o abc", true, "abc"},
        {"prog -x", false, ""},
        {"-o first", false, ""},
        {"prog -o \t'q\"", true, "q"},
        {"prog -o", true, ""},
        {"prog -o \xEF\xBB\xBFvalue rest", true, "value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string value;
        EXPECT_EQ(Io::GetCommandLineOption("-o", c.line, value), c.found);
        if (c.found) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(MiscIo, DirEndsWithOneBackslash) {
    EXPECT_EQ(Io::Dir("a"), "a\\");
    EXPECT_EQ(Io::Dir("a\\"), "a\\");
}

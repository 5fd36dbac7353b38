// Saving: the text the writer makes, round trips through the reader, what
// the format cannot hold, and how saving fails without harming a good file.
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <limits>

#include "ConfigTestSupport.h"

using namespace config_testing;
using testing_support::read_file;

namespace {

using Lines = std::vector<std::string>;

const std::string header = "# Config 1.3 written by Zelmar\n# " + std::string(57, '-') + "\n";

// The files in the folder, sorted.
Lines folder_files() {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Saving : public ConfigTest {};

TEST_F(Saving, WritesTheFileFormat) {
    write("base.cfg", "shared = 1\n");
    const auto config = read_text(
        "# head of t\n"
        "$import \"base\"\n"
        "# about A\n"
        "A = 5 # five\n"
        "{\n"
        "  x = 1.5\n"
        "  title = \"a b\" # the title\n"
        "  B { deep = [1, 2, 3] }\n"
        "}\n"
        "l = @A.x\n"
        "empty = []\n"
        "# about s\n"
        "# second line\n"
        "s = \"x\"\n");
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(config->SaveAs("out.cfg"));
    const std::string expected = header +
                                 "# head of t\n"
                                 "\n"
                                 "$import \"base\"\n"
                                 "\n"
                                 "# about A\n"
                                 "A = 5      # five\n"
                                 "{\n"
                                 "\tx = 1.5\n"
                                 "\ttitle = \"a b\" # the title\n"
                                 "\tB\n"
                                 "\t{\n"
                                 "\t\tdeep = [1,2,3]\n"
                                 "\t}\n"
                                 "}\n"
                                 "l = @A.x\n"
                                 "empty = []\n"
                                 "\n"
                                 "# about s\n"
                                 "# second line\n"
                                 "s = \"x\"\n";
    EXPECT_EQ(read_file("out.cfg"), expected);
    // Every save starts afresh: the same tree gives the same text.
    ASSERT_TRUE(config->SaveAs("again.cfg"));
    EXPECT_EQ(read_file("again.cfg"), expected);
}

// `depth` sections inside each other around one key.
std::string nested_sections(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "S {\n";
    text += "leaf = 1\n";
    for (int i = 0; i < depth; ++i) text += "}\n";
    return text;
}

struct RoundTrip {
    const char* title;
    std::string text;
};

TEST_F(Saving, ReadSaveReadGivesTheSameTree) {
    write("base.cfg", "# base\nBase { v = 7 w = \"in base\" }\n");
    write("more.cfg", "more = [1, 2]\n");
    ::setenv("ZELMAR_SAVE_TEXT", "from the environment", 1);
    const RoundTrip cases[] = {
        {"values of every kind",
         "n = 42\nneg = -3.5\narr = [1, -2.5, 3e10]\none = [7]\nempty = []\n"
         "s = \"a string # with /* what */ looks like syntax, 'quotes' and \\\\ and\ttabs\"\n"
         "blank = \"\"\nlink = @arr\n"},
        {"numbers of every form",
         "a = 1e6\nb = 1.5d2\nc = 1.5D2\nd = -0\ne = +3\nf = -.5\ng = 1.380662e-23\nh = 1234567890\n"
         "i = 0.1\nj = 5e-324\nk = 1.7976931348623157e308\nl = 2.2250738585072014e-308\nm = 123456789012345678\n"
         "o = [0.1, 0.2, 0.30000000000000004]\np = 1E-7\n"},
        {"sections with values, comments and line comments",
         "# on top\nA = 5 # five\n{\n  # inside\n  x = 1 # one\n  B { y = \"yy\" # why\n  }\n  z = @A.B.y\n}\n"
         "# plain section\nP # line of P\n{ q = [1,2] }\nlast = 1 #\n"},
        {"imports with the comment of the file",
         "# head line 1\n#\n# head line 3\n$import \"base\"\n$import \"more\"\n# first\nlocal = @Base.v\n"
         "arr = @more\n"},
        {"a comment before the second of two imports",
         "$import \"base\"\n# between\n$import \"more\"\nx = 1\n"},
        {"links to themselves, to ancestors and to later imports",
         "A { self = @A.self up = @A }\n$import \"base\"\nB { v = @Base.w }\n"},
        {"variables become their values",
         "VAR { Common { n = 2.5e1 s = \"text\" } }\nx = $VAR{n}\ny = $VAR{s}\nz = $VAR{ZELMAR_SAVE_TEXT}\n"
         "d = $VAR{ZELMAR_SAVE_UNSET, [1, 2]}\n"},
        {"line ends CR LF, a byte-order mark and block comments",
         "\xEF\xBB\xBF# c\r\nA {\r\n  x = 1 /* gone */ y = 2 # line\r\n}\r\n"},
        {"names and strings in code page 1251", "\xC0\xE1\xE2 = \"\xD2\xE5\xEA\xF1\xF2\"\nA\xEF\xA8 = @\xC0\xE1\xE2\n"},
        {"a comment before braces goes to the first node inside", "A # line\n# pending\n{\n x = 1\n}\n"},
        {"a file written before",
         header + "# mine\n\n$import \"base\"\n\nx = 1\n"},
        {"deep sections", nested_sections(150)},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.title);
        const auto original = read_text(c.text, "EC", {{'C', "Common"}});
        ASSERT_NE(original, nullptr);
        ASSERT_TRUE(original->SaveAs("out.cfg"));
        const auto again = read("out", ConfMode::read);
        ASSERT_NE(again, nullptr) << read_file("out.cfg");
        EXPECT_EQ(dump(as_root(*again)), dump(as_root(*original))) << read_file("out.cfg");
        EXPECT_TRUE(traces(Msgtype::error).empty());
        // Saving what was read back writes the same text again.
        ASSERT_TRUE(again->SaveAs("out2.cfg"));
        EXPECT_EQ(read_file("out2.cfg"), read_file("out.cfg"));
    }
    ::unsetenv("ZELMAR_SAVE_TEXT");
}

TEST_F(Saving, NumbersAreWrittenSoThatTheyReadBackExactly) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1.380662e-23, "1.380662e-23"},
        {1234567890, "1234567890"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e6, "1e+06"},
        {-0.0, "-0"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {1.0 / 3.0, "0.3333333333333333"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto config = read("new", ConfMode::no_read);
        ASSERT_TRUE(config->SetDouble(c.value, "x"));
        ASSERT_TRUE(config->SaveAs("out.cfg"));
        EXPECT_EQ(read_file("out.cfg"), header + "x = " + c.text + "\n");
        const auto again = read("out");
        ASSERT_NE(again, nullptr);
        double value = 0;
        ASSERT_TRUE(again->GetDouble(value, "x"));
        EXPECT_EQ(std::memcmp(&value, &c.value, sizeof value), 0);
    }
}

// A tree read from "t.cfg" and changed by `edit`, which SaveAs must refuse.
struct Refusal {
    const char* title;
    std::function<void(Config&)> edit;
    Lines errors;
};

TEST_F(Saving, RefusesWhatTheFormatCannotHold) {
    const double infinity = std::numeric_limits<double>::infinity();
    const std::string chain_202 = [] {
        std::string path = "a";
        for (int i = 1; i < 202; ++i) path += ".a";
        return path;
    }();
    const Refusal cases[] = {
        {"a string with a double quote", [](Config& c) { c.SetString("say \"hi\"", "A.s"); },
         {"cannot save out.cfg: section 'A.s': a string with a double quote or a line end cannot be written"}},
        {"a string with a line feed", [](Config& c) { c.SetString("two\nlines", "A.s"); },
         {"cannot save out.cfg: section 'A.s': a string with a double quote or a line end cannot be written"}},
        {"a string with a carriage return", [](Config& c) { c.SetString("cr\r", "A.s"); },
         {"cannot save out.cfg: section 'A.s': a string with a double quote or a line end cannot be written"}},
        {"a name with a space", [](Config& c) { c.SetName("x y", "A", 1); },
         {"cannot save out.cfg: section 'A.x y': the name cannot be written"}},
        {"a name that begins with a digit", [](Config& c) { c.SetName("1x", "A", 1); },
         {"cannot save out.cfg: section 'A.1x': the name cannot be written"}},
        {"a name with a dot", [](Config& c) { c.SetName("a.b", "A", -1); },
         {"cannot save out.cfg: section 'a.b': the name cannot be written"}},
        {"a name that begins with a byte the reader skips", [](Config& c) { c.SetName("\xEFx", "later", -1); },
         {"cannot save out.cfg: section '\xEFx': the name cannot be written"}},
        {"an infinite number", [infinity](Config& c) { c.SetDouble(-infinity, "A.x"); },
         {"cannot save out.cfg: section 'A.x': the number -inf cannot be written"}},
        {"not a number in an array",
         [](Config& c) {
             const double values[] = {1, std::nan("")};
             c.SetDoubles(values, 2, "A.x");
         },
         {"cannot save out.cfg: section 'A.x': the number nan cannot be written"}},
        {"a link to a later section", [](Config& c) { c.SetLink("later", "A.l"); },
         {"cannot save out.cfg: section 'A.l': the link target 'later' is no section written before it"}},
        {"a link to nowhere", [](Config& c) { c.SetLink("nowhere", "l"); },
         {"cannot save out.cfg: section 'l': the link target 'nowhere' is no section written before it"}},
        {"a link to a node that is not written",
         [](Config& c) {
             c.SetComment("nothing but a comment", "E", false);
             c.SetLink("E", "l");
         },
         {"cannot save out.cfg: section 'l': the link target 'E' is no section written before it"}},
        {"a link target with a space", [](Config& c) { c.SetLink("A s", "l"); },
         {"cannot save out.cfg: section 'l': the link target 'A s' cannot be written"}},
        {"a link target with a name that begins with a digit", [](Config& c) { c.SetLink("A.1", "l"); },
         {"cannot save out.cfg: section 'l': the link target 'A.1' cannot be written"}},
        {"an empty link target", [](Config& c) { c.SetLink("", "l"); },
         {"cannot save out.cfg: section 'l': the link target '' cannot be written"}},
        {"a comment with a carriage return", [](Config& c) { c.SetComment("one\rtwo", "A.x", false); },
         {"cannot save out.cfg: section 'A.x': a comment with a carriage return cannot be written"}},
        {"a line comment with a carriage return", [](Config& c) { c.SetComment("one\rtwo", "A.x", true); },
         {"cannot save out.cfg: section 'A.x': a comment with a carriage return cannot be written"}},
        {"a comment of the file with a carriage return", [](Config& c) { c.SetComment("one\rtwo", "", false); },
         {"cannot save out.cfg: the comment at the head of the file has a carriage return and cannot be written"}},
        {"sections nested deeper than the reader reads", [chain_202](Config& c) { c.SetDouble(1, chain_202.c_str()); },
         {"cannot save out.cfg: section '" + chain_202.substr(0, chain_202.size() - 2) +
          "': sections nested deeper than 200 cannot be read back"}},
        {"every problem, in file order",
         [](Config& c) {
             c.SetString("\"", "later");
             c.SetLink("later", "A.l");
             c.SetName("", "A", 0);  // refused: the tree keeps the name
             c.SetName("s s", "A", 0);
         },
         {"cannot save out.cfg: section 'A.s s': the name cannot be written",
          "cannot save out.cfg: section 'A.l': the link target 'later' is no section written before it",
          "cannot save out.cfg: section 'later': a string with a double quote or a line end cannot be written"}},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.title);
        write("out.cfg", "old = 1\n");
        const auto config = read_text("A { s = \"ok\" x = 1 }\nlater = 2\n");
        ASSERT_NE(config, nullptr);
        c.edit(*config);
        captured().clear();
        Parser::set_mode(0);  // reported whatever the verbosity
        EXPECT_FALSE(config->SaveAs("out.cfg"));
        Parser::set_mode(1);
        EXPECT_EQ(traces(Msgtype::error), c.errors);
        EXPECT_EQ(read_file("out.cfg"), "old = 1\n");
    }
    EXPECT_EQ(folder_files(), Lines({"out.cfg", "t.cfg"}));
}

TEST_F(Saving, TheDeepestTreeTheReaderReadsIsSaved) {
    std::string path = "a";
    for (int i = 1; i < 201; ++i) path += ".a";
    const auto config = read("new", ConfMode::no_read);
    ASSERT_TRUE(config->SetDouble(1, path.c_str()));
    ASSERT_TRUE(config->SaveAs("out.cfg"));
    const auto again = read("out");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(render(*again, path.c_str()), "n:1");
}

TEST_F(Saving, AnImportWhoseNameCannotBeWrittenIsRefused) {
    const auto config = read_text("x = 1\n");
    ASSERT_NE(config, nullptr);
    std::unique_ptr<Config> odd = read("we\"ird", ConfMode::no_read);
    ASSERT_TRUE(config->Import(odd));
    captured().clear();
    EXPECT_FALSE(config->SaveAs("out.cfg"));
    EXPECT_EQ(traces(Msgtype::error), Lines({"cannot save out.cfg: import 'we\"ird': the name cannot be written"}));
}

TEST_F(Saving, NodesWithoutValueOrChildrenAreSkippedAndReported) {
    const auto config = read_text("a = 1\nE { }\nP { Q { } }\nb = 2\n");
    ASSERT_NE(config, nullptr);
    captured().clear();
    ASSERT_TRUE(config->SaveAs("out.cfg"));
    EXPECT_EQ(traces(Msgtype::warning), Lines({
                                            "[E] - trying to save blank section without property. skipped\n",
                                            "[Q] - trying to save blank section without property. skipped\n",
                                        }));
    EXPECT_EQ(read_file("out.cfg"), header + "a = 1\nP\n{\n}\nb = 2\n");
}

TEST_F(Saving, SaveWritesTheFileOfTheTreeUnlessReadOnly) {
    std::filesystem::create_directory("conf");
    write("conf/t.cfg", "x = 1\n");
    Parser::set_root_dir("conf");
    const auto config = read("t", ConfMode::read);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->GetPath(), "conf/t.cfg");
    ASSERT_TRUE(config->SetDouble(2, "x"));
    ASSERT_TRUE(config->Save());
    EXPECT_EQ(read_file("conf/t.cfg"), header + "x = 2\n");

    const auto fixed = read("t", ConfMode::read_only);
    ASSERT_NE(fixed, nullptr);
    EXPECT_FALSE(fixed->Save());
    EXPECT_EQ(traces(Msgtype::error), Lines({"section: 't' is 'read-only'. cannot be saved."}));
    Parser::set_mode(0);
    captured().clear();
    EXPECT_FALSE(fixed->Save());
    EXPECT_TRUE(captured().empty());
    // Saving under another name does not change the file of the tree.
    EXPECT_TRUE(fixed->SaveAs("copy.cfg"));
    EXPECT_EQ(read_file("copy.cfg"), header + "x = 2\n");
}

TEST_F(Saving, AnEmptyTreeOfAFileNotReadIsSavedUnderItsName) {
    const auto config = read("fresh", ConfMode::no_read);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->GetModTime(), 0);
    ASSERT_TRUE(config->SetString("v", "A.b"));
    ASSERT_TRUE(config->Save());
    EXPECT_EQ(read_file("fresh.cfg"), header + "A\n{\n\tb = \"v\"\n}\n");
    struct stat info {};
    ASSERT_EQ(::stat("fresh.cfg", &info), 0);
    EXPECT_EQ(config->GetModTime(), static_cast<long>(info.st_mtime));
    EXPECT_GT(config->GetModTime(), 0);
}

TEST_F(Saving, FailuresToOpenOrWriteAreReportedAndLeaveTheFile) {
    write("t.cfg", "x = 1\n");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    Parser::set_mode(0);  // reported whatever the verbosity
    captured().clear();
    EXPECT_FALSE(config->SaveAs("no/such/folder/x.cfg"));
    std::filesystem::create_directory("d.cfg");
    EXPECT_FALSE(config->SaveAs("d.cfg"));
    EXPECT_EQ(traces(Msgtype::error), Lines({
                                          "cannot open file for save:no/such/folder/x.cfg ",
                                          "cannot write file for save:d.cfg (Is a directory), the file is left as it was",
                                      }));
    EXPECT_TRUE(std::filesystem::is_directory("d.cfg"));
    EXPECT_EQ(folder_files(), Lines({"d.cfg", "t.cfg"}));
}

// Files may not grow beyond `bytes` while it lives; a write past that fails
// with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previous_handler_);
    }

private:
    rlimit previous_{};
    void (*previous_handler_)(int) = nullptr;
};

TEST_F(Saving, AFailedWriteKeepsTheGoodFile) {
    const std::string good = "x = 1\nlong = \"" + std::string(100, 'g') + "\"\n";
    write("t.cfg", good);
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(config->SetString(std::string(5000, 'n').c_str(), "long"));
    captured().clear();
    {
        const FileSizeLimit limit(1000);
        EXPECT_FALSE(config->Save());
    }
    EXPECT_EQ(traces(Msgtype::error),
              Lines({"cannot write file for save:t.cfg (File too large), the file is left as it was"}));
    EXPECT_EQ(read_file("t.cfg"), good);
    EXPECT_EQ(folder_files(), Lines({"t.cfg"}));
    // Once there is room the same tree is saved.
    ASSERT_TRUE(config->Save());
    const auto again = read("t");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(std::strlen(again->GetString("long")), 5000u);
}

TEST_F(Saving, TheReaderSkipsTheHeaderOnlyAtTheStartOfAFile) {
    const std::string rule = "# " + std::string(57, '-');
    struct Case {
        const char* title;
        std::string text;
        Lines diagnostics;
        const char* comment;  // of x
    };
    const Case cases[] = {
        {"the header", header + "x = 1\ny = @nowhere\n", {"t.cfg(4), error: link to undefined section"}, ""},
        {"the header with CR LF line ends", "# Config 1.2 by hand\r\n" + rule + "\r\n# own\r\nx = 1\r\ny = @nowhere\r\n",
         {"t.cfg(9), error: link to undefined section"}, " own\n"},
        {"a rule line of another length", "# Config 1.3\n# ----\nx = 1\n", {}, " Config 1.3\n ----\n"},
        {"the header not at the start", "\n" + header + "x = 1\n", {},
         " Config 1.3 written by Zelmar\n ---------------------------------------------------------\n"},
        {"a header line that ends the file", "# Config 1.3\n" + rule, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const auto config = read_text(c.text);
        EXPECT_EQ(diagnostics(), c.diagnostics);
        if (c.comment == nullptr || config == nullptr) continue;
        EXPECT_STREQ(config->GetComment("x", false), c.comment);
    }
}

}  // namespace

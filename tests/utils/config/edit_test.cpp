// Changing the shape of a tree: removing nodes, renaming them, attaching
// imports, and what the owner of a tree may destroy.
#include <functional>

#include "ConfigTestSupport.h"

using namespace config_testing;

namespace {

class Editing : public ConfigTest {
protected:
    // Names of the children of `path` by number.
    static std::vector<std::string> children(const Section& section, const char* path = "") {
        std::vector<std::string> names;
        for (int i = 0; i < section.GetSecNum(path); ++i) names.emplace_back(section.GetName(path, i));
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(Editing, DestroyRemovesTheSubtreeAndRenumbers) {
    const auto config = read_text("a = 1\nB { x = 1 y { z = 2 } w = 3 }\nc = 3\n");
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->Destroy("B.y"));
    EXPECT_EQ(children(*config, "B"), Names({"x", "w"}));
    EXPECT_EQ(config->GetSecNum("B.y"), -1);
    EXPECT_TRUE(config->Destroy("  B  "));
    EXPECT_EQ(children(*config), Names({"a", "c"}));
    EXPECT_EQ(config->GetName("", 2), nullptr);
    // The next child takes the first free number.
    ASSERT_TRUE(config->SetDouble(4, "d"));
    EXPECT_EQ(children(*config), Names({"a", "c", "d"}));
    EXPECT_TRUE(config->Destroy("a."));  // a final '.' names the same node
    EXPECT_EQ(children(*config), Names({"c", "d"}));
    EXPECT_EQ(dump(as_root(*config)), "comment:\n0 c n:3\n1 d n:4\n");
}

TEST_F(Editing, DestroyOfAMissingNodeTellsWhichNameIsMissing) {
    const auto config = read_text("A { x = 1 }\n");
    ASSERT_NE(config, nullptr);
    struct Case {
        const char* path;
        const char* trace;
    };
    const Case cases[] = {
        {"q", "section 't': cannot find sub_section 'q'"},
        {"A.q", "section 't': cannot find sub_section 'q'"},
        {"A..x", "section 't': cannot find sub_section ''"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        captured().clear();
        EXPECT_FALSE(config->Destroy(c.path));
        EXPECT_EQ(traces(Msgtype::debug + 1), Names{c.trace});
    }
    EXPECT_EQ(dump(as_root(*config)), "comment:\n0 A\n  0 x n:1\n");
}

TEST_F(Editing, ANodeDestroysItselfWithAnEmptyPath) {
    const auto config = read_text("a = 1\nB { x = 1 y = 2 }\nc = 3\n");
    ASSERT_NE(config, nullptr);
    Section* x = config->GetSection("B", 0);
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(x->Destroy(""));
    EXPECT_EQ(children(*config, "B"), Names({"y"}));
    Section* B = config->GetSection("B", -1);
    ASSERT_NE(B, nullptr);
    EXPECT_TRUE(B->Destroy(nullptr));
    EXPECT_EQ(children(*config), Names({"a", "c"}));
}

TEST_F(Editing, ReadOnlyTreesRefuseRemoval) {
    write("t.cfg", "a = 1\nB { x = 1 }\n");
    const auto config = read("t", ConfMode::read_only);
    ASSERT_NE(config, nullptr);
    Section* x = config->GetSection("B.x", -1);
    ASSERT_NE(x, nullptr);
    EXPECT_FALSE(config->Destroy("a"));
    EXPECT_FALSE(x->Destroy(""));
    EXPECT_EQ(traces(Msgtype::error), Names({
                                          "section 't' is 'read-only', cannot remove subsection 'a'",
                                          "section 'x' is 'read-only', cannot remove subsection ''",
                                      }));
    Parser::set_mode(0);
    captured().clear();
    EXPECT_FALSE(config->Destroy("B"));
    EXPECT_TRUE(captured().empty());
    EXPECT_EQ(children(*config), Names({"a", "B"}));
}

TEST_F(Editing, DestroyingTheTopFileLeavesItsOwnerAnEmptyWritableTree) {
    write("base.cfg", "shared = 1\n");
    write("t.cfg", "$import \"base\"\na = 1\n");
    const auto config = read("t", ConfMode::read_only);
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->Destroy(""));
    EXPECT_EQ(config->GetSecNum(""), 0);
    EXPECT_EQ(config->GetType("shared"), SectionKind::plain);
    EXPECT_TRUE(as_root(*config).imports().empty());
    EXPECT_EQ(as_root(*config).files(), Names({"t"}));
    EXPECT_STREQ(config->GetName("", -1), "t");
    EXPECT_TRUE(config->SetDouble(2, "b"));
    EXPECT_EQ(dump(as_root(*config)), "comment:\n0 b n:2\n");
}

TEST_F(Editing, AnImportDestroyedOnItsOwnLeavesItsImporter) {
    write("a.cfg", "from_a = 1\n");
    write("b.cfg", "from_b = 2\n");
    write("t.cfg", "$import \"a\"\n$import \"b\"\nown = 3\n");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    EXPECT_FALSE(config->Destroy("from_a"));  // an imported setting is no child of the file
    RootSection& root = as_root(*config);
    Section* a = root.imports().at("a").get();
    EXPECT_TRUE(a->Destroy(""));
    EXPECT_EQ(root.imports().count("a"), 0u);
    EXPECT_EQ(config->GetType("from_a"), SectionKind::plain);
    EXPECT_EQ(render(*config, "from_b"), "n:2");
}

TEST_F(Editing, RenameKeepsNumbersAndEntries) {
    const auto config = read_text("a = 1\nB { x = 1 y = 2 }\nc = 3\n");
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->SetName("  Renamed ", "B", 1));  // the child numbered 1 of B
    EXPECT_TRUE(config->SetName("BB", "B", -1));
    EXPECT_TRUE(config->SetName("c", "c", -1));  // its own name
    EXPECT_EQ(render(*config, "BB.Renamed"), "n:2");
    EXPECT_EQ(config->GetSecNum("B"), -1);
    EXPECT_EQ(dump(as_root(*config)), "comment:\n0 a n:1\n1 BB\n  0 x n:1\n  1 Renamed n:2\n2 c n:3\n");
    struct Case {
        const char* name;
        const char* path;
        int index;
    };
    const Case refused[] = {
        {"", "a", -1}, {"   ", "a", -1}, {nullptr, "a", -1}, {"z", "missing", -1}, {"z", "BB", 2}, {"z", "a", 0},
    };
    captured().clear();
    for (const Case& c : refused) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(config->SetName(c.name, c.path, c.index));
    }
    EXPECT_TRUE(traces(Msgtype::error).empty());
    EXPECT_EQ(dump(as_root(*config)), "comment:\n0 a n:1\n1 BB\n  0 x n:1\n  1 Renamed n:2\n2 c n:3\n");
}

TEST_F(Editing, RenameOntoASiblingsNameIsRefused) {
    // Taking the name would leave the sibling in the tree but unreachable.
    const auto config = read_text("a = 1\nB { x = 1 y = 2 }\n");
    ASSERT_NE(config, nullptr);
    Parser::set_mode(0);  // reported whatever the verbosity
    EXPECT_FALSE(config->SetName("a", "B", -1));
    EXPECT_FALSE(config->SetName("x", "B", 1));
    EXPECT_EQ(traces(Msgtype::error), Names({
                                          "section 't' already has a subsection 'a', cannot rename 'B'",
                                          "section 'B' already has a subsection 'x', cannot rename 'y'",
                                      }));
    EXPECT_EQ(render(*config, "a"), "n:1");
    EXPECT_EQ(render(*config, "B.x"), "n:1");
    EXPECT_EQ(render(*config, "B.y"), "n:2");
}

TEST_F(Editing, RenameIsRefusedByReadOnlyNodes) {
    write("base.cfg", "Shared { v = 1 }\n");
    write("t.cfg", "$import \"base\"\na = 1\n");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    // The top file is writable, but the node the path leads to is imported.
    EXPECT_FALSE(config->SetName("Other", "Shared", -1));
    EXPECT_EQ(traces(Msgtype::error), Names({"section 'Shared' is 'read-only'. cannot set name 'Other'"}));
    auto fixed = read("t", ConfMode::read_only);
    ASSERT_NE(fixed, nullptr);
    EXPECT_FALSE(fixed->SetName("b", "a", -1));
    EXPECT_EQ(traces(Msgtype::error), Names({"section 't' is 'read-only'. cannot set name 'b'"}));
    EXPECT_EQ(render(*config, "Shared.v"), "n:1");
    EXPECT_EQ(render(*fixed, "a"), "n:1");
}

TEST_F(Editing, ARenamedRootSavesToTheFileOfItsNewName) {
    const auto config = read_text("a = 1\n");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->GetPath(), "t.cfg");
    EXPECT_TRUE(config->SetName("other", "", -1));
    EXPECT_EQ(config->GetPath(), "other.cfg");
    ASSERT_TRUE(config->Save());
    const auto again = read("other");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(render(*again, "a"), "n:1");
}

class Importing : public Editing {
protected:
    void SetUp() override {
        Editing::SetUp();
        write("t.cfg", "$import \"base\"\nown = 1\n");
        write("base.cfg", "from_base = 2\n");
        write("extra.cfg", "from_extra = 3\n");
        write("uses_base.cfg", "$import \"base\"\n");
        config_ = read("t");
        ASSERT_NE(config_, nullptr);
    }
    std::unique_ptr<Config> config_;
};

TEST_F(Importing, AnAttachedTreeIsOwnedAndSearchedAndSavedAsAnImport) {
    std::unique_ptr<Config> extra = read("extra");
    const Config* attached = extra.get();
    ASSERT_TRUE(config_->Import(extra));
    EXPECT_EQ(extra, nullptr);
    RootSection& root = as_root(*config_);
    ASSERT_EQ(root.imports().count("extra"), 1u);
    EXPECT_EQ(static_cast<const Config*>(root.imports().at("extra").get()), attached);
    EXPECT_EQ(root.imports().at("extra")->importer(), &root);
    EXPECT_EQ(render(*config_, "from_extra"), "n:3");
    EXPECT_EQ(root.files(), Names({"t", "base", "t", "extra", "extra"}));
    EXPECT_EQ(root.imports().at("extra")->files(), Names({"extra", "extra", "t", "base", "t"}));
    ASSERT_TRUE(config_->SaveAs("saved.cfg"));
    const auto saved = read("saved");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(render(*saved, "from_extra"), "n:3");
    EXPECT_EQ(dump(as_root(*saved)), "comment:\nimport base\nimport extra\n0 own n:1\n");
}

TEST_F(Importing, RefusalsLeaveTheTreeWithItsCaller) {
    struct Case {
        const char* title;
        std::function<std::unique_ptr<Config>()> make;
        const char* trace;  // at mode 1
    };
    const Case cases[] = {
        {"a second file of a name the tree has", [this] { return read("base"); },
         "section 't' has been already declared in file: 'base', skipped"},
        {"a file that imports a file of the tree", [this] { return read("uses_base"); },
         "[t] import: recursive import, skipped"},
        {"an empty tree of the tree's own name", [this] { return read("t", ConfMode::no_read); },
         "section 't' has been already declared in file: 't', skipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::unique_ptr<Config> other = c.make();
        ASSERT_NE(other, nullptr);
        const Config* kept = other.get();
        captured().clear();
        EXPECT_FALSE(config_->Import(other));
        EXPECT_EQ(other.get(), kept);
        EXPECT_EQ(traces(Msgtype::error), Names{c.trace});
        Parser::set_mode(0);
        captured().clear();
        EXPECT_FALSE(config_->Import(other));
        EXPECT_TRUE(captured().empty());
        Parser::set_mode(1);
    }
    std::unique_ptr<Config> none;
    EXPECT_FALSE(config_->Import(none));
    EXPECT_EQ(as_root(*config_).imports().size(), 1u);
    EXPECT_EQ(as_root(*config_).files(), Names({"t", "base", "t"}));
}

TEST_F(Importing, AReadOnlyTreeRefusesImports) {
    const auto fixed = read("extra", ConfMode::read_only);
    ASSERT_NE(fixed, nullptr);
    std::unique_ptr<Config> other = read("uses_base");
    ASSERT_NE(other, nullptr);
    captured().clear();
    EXPECT_FALSE(fixed->Import(other));
    EXPECT_NE(other, nullptr);
    EXPECT_EQ(traces(Msgtype::error), Names({"config 'extra' is 'read-only'. cannot import file 'uses_base'"}));
}

TEST_F(Importing, AnImportOfAnImportIsCheckedAgainstTheTopFile) {
    std::unique_ptr<Config> extra = read("extra");
    ASSERT_TRUE(config_->Import(extra));
    RootSection& attached = *as_root(*config_).imports().at("extra");
    // "uses_base" brings a file that the top file has already.
    std::unique_ptr<Config> other = read("uses_base");
    captured().clear();
    EXPECT_FALSE(attached.Import(other));
    EXPECT_EQ(traces(Msgtype::error), Names({"[extra] import: recursive import, skipped"}));
    // Nor can a file import the file above it.
    EXPECT_FALSE(attached.Import(config_));
    ASSERT_NE(config_, nullptr);
    write("lone.cfg", "x = 1\n");
    std::unique_ptr<Config> lone = read("lone");
    ASSERT_NE(lone, nullptr);
    EXPECT_TRUE(attached.Import(lone));
    EXPECT_EQ(render(*config_, "x"), "n:1");  // found through two levels of imports
}

}  // namespace

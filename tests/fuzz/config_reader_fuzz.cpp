// Feeds arbitrary bytes to the configuration reader as a top file that may
// import a few files prepared on disk, then reads every node of the tree it
// gives back through the Section interface. Nothing may crash, leak or hang.
// A tree that the writer accepts must read back from the text it wrote as the
// same tree (less the sections without any value below them, see blank()).
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "utils/Format.h"
#include "utils/MiscIo.h"
#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/RootSection.h"

namespace {

// The messages are formatted (so their arguments are checked) and dropped.
void quiet_trace(int /*level*/, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = vformat(format, args);
    va_end(args);
    (void)text;
}

// A folder with files that inputs can import; removed when the run ends.
class ImportFolder {
public:
    ImportFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelmar-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        write("a.cfg", "VAR { Common { v = 3 s = \"text\" } }\nA { x = 1 l = @A.x arr = [1, 2e3] }\n");
        write("b.cfg", "# imports a\n$import \"a\"\nB = [1, 2]\nlb = @A.l\n");
        write("bad.cfg", "x = = 1\n");
    }
    ImportFolder(const ImportFolder&) = delete;
    ImportFolder& operator=(const ImportFolder&) = delete;
    ~ImportFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string path() const { return path_.string(); }

private:
    void write(const char* name, const char* text) const { std::ofstream(path_ / name, std::ios::binary) << text; }
    std::filesystem::path path_;
};

void read_back(Section& node, Section& root) {
    double d = 0;
    int i = 0;
    long l = 0;
    bool b = false;
    int ints[4] = {};
    double doubles[4] = {};
    node.GetDouble(d, "");
    node.GetInt(i, "");
    node.GetLong(l, "");
    node.GetBool(b, "");
    node.GetDoubles(nullptr, 0, "");
    node.GetDoubles(doubles, 4, "");
    node.GetInts(ints, 4, "");
    node.GetType("");
    node.GetComment("", false);
    node.GetComment("", true);
    // Any text of the file as a path: paths must be checked, never trusted.
    if (const char* text = node.GetString("")) root.GetType(text);
    const int count = node.GetSecNum("");
    for (int index = 0; index < count; ++index) {
        if (const char* name = node.GetName("", index)) node.GetType(name);
        if (Section* child = node.GetSection("", index)) read_back(*child, root);
    }
}

// No value anywhere in the subtree. The writer skips nodes with neither
// value nor children, so a node whose children are all skipped is written as
// an empty section and reads back as one that is skipped next time.
bool blank(const RealSection& node) {
    if (node.kind() != SectionKind::plain) return false;
    for (int i = 0; i < node.child_count(); ++i)
        if (!blank(*node.child(i))) return false;
    return true;
}

// The node and its subtree as text, in file order; blank nodes left out.
void describe(const RealSection& node, int depth, std::string& out) {
    out += std::to_string(depth) + ' ' + node.name() + ' ' + std::to_string(node.kind()) + ' ';
    if (node.kind() == SectionKind::numeric) {
        for (const double value : node.values()) out += format_shortest(value) + ',';
    } else if (node.kind() != SectionKind::plain) {
        out += node.value_text();
    }
    out += '|' + node.comment() + '|' + node.line_comment() + '\n';
    for (int i = 0; i < node.child_count(); ++i) {
        const RealSection& child = *node.child(i);
        if (!blank(child)) describe(child, depth + 1, out);
    }
}

std::string describe(const RootSection& root) {
    std::string out = root.root_comment() + '|';
    for (const auto& [name, imported] : root.imports()) out += name + ',';
    out += '\n';
    for (int i = 0; i < root.child_count(); ++i)
        if (!blank(*root.child(i))) describe(*root.child(i), 0, out);
    return out;
}

void read_settings() {
    static const std::map<char, std::string> var_map = {{'C', "Common"}, {'M', "MPI.Process_0"}};
    static const std::string var_order = "MEC";
    Parser::initialize();
    Parser::setVarMap(&var_map, &var_order);
}

void check_round_trip(RootSection& root) {
    const std::optional<std::string> text = root.save_text("fuzz");
    if (!text) return;
    read_settings();
    const std::unique_ptr<RootSection> again = Parser::import_root_text("fuzz", *text, false);
    if (again != nullptr && describe(*again) == describe(root)) return;
    std::fprintf(stderr, "the saved text does not read back as the same tree:\n%s\n", text->c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    static const ImportFolder folder;
    Io::SetTraceHandler(quiet_trace);
    Parser::set_root_dir(folder.path());
    Parser::set_mode(2);  // every diagnostic is formatted
    ::setenv("ZELMAR_FUZZ_VAR", "12.5", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    read_settings();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (std::unique_ptr<RootSection> root = Parser::import_root_text("fuzz", text, false)) {
        read_back(*root, *root);
        check_round_trip(*root);
    }
    return 0;
}

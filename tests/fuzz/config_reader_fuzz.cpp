// Feeds arbitrary bytes to the configuration reader as a top file that may
// import a few files prepared on disk, then reads every node of the tree it
// gives back through the Section interface. Nothing may crash, leak or hang.
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "utils/Format.h"
#include "utils/MiscIo.h"
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
    static const std::map<char, std::string> var_map = {{'C', "Common"}, {'M', "MPI.Process_0"}};
    static const std::string var_order = "MEC";
    Parser::initialize();
    Parser::setVarMap(&var_map, &var_order);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (std::unique_ptr<RootSection> root = Parser::import_root_text("fuzz", text, false)) read_back(*root, *root);
    return 0;
}

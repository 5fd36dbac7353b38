// Reading whole files, the file-wide settings and the state of one read.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "utils/Trace.h"
#include "utils/config/Parser.h"
#include "utils/config/RootSection.h"

int Parser::no_of_errors = 0;
int Parser::no_of_warnings = 0;
std::vector<std::string> Parser::import_table;
std::string Parser::var_order;
std::map<char, std::string> Parser::var_map;
RealSection* Parser::var_section = nullptr;
int Parser::nesting = 0;

int Parser::mode = 0;
std::string Parser::root_dir;
std::string Parser::cfg_ext = ".cfg";

namespace {

// The whole content of a file; none when it cannot be opened (a folder
// counts as a file that cannot be opened).
std::optional<std::string> read_whole_file(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::unique_ptr<RootSection> Parser::import_root_section(const std::string& name, bool read_only) {
    const std::string file = conf_fname(name);
    import_table.push_back(name);
    const std::optional<std::string> text = read_whole_file(conf_path(file));
    if (!text) {
        if (mode > 1) trace(Msgtype::error, "cannot open import file:%s", file.c_str());
        return nullptr;
    }
    return import_root_text(name, *text, read_only);
}

std::unique_ptr<RootSection> Parser::import_root_text(const std::string& name, std::string_view text,
                                                      bool read_only) {
    auto root = std::make_unique<RootSection>(name, read_only);
    RealSection* const outer_var_section = var_section;
    Parser parser(text, root.get());
    if (parser.parse_section(nullptr) == 0) return root;
    // The tree is dropped: variables must not be looked up in it any more.
    var_section = outer_var_section;
    return nullptr;
}

std::optional<std::string> Parser::get_var_str(const std::string& name) {
    for (const char letter : var_order) {
        std::optional<std::string> text;
        if (letter == 'E' || letter == 'e') {
            if (const char* value = std::getenv(name.c_str())) text = value;
            else trace(Msgtype::warning, "$ENV{%s} not defined", name.c_str());
        } else if (var_section == nullptr) {
            trace(Msgtype::warning, "VAR section not found");
        } else {
            const auto mapped = var_map.find(letter);
            const std::string section = mapped != var_map.end() ? mapped->second : std::string();
            const std::string path = section + "." + name;
            if (const char* value = var_section->GetString(path.c_str())) text = value;
        }
        if (text) {
            trace(Msgtype::message, "$VAR{%s}=%s", name.c_str(), text->c_str());
            return text;
        }
    }
    trace(Msgtype::warning, "$VAR{%s} not defined", name.c_str());
    return std::nullopt;
}

void Parser::initialize() {
    import_table.clear();
    no_of_errors = 0;
    no_of_warnings = 0;
}

void Parser::setVarMap(const std::map<char, std::string>* map, const std::string* order) {
    var_order = order != nullptr ? *order : std::string();
    if (map != &var_map) var_map = map != nullptr ? *map : std::map<char, std::string>();
    var_section = nullptr;
}

int Parser::statistics(int* warnings) {
    if (mode > 0 || no_of_errors > 0)
        trace(Msgtype::info, "%d error(s), %d warning(s)", no_of_errors, no_of_warnings);
    if (warnings != nullptr) *warnings = no_of_warnings;
    return no_of_errors;
}

const std::vector<std::string>& Parser::get_import_table() { return import_table; }

void Parser::set_import_table(RootSection* root) {
    if (root == nullptr) return;
    root->files_.insert(root->files_.begin(), import_table.begin(), import_table.end());
}

void Parser::set_mode(int new_mode) { mode = new_mode; }

int Parser::get_mode() { return mode; }

void Parser::set_root_dir(const std::string& folder) { root_dir = conf_dir(folder); }

const std::string& Parser::get_root_dir() { return root_dir; }

std::string Parser::conf_dir(std::string folder) {
    // The platform's separator; a backslash is no separator here.
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

void Parser::set_conf_ext(const std::string& extension) {
    cfg_ext = !extension.empty() && extension.front() == '.' ? extension : "." + extension;
}

std::string Parser::conf_ext() { return cfg_ext; }

std::string Parser::conf_fname(std::string_view name) {
    std::string file(name);
    if (file.find(cfg_ext) == std::string::npos) file += cfg_ext;
    return file;
}

std::string Parser::conf_path(std::string_view file_name) { return root_dir + std::string(file_name); }

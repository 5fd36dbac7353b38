#include "utils/config/ConfCreate.h"

#include <cstdio>
#include <string_view>

#include "utils/MiscIo.h"
#include "utils/config/Parser.h"
#include "utils/config/RootSection.h"
#include "utils/config/Symbols.h"

namespace {

bool reads_file(std::int32_t mode) { return mode >= ConfMode::read && mode <= ConfMode::always_a_tree; }

bool may_be_empty(std::int32_t mode) {
    return mode == ConfMode::no_read || mode == ConfMode::read_or_empty || mode == ConfMode::always_a_tree;
}

}  // namespace

std::unique_ptr<Config> ConfCreate(const char* name, const SConfigParams* params) {
    if (params == nullptr || name == nullptr) return nullptr;
    const std::string_view stripped = Symbols::clear_blanks(std::string_view(name));
    if (stripped.find_first_not_of(' ') == std::string_view::npos) return nullptr;
    const std::string file(stripped);

    if (params->reset_defaults == 1) {
        Parser::set_conf_ext("cfg");
        Parser::set_root_dir(".");
    }

    if (reads_file(params->mode)) {
        Parser::initialize();
        const bool read_only = params->mode == ConfMode::read_only;
        if (Parser::get_mode() > 0) trace(Msgtype::warning, "Translating config file: %s", name);
        Parser::setVarMap(&params->var_map, &params->var_order);
        std::unique_ptr<RootSection> root = Parser::import_root_section(file, read_only);
        const int errors = Parser::statistics(nullptr);
        if (errors > 0 && params->mode == ConfMode::read_or_empty) return nullptr;
        if (root != nullptr) {
            Parser::set_import_table(root.get());
            return root;
        }
    }
    if (may_be_empty(params->mode)) return std::make_unique<RootSection>(file, false);
    return nullptr;
}

int ConfErrorCount() { return Parser::error_count(); }

void ConfSetTrace(int trace_mode, TraceFunction handler) {
    if (handler != nullptr) Io::SetTraceHandler(handler);
    Parser::set_mode(trace_mode);
}

void ConfSet(const char* folder, const char* extension, int trace_mode, TraceFunction handler) {
    ConfSetTrace(trace_mode, handler);
    std::string root = folder != nullptr ? folder : "";
    Parser::set_root_dir(Symbols::clear_blanks(root));
    Parser::set_conf_ext(extension != nullptr ? extension : ".cfg");
}

bool ConfDelete(const char* name) {
    if (name == nullptr) return false;
    const std::string path = Parser::conf_path(Parser::conf_fname(name));
    return std::remove(path.c_str()) == 0;
}

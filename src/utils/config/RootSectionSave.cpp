// A whole file: its text, saving it in one step, its path and its age.
#include <cstring>
#include <sys/stat.h>

#include "utils/Trace.h"
#include "utils/config/Parser.h"
#include "utils/config/RootSection.h"
#include "utils/config/SaveCheck.h"
#include "utils/platform/FileReplace.h"

std::optional<std::string> RootSection::save_text(const std::string& shown_path) {
    const std::vector<std::string> problems = save_problems(*this);
    for (const std::string& problem : problems)
        trace(Msgtype::error, "cannot save %s: %s", shown_path.c_str(), problem.c_str());
    if (!problems.empty()) return std::nullopt;

    SaveText out;
    out.text = Parser::header_line() + '\n' + Parser::header_rule() + '\n';
    Parser::save_comment(out.text, comment_, 0);
    if (!imports_.empty()) {
        out.text += '\n';
        for (const auto& [name, imported] : imports_) out.text += "$import \"" + name + "\"\n";
        out.text += '\n';
    }
    const int width = children_width();
    for (RealSection* child : ordered_) child->Save(out, 0, width);
    return std::move(out.text);
}

bool RootSection::SaveAs(const char* path) {
    if (path == nullptr) return false;
    const std::optional<std::string> text = save_text(path);
    if (!text) return false;
    const platform::ReplaceResult result = platform::replace_file(path, *text);
    switch (result.status) {
        case platform::ReplaceStatus::replaced: return true;
        case platform::ReplaceStatus::cannot_create:
            trace(Msgtype::error, "cannot open file for save:%s ", path);
            return false;
        case platform::ReplaceStatus::failed: break;
    }
    trace(Msgtype::error, "cannot write file for save:%s (%s), the file is left as it was", path,
          result.error != 0 ? std::strerror(result.error) : "incomplete write");
    return false;
}

bool RootSection::Save() {
    if (read_only_) {
        if (Parser::get_mode() >= 1)
            trace(Msgtype::error, "section: '%s' is 'read-only'. cannot be saved.", name_.c_str());
        return false;
    }
    return SaveAs(GetPath().c_str());
}

std::string RootSection::GetPath() const { return Parser::conf_path(Parser::conf_fname(name_)); }

long RootSection::GetModTime() const {
    struct stat info {};
    if (::stat(GetPath().c_str(), &info) != 0) return 0;
    return static_cast<long>(info.st_mtime);
}

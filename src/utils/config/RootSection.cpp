#include "utils/config/RootSection.h"

#include <algorithm>

#include "utils/Trace.h"
#include "utils/config/Parser.h"
#include "utils/config/Symbols.h"

namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

RootSection::RootSection(std::string name, bool read_only) : RealSection(name, read_only) {
    files_.push_back(std::move(name));
}

RootSection::~RootSection() = default;

const RealSection* RootSection::find(std::string_view path) const {
    if (const RealSection* own = find_here(path)) return own;
    for (const auto& [name, imported] : imports_) {
        if (const RealSection* found = imported->find(path)) return found;
    }
    return nullptr;
}

void RootSection::attach_import(const std::string& name, std::unique_ptr<RootSection> imported) {
    imported->importer_ = this;
    imports_[name] = std::move(imported);
}

void RootSection::clear() {
    read_only_ = false;
    ordered_.clear();
    subsections_.clear();
    imports_.clear();
    kind_ = SectionKind::plain;
    values_.clear();
    value_text_.clear();
    comment_.clear();
    line_comment_.clear();
    files_.assign(1, name_);
}

bool RootSection::Destroy(const char* path) {
    if (!Symbols::clear_blanks(std::string_view(path != nullptr ? path : "")).empty())
        return RealSection::Destroy(path);
    if (importer_ != nullptr) {
        // The importer owns this file: leaving its imports destroys it.
        auto& siblings = importer_->imports_;
        const auto entry = std::find_if(siblings.begin(), siblings.end(),
                                        [this](const auto& item) { return item.second.get() == this; });
        if (entry != siblings.end()) {
            siblings.erase(entry);
            return true;
        }
    }
    // The owner of the top file frees the object; what it held goes now.
    clear();
    return true;
}

bool RootSection::rename_import(const std::string& new_name) {
    if (importer_ == nullptr) return true;
    auto& siblings = importer_->imports_;
    if (siblings.count(new_name) != 0) {
        trace(Msgtype::error, "config '%s' already imports a file '%s', cannot rename '%s'",
              importer_->name_.c_str(), new_name.c_str(), name_.c_str());
        return false;
    }
    const auto entry = std::find_if(siblings.begin(), siblings.end(),
                                    [this](const auto& item) { return item.second.get() == this; });
    if (entry != siblings.end()) {
        auto node = siblings.extract(entry);
        node.key() = new_name;
        siblings.insert(std::move(node));
    }
    return true;
}

bool RootSection::Import(std::unique_ptr<Config>& other) {
    auto* imported = dynamic_cast<RootSection*>(other.get());
    if (imported == nullptr || imported->importer_ != nullptr) return false;
    const bool traced = Parser::get_mode() >= 1;
    if (read_only_) {
        if (traced)
            trace(Msgtype::error, "config '%s' is 'read-only'. cannot import file '%s'", name_.c_str(),
                  imported->name_.c_str());
        return false;
    }
    RootSection* top = this;
    bool cycle = imported == this;
    while (top->importer_ != nullptr) {
        top = top->importer_;
        cycle = cycle || top == imported;
    }
    if (contains(top->files_, imported->name_)) {
        if (traced)
            trace(Msgtype::error, "section '%s' has been already declared in file: '%s', skipped", name_.c_str(),
                  imported->name_.c_str());
        return false;
    }
    const bool shared = std::any_of(imported->files_.begin(), imported->files_.end(),
                                    [top](const std::string& name) { return contains(top->files_, name); });
    if (cycle || shared) {
        if (traced) trace(Msgtype::error, "[%s] import: recursive import, skipped", name_.c_str());
        return false;
    }
    // Both lists learn the other's files, so that a second file of the same
    // name is refused rather than replacing this one.
    const std::vector<std::string> imported_files = imported->files_;
    imported->files_.insert(imported->files_.end(), top->files_.begin(), top->files_.end());
    top->files_.insert(top->files_.end(), imported_files.begin(), imported_files.end());
    other.release();
    const std::string name = imported->name_;
    attach_import(name, std::unique_ptr<RootSection>(imported));
    return true;
}

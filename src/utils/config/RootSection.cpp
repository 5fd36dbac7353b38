#include "utils/config/RootSection.h"

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

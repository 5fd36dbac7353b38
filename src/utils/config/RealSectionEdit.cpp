// Editing the shape of a tree: removing nodes with the renumbering of their
// siblings, and renaming.
#include <string_view>
#include <utility>

#include "utils/Trace.h"
#include "utils/config/Parser.h"
#include "utils/config/RealSection.h"
#include "utils/config/RootSection.h"
#include "utils/config/Symbols.h"

namespace {

// Level of the trace that reports a name missing on the way of a removal.
constexpr int lookup_trace_level = Msgtype::debug + 1;

const char* shown(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

bool RealSection::DestroySubsection(std::string name) {
    if (read_only_) {
        if (Parser::get_mode() >= 1)
            trace(Msgtype::error, "section '%s' is 'read-only', cannot remove subsection '%s'", name_.c_str(),
                  name.c_str());
        return false;
    }
    const auto found = subsections_.find(name);
    if (found == subsections_.end()) return false;
    const auto removed = static_cast<std::size_t>(found->second->number_);
    ordered_.erase(ordered_.begin() + static_cast<std::ptrdiff_t>(removed));
    for (std::size_t i = removed; i < ordered_.size(); ++i) ordered_[i]->number_ = static_cast<int>(i);
    subsections_.erase(found);  // the child and its subtree
    return true;
}

bool RealSection::Destroy(const char* path) {
    if (refuses("section '%s' is 'read-only', cannot remove subsection '%s'", path)) return false;
    std::string_view rest = Symbols::clear_blanks(std::string_view(shown(path)));
    if (rest.empty()) {
        if (parent_ == nullptr) return false;
        // This node goes with the call; nothing of it may be used afterwards.
        return parent_->DestroySubsection(name_);
    }
    // The names are walked as they are, without the checks of a lookup, so
    // that a node renamed to a name no path can check is still removable.
    RealSection* node = this;
    for (;;) {
        const auto dot = rest.find('.');
        const std::string_view first = rest.substr(0, dot);
        RealSection* next = node->FindChild(first);
        if (next == nullptr) {
            const std::string missing(first);
            trace(lookup_trace_level, "section '%s': cannot find sub_section '%s'", name_.c_str(), missing.c_str());
            return false;
        }
        node = next;
        if (dot == std::string_view::npos || dot + 1 == rest.size()) break;  // a final '.' names the same node
        rest.remove_prefix(dot + 1);
    }
    return node->parent_->DestroySubsection(node->name_);
}

void RealSection::rename_child(RealSection& node, const std::string& new_name) {
    auto entry = subsections_.extract(node.name_);
    entry.key() = new_name;
    subsections_.insert(std::move(entry));
}

bool RealSection::SetName(const char* new_name, const char* path, int index) {
    if (refuses("section '%s' is 'read-only'. cannot set name '%s'", new_name)) return false;
    if (new_name == nullptr) return false;
    const std::string_view stripped = Symbols::clear_blanks(std::string_view(new_name));
    if (stripped.find_first_not_of(' ') == std::string_view::npos) return false;
    const std::string name(stripped);

    RealSection* node = ExtractSection(path);
    if (node == nullptr) return false;
    RealSection* target = index < 0 ? node : const_cast<RealSection*>(node->child(index));
    if (target == nullptr) return false;
    // A path may lead into an imported file, which is read-only.
    if (target != this && target->refuses("section '%s' is 'read-only'. cannot set name '%s'", new_name))
        return false;
    if (target->name_ == name) return true;

    if (RealSection* parent = target->parent_) {
        // Two children of one name would leave one of them unreachable.
        if (parent->FindChild(name) != nullptr) {
            trace(Msgtype::error, "section '%s' already has a subsection '%s', cannot rename '%s'",
                  parent->name_.c_str(), name.c_str(), target->name_.c_str());
            return false;
        }
        parent->rename_child(*target, name);
    } else if (auto* root = dynamic_cast<RootSection*>(target); root != nullptr && !root->rename_import(name)) {
        return false;
    }
    target->name_ = name;
    target->width_ = static_cast<int>(name.size());
    return true;
}

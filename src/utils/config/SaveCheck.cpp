#include "utils/config/SaveCheck.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_set>

#include "utils/Format.h"
#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/RootSection.h"
#include "utils/config/Symbols.h"

namespace {

bool has_line_end(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool letters_and_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return Symbols::is_letter_or_digit(static_cast<unsigned char>(c)); });
}

// A name as the reader takes it: a letter (one that is not skipped as a
// blank), then letters and digits.
bool writable_name(std::string_view name) {
    if (name.empty()) return false;
    const auto first = static_cast<unsigned char>(name.front());
    return Symbols::is_letter(first) && !Symbols::is_blank(first) && letters_and_digits(name.substr(1));
}

// A link as the reader takes and then finds it: names that begin with a
// letter, joined by '.'; a final '.' names the same node.
bool writable_link(std::string_view target) {
    if (target.empty()) return false;
    for (;;) {
        const auto dot = target.find('.');
        const std::string_view name = target.substr(0, dot);
        if (name.empty() || !Symbols::is_letter(static_cast<unsigned char>(name.front())) ||
            !letters_and_digits(name.substr(1)))
            return false;
        if (dot == std::string_view::npos || dot + 1 == target.size()) return true;
        target.remove_prefix(dot + 1);
    }
}

// The node of the root's own tree at a writable link target, or null.
const RealSection* own_node(const RealSection& root, std::string_view target) {
    const RealSection* node = &root;
    while (node != nullptr && !target.empty()) {
        const auto dot = target.find('.');
        node = node->FindChild(target.substr(0, dot));
        target = dot == std::string_view::npos ? std::string_view{} : target.substr(dot + 1);
    }
    return node;
}

class Checker {
public:
    explicit Checker(const RootSection& root) : root_(root) {}

    std::vector<std::string> run() {
        if (has_carriage_return(root_.root_comment()))
            problems_.push_back("the comment at the head of the file has a carriage return and cannot be written");
        for (const auto& [name, imported] : root_.imports()) {
            if (name.find('"') != std::string::npos || has_line_end(name))
                problems_.push_back(format("import '%s': the name cannot be written", name.c_str()));
        }
        // Depth first in file order without recursion: a tree made by
        // setters may be deeper than any stack.
        struct Item {
            const RealSection* node;
            int depth;
            std::string path;
        };
        std::vector<Item> pending;
        push_children(pending, root_, 1, "");
        while (!pending.empty()) {
            Item item = std::move(pending.back());
            pending.pop_back();
            const RealSection& node = *item.node;
            if (node.child_count() == 0 && node.kind() == SectionKind::plain) continue;  // not written
            written_.insert(&node);
            check(node, item.path);
            if (node.child_count() == 0) continue;
            if (item.depth > Parser::max_nesting) {
                add(item.path, format("sections nested deeper than %d cannot be read back", Parser::max_nesting));
                continue;
            }
            push_children(pending, node, item.depth + 1, item.path + '.');
        }
        return std::move(problems_);
    }

private:
    template <class Items>
    static void push_children(Items& pending, const RealSection& node, int depth, const std::string& prefix) {
        for (int i = node.child_count() - 1; i >= 0; --i) {
            const RealSection* child = node.child(i);
            pending.push_back({child, depth, prefix + child->name()});
        }
    }

    // Comments are lines that end in '\n'; a carriage return would end one
    // early and the rest of it would be read as settings.
    static bool has_carriage_return(std::string_view comment) {
        return comment.find('\r') != std::string_view::npos;
    }

    void add(const std::string& path, const std::string& text) {
        problems_.push_back(format("section '%s': %s", path.c_str(), text.c_str()));
    }

    void check(const RealSection& node, const std::string& path) {
        if (!writable_name(node.name())) add(path, "the name cannot be written");
        if (has_carriage_return(node.comment()) || has_line_end(node.line_comment()))
            add(path, "a comment with a carriage return cannot be written");
        switch (node.kind()) {
            case SectionKind::string:
                if (node.value_text().find('"') != std::string::npos || has_line_end(node.value_text()))
                    add(path, "a string with a double quote or a line end cannot be written");
                break;
            case SectionKind::numeric:
                for (const double value : node.values()) {
                    if (std::isfinite(value)) continue;
                    add(path, format("the number %s cannot be written", format_shortest(value).c_str()));
                    break;
                }
                break;
            case SectionKind::link: check_link(node, path); break;
            default: break;
        }
    }

    // The reader accepts a link only to a node that it has read already, in
    // this file or in an import.
    void check_link(const RealSection& node, const std::string& path) {
        const std::string& target = node.value_text();
        if (!writable_link(target)) {
            add(path, format("the link target '%s' cannot be written", target.c_str()));
            return;
        }
        const RealSection* own = own_node(root_, target);
        if (own != nullptr && written_.count(own) != 0) return;
        for (const auto& [name, imported] : root_.imports()) {
            if (imported->ExtractSection(target.c_str()) != nullptr) return;
        }
        add(path, format("the link target '%s' is no section written before it", target.c_str()));
    }

    const RootSection& root_;
    std::unordered_set<const RealSection*> written_;  // the nodes before the one being checked, and itself
    std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> save_problems(const RootSection& root) { return Checker(root).run(); }

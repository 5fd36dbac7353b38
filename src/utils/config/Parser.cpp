// The statements of the configuration file format: names, '=', braces,
// comments and the $import directive.
#include "utils/config/Parser.h"

#include <algorithm>
#include <climits>

#include "utils/Trace.h"
#include "utils/config/RootSection.h"

Parser::Parser(std::string_view text, RootSection* root) : input_(text), root_(root) { skip_writer_header(); }

bool Parser::enter() {
    if (nesting >= max_nesting) {
        error("too deeply nested, reading stopped");
        stopped_ = true;
        return false;
    }
    ++nesting;
    return true;
}

int Parser::parse_section(RealSection* section) {
    const bool at_root = section == nullptr;
    RealSection* current = at_root ? root_ : section;
    RealSection* last = nullptr;  // the node most recently created by this call
    for (;;) {
        switch (get_token()) {
            case '$':
                if (!directive(at_root)) return no_of_errors;
                break;
            case name_token:
                declare(current, last);
                break;
            case '=':
                if (prev_token_ != name_token) error("unexpected '='");
                else if (last != nullptr) assign(last);
                break;
            case comment_token:
                if (comment_after_name_ && last != nullptr) {
                    last->line_comment_ = token_text_;
                } else {
                    pending_comment_ += token_text_;
                    pending_comment_ += '\n';
                }
                break;
            case '{':
                if (!pending_comment_.empty()) warning("comment will be assigned to next section");
                if (last != nullptr) {
                    if (const Nesting nested{*this}) parse_section(last);
                }
                break;
            case '}':
                if (at_root || prev_token_ == name_token) error("unexpected '}'");
                if (!pending_comment_.empty()) {
                    warning("comment skipped");
                    pending_comment_.clear();
                }
                if (prev_token_ == '{') warning("blank section");
                return no_of_errors;
            case end_of_input:
                if (at_root) pending_comment_.clear();
                else error("unexpected end of file");
                return no_of_errors;
            default:
                error("syntax error");
                break;
        }
    }
}

void Parser::declare(RealSection* current, RealSection*& last) {
    if (prev_token_ == name_token) {
        error("expected '=' or '{'");
        return;
    }
    if (current->FindChild(token_text_) != nullptr) {
        error("section redefinition");
        return;
    }
    RealSection* node = current->AddChild(token_text_, current->read_only_);
    node->comment_ = std::move(pending_comment_);
    pending_comment_.clear();
    last = node;
    // Variables read after this point are looked up in this section.
    if (current == root_ && node->name_ == "VAR") var_section = node;
}

// "$import" and its file name; false when the directive ends the section.
bool Parser::directive(bool at_root) {
    if (get_token() != name_token) {
        error("syntax error after $");
        return false;
    }
    if (token_text_ != "import") {
        error("undefined directive after $");
        return false;
    }
    if (!at_root) warning("$import in non-root section is depricated");
    if (get_token() != string_token) {
        error("expected \"filename\" after $import directive");
        return true;
    }
    const std::string name = token_text_;
    if (std::find(import_table.begin(), import_table.end(), name) != import_table.end()) {
        error("recursive $import");
        return false;
    }
    std::unique_ptr<RootSection> imported;
    if (const Nesting nested{*this}) imported = import_root_section(name, true);
    if (stopped_) return false;
    if (imported == nullptr) {
        error("cannot parse import file");
        return true;
    }
    // The comment before an import becomes the file's comment. An import
    // with no comment of its own keeps the one before an earlier import: the
    // writer puts the file's comment before the first of its imports, so
    // clearing it here would lose it on every save and read.
    if (!pending_comment_.empty()) root_->comment_ = std::move(pending_comment_);
    pending_comment_.clear();
    root_->attach_import(name, std::move(imported));
    return true;
}

int Parser::error(const char* text) {
    if (stopped_) return no_of_errors;  // nothing after the stop is reported
    if (no_of_errors < INT_MAX) ++no_of_errors;
    trace(Msgtype::error, "%s(%d), error: %s", file_name().c_str(), line_, text);
    return no_of_errors;
}

void Parser::warning(const char* text) {
    if (stopped_) return;
    if (no_of_warnings < INT_MAX) ++no_of_warnings;
    if (mode > 0) trace(Msgtype::warning, "%s(%d), warning: %s", file_name().c_str(), line_, text);
}

// The file as it was opened (the extension is not added twice).
std::string Parser::file_name() const { return conf_path(conf_fname(root_->name_)); }

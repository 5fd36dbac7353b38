// The values after '=': strings, links, numbers, arrays and $VAR{...}.
#include <algorithm>
#include <climits>

#include "utils/Trace.h"
#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/RealSection.h"

namespace {

bool starts_like_number(const std::string& text) {
    if (text.empty()) return false;
    const char first = text.front();
    return first == '+' || first == '-' || (first >= '0' && first <= '9');
}

}  // namespace

// Reads the value after '=' into `node`. True when the current token is the
// last token of a value; false when it was not taken as a value.
bool Parser::assign(RealSection* node) {
    switch (get_token()) {
        case string_token:
            node->kind_ = SectionKind::string;
            node->value_text_ = token_text_;
            return true;
        case link_token:
            // A link must point to something read earlier in this file or its imports.
            if (node->top()->ExtractSection(token_text_.c_str()) == nullptr) error("link to undefined section");
            node->kind_ = SectionKind::link;
            node->value_text_ = token_text_;
            return true;
        case number_token:
            node->kind_ = SectionKind::numeric;
            node->values_.push_back(number_value_);
            node->value_text_ = token_text_;
            if (!number_tail_.empty()) ignored_after_number(node, token_text_, number_tail_);
            return true;
        case '[':
            node->kind_ = SectionKind::numeric;
            read_array(node);
            return true;
        case '$':
            return assign_variable(node);
        default:
            error("expected number or \"string\" (may be array) after '='");
            return false;
    }
}

void Parser::read_array(RealSection* node) {
    bool comma = false;
    for (;;) {
        switch (get_token()) {
            case ']':
                if (comma) warning("unnecessary comma before ']'");
                return;
            case number_token:
                node->values_.push_back(number_value_);
                comma = false;
                break;
            case ',':
                comma = true;
                break;
            case '$':
                if (!array_variable(node)) return;
                comma = false;
                break;
            case end_of_input:
                error("syntax error in array declaration");
                return;
            default:
                error("syntax error in array declaration");
                break;
        }
    }
}

// "VAR{name" after a '$'; false (after the error) when it is not there.
bool Parser::read_variable_name(std::string& name) {
    if (get_token() != name_token) {
        error("syntax error after $");
        return false;
    }
    if (token_text_ != "VAR") {
        error("undefined directive after $");
        return false;
    }
    if (get_token() != '{' || get_token() != name_token) {
        error("expected $VAR{variable,default_value}");
        return false;
    }
    name = token_text_;
    return true;
}

// Skips to the '}' that closes the variable; a nested $VAR{...} in a
// skipped default is skipped whole.
void Parser::skip_variable_rest() {
    int open = 0;
    for (;;) {
        const int token = get_token();
        if (token == end_of_input) return;
        if (token == '{') ++open;
        if (token == '}' && open-- == 0) return;
    }
}

// The number that a variable's text stands for; an error when it is too large.
std::optional<double> Parser::variable_number(const std::string& text) {
    if (!starts_like_number(text)) return std::nullopt;
    const DecimalNumber number = read_decimal(text);
    if (number.overflow) error("number out of range");
    return number.value;
}

namespace {

// The node's path from its file's root ("Calculation.TimeStep").
std::string dotted_path(const RealSection* node) {
    std::string path;
    for (; node != nullptr && node->parent() != nullptr; node = node->parent())
        path = path.empty() ? node->name() : node->name() + "." + path;
    return path;
}

}  // namespace

// A variable's text that goes on after its number: the rest is reported
// unless it is only white space.
void Parser::variable_tail(const RealSection* node, std::string_view text) {
    const std::size_t length = read_decimal(text).length;
    const std::string_view rest = text.substr(std::min(length, text.size()));
    if (rest.find_first_not_of(" \t\r\n") == std::string_view::npos) return;
    ignored_after_number(node, text.substr(0, length), rest);
}

// The value keeps the number, as it always has (files may rely on it); what
// followed is reported, since a unit or a mistyped digit ("2O") changes
// nothing the run does.
void Parser::ignored_after_number(const RealSection* node, std::string_view number, std::string_view ignored) {
    if (stopped_) return;
    if (no_of_warnings < INT_MAX) ++no_of_warnings;
    const std::string key = dotted_path(node);
    const std::string taken(number);
    const std::string rest(ignored);
    trace(Msgtype::warning, "%s(%d), warning: %s is read as %s: the text \"%s\" after the number is ignored",
          file_name().c_str(), line_, key.c_str(), taken.c_str(), rest.c_str());
}

bool Parser::assign_variable(RealSection* node) {
    std::string name;
    if (!read_variable_name(name)) return false;
    if (const std::optional<std::string> text = get_var_str(name)) {
        node->value_text_ = *text;
        if (const std::optional<double> number = variable_number(*text)) {
            node->kind_ = SectionKind::numeric;
            node->values_.push_back(*number);
            variable_tail(node, *text);
        } else {
            node->kind_ = SectionKind::string;
        }
        skip_variable_rest();
        return true;
    }
    if (get_token() != ',') {
        error("variable not defined and no default value is given");
        if (token_ != '}') skip_variable_rest();
        return true;
    }
    // The default may be any value, another variable included.
    bool complete = false;
    if (const Nesting nested{*this}) complete = assign(node);
    if (complete || token_ != '}') skip_variable_rest();
    return true;
}

bool Parser::array_variable(RealSection* node) {
    std::string name;
    if (!read_variable_name(name)) return false;
    if (const std::optional<std::string> text = get_var_str(name)) {
        if (const std::optional<double> number = variable_number(*text)) {
            node->values_.push_back(*number);
            variable_tail(node, *text);
        } else {
            error("environment variable used in array definition cannot be evaluated as number");
        }
        skip_variable_rest();
        return true;
    }
    if (get_token() != ',') {
        error("variable not defined and no default value is given");
        if (token_ != '}') skip_variable_rest();
        return true;
    }
    // Only a number counts as the default inside an array.
    if (get_token() == number_token) node->values_.push_back(number_value_);
    if (token_ != '}') skip_variable_rest();
    return true;
}

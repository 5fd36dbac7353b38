// The tokens of the configuration file format.
#include <climits>

#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/Symbols.h"

namespace {

constexpr int no_byte = -1;

bool is_exponent_letter(int c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

}  // namespace

// The next byte, or no_byte at the end of the input or at a NUL byte (which
// ends the input for good).
int Parser::peek() const {
    if (pos_ >= input_.size() || input_[pos_] == '\0') return no_byte;
    return static_cast<unsigned char>(input_[pos_]);
}

int Parser::take() {
    const int c = peek();
    if (c != no_byte) ++pos_;
    return c;
}

void Parser::count_line() {
    if (line_ < INT_MAX) ++line_;
}

// The two header lines of a written file, when the file begins with them:
// "# Config " and any text, then the rule line, each with its line end (a
// CR LF pair counts as two lines, as everywhere).
void Parser::skip_writer_header() {
    static constexpr std::string_view first = "# Config ";
    if (input_.substr(0, first.size()) != first) return;
    int lines = 0;
    // Past the line end that starts at `at`; npos when none starts there.
    const auto past_line_end = [this, &lines](std::size_t at) -> std::size_t {
        if (at >= input_.size() || !Symbols::is_line_end(static_cast<unsigned char>(input_[at])))
            return std::string_view::npos;
        ++lines;
        if (input_[at] == '\r' && at + 1 < input_.size() && input_[at + 1] == '\n') {
            ++lines;
            return at + 2;
        }
        return at + 1;
    };
    const std::size_t end = input_.find_first_of(std::string_view("\r\n\0", 3));
    if (end == std::string_view::npos || input_[end] == '\0') return;
    std::size_t at = past_line_end(end);
    const std::string& rule = header_rule();
    if (input_.substr(at, rule.size()) != rule) return;
    at = past_line_end(at + rule.size());
    if (at == std::string_view::npos) return;
    pos_ = at;
    for (; lines > 0; --lines) count_line();
}

int Parser::get_token() {
    prev_token_ = token_;
    token_ = stopped_ ? end_of_input : scan();
    return token_;
}

int Parser::scan() {
    for (;;) {
        const int c = peek();
        if (c == no_byte) return end_of_input;
        if (Symbols::is_blank(static_cast<unsigned char>(c))) {
            take();
            if (Symbols::is_line_end(static_cast<unsigned char>(c))) {
                count_line();
                name_on_line_ = false;
            }
            continue;
        }
        if (c == '/') {
            take();
            if (peek() == '*') {
                take();
                skip_block_comment();
                continue;
            }
            // A lone '/' is no token: report it rather than swallow the byte
            // after it (which would read "1/2" as 1).
            error("illegal char");
            return '}';
        }
        break;
    }

    token_text_.clear();
    const int c = take();
    if (Symbols::is_letter(static_cast<unsigned char>(c))) {
        token_text_.push_back(static_cast<char>(c));
        return read_name();
    }
    if (Symbols::is_digit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.') return read_number(c);
    switch (c) {
        case '"': return read_string();
        case '@': return read_link();
        case '#': return read_comment();
        case '$': case ',': case '=': case '[': case ']': case '{': case '}': return c;
        default:
            error("illegal char");
            return '}';
    }
}

int Parser::read_name() {
    for (;;) {
        const int c = peek();
        if (c == no_byte) return end_of_input;
        if (!Symbols::is_letter_or_digit(static_cast<unsigned char>(c))) break;
        token_text_.push_back(static_cast<char>(take()));
    }
    name_on_line_ = true;
    return name_token;
}

int Parser::read_string() {
    const int start_line = line_;
    for (;;) {
        const int c = take();
        if (c == no_byte) {
            error_at(start_line, "unterminated string");
            return end_of_input;
        }
        if (c == '"') return string_token;
        if (Symbols::is_line_end(static_cast<unsigned char>(c))) {
            error("\" outline");
            return string_token;
        }
        token_text_.push_back(static_cast<char>(c));
    }
}

int Parser::read_link() {
    if (!Symbols::is_letter(static_cast<unsigned char>(peek() == no_byte ? 0 : peek()))) {
        error("illegal char in link definition");
        return link_token;
    }
    for (;;) {
        const int c = peek();
        if (c == no_byte || !(Symbols::is_letter_or_digit(static_cast<unsigned char>(c)) || c == '.')) break;
        token_text_.push_back(static_cast<char>(take()));
    }
    return link_token;
}

int Parser::read_comment() {
    for (;;) {
        const int c = take();
        if (c == no_byte) break;  // a comment on the last line needs no line end
        if (Symbols::is_line_end(static_cast<unsigned char>(c))) {
            count_line();
            break;
        }
        token_text_.push_back(static_cast<char>(c));
    }
    comment_after_name_ = name_on_line_;
    name_on_line_ = false;
    return comment_token;
}

void Parser::skip_block_comment() {
    const int start_line = line_;
    int previous = 0;
    for (;;) {
        const int c = take();
        if (c == no_byte) {
            error_at(start_line, "unterminated comment");
            return;
        }
        if (previous == '*' && c == '/') return;
        if (c == '\n') count_line();
        previous = c;
    }
}

int Parser::read_number(int first) {
    std::string literal;      // the bytes as written
    std::string convertible;  // the same with every exponent letter made 'e'
    bool base_digit = false;
    bool point = false;
    bool exponent = false;
    bool exponent_digit = false;
    bool exponent_sign = false;
    const char* failure = nullptr;
    std::string pair;  // for the messages that quote two signs
    number_tail_.clear();

    // `first` has been taken from the input already; every later byte is
    // taken when it belongs to the number or is dropped as the offending one.
    bool taken = true;
    for (int c = first;; c = peek(), taken = false) {
        const char byte = static_cast<char>(c);
        if (c != no_byte && Symbols::is_digit(static_cast<unsigned char>(c))) {
            (exponent ? exponent_digit : base_digit) = true;
        } else if (c == '-' || c == '+') {
            const char last = literal.empty() ? 0 : literal.back();
            if (exponent) {
                if (exponent_digit) {
                    failure = "illegal '-' or '+' in exp";
                } else if (exponent_sign) {
                    pair = std::string("'") + last + byte + "' before exp";
                    failure = pair.c_str();
                } else {
                    exponent_sign = true;
                }
            } else if (base_digit) {
                failure = "'-' or '+' before 'E', 'e', 'd' or 'D'";
            } else if (!literal.empty()) {
                if (byte == '-') failure = last == '-' ? "double '-' before number" : "'+-' syntax";
                else failure = last == '-' ? "'-+' syntax" : "'++' syntax";
            }
        } else if (c == '.') {
            if (exponent) failure = "invlaid '.'";
            else if (point) failure = "double point, syntax";
            else point = true;
        } else if (c != no_byte && is_exponent_letter(c)) {
            if (exponent) failure = "double 'E', 'e', 'd' or 'D'";
            else exponent = true;
        } else {
            // The byte that ends the number stays in the input. A name that
            // follows at once ("2O", "20ps") is no part of the number.
            if (c != no_byte && Symbols::is_letter(static_cast<unsigned char>(c))) {
                for (std::size_t at = pos_; at < input_.size(); ++at) {
                    const auto byte = static_cast<unsigned char>(input_[at]);
                    if (byte == '\0' || !Symbols::is_letter_or_digit(byte)) break;
                    number_tail_.push_back(static_cast<char>(byte));
                }
            }
            break;
        }
        if (!taken) take();
        if (failure != nullptr) break;
        literal.push_back(byte);
        convertible.push_back(is_exponent_letter(c) ? 'e' : byte);
    }

    if (failure != nullptr) {
        error(failure);
    } else if (exponent && !exponent_digit) {
        error("exp digits was forgotten");
    } else if (!base_digit) {
        error("base digits was forgotten");
    }

    const DecimalNumber number = read_decimal(convertible);
    number_value_ = number.value;
    token_text_ = literal;
    if (number.overflow) error("number out of range");
    else if (literal.size() > 3 && number_value_ == 0.0) warning("cannot parse number, set to zero");
    return number_token;
}

int Parser::error_at(int line, const char* text) {
    const int current = line_;
    line_ = line;
    const int errors = error(text);
    line_ = current;
    return errors;
}

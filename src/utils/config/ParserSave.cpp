// The pieces of the file format that the writer shares: header, indentation
// and comment lines.
#include "utils/config/Parser.h"

const std::string& Parser::header_line() {
    static const std::string line = "# Config 1.3 written by Zelmar";
    return line;
}

const std::string& Parser::header_rule() {
    static const std::string line = "# " + std::string(57, '-');
    return line;
}

void Parser::tab(std::string& out, int level) {
    if (level > 0) out.append(static_cast<std::size_t>(level), '\t');
}

void Parser::save_comment(std::string& out, std::string_view comment, int level) {
    for (auto end = comment.find('\n'); end != std::string_view::npos; end = comment.find('\n')) {
        tab(out, level);
        out += '#';
        out += comment.substr(0, end);
        out += '\n';
        comment.remove_prefix(end + 1);
    }
}

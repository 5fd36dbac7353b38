#include "surface/input/Tokenizer.h"

namespace velmesh {

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void tokenize(std::string_view line, std::vector<std::string>& tokens) {
    tokens.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && is_space(line[i])) ++i;
        if (i >= n) return;
        const char quote = line[i];
        if (quote == '"' || quote == '\'') {
            const std::size_t begin = i + 1;
            std::size_t end = line.find(quote, begin);
            if (end == std::string_view::npos) end = n;
            tokens.emplace_back(line.substr(begin, end - begin));
            i = end == n ? n : end + 1;
        } else {
            const std::size_t begin = i;
            while (i < n && !is_space(line[i])) ++i;
            tokens.emplace_back(line.substr(begin, i - begin));
        }
    }
}

}  // namespace velmesh

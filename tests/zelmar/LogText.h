#pragma once
// Log text made comparable: time stamps dropped, line numbers replaced by N.
#include <regex>
#include <sstream>
#include <string>

namespace log_text {

// The time stamp that begins every log line.
inline const std::regex& time_stamp() {
    static const std::regex stamp(R"(^\d{1,2}/\d{1,2}/\d{4}, \d{2}:\d{2}:\d{2} : )");
    return stamp;
}

inline std::string normalised(const std::string& text) {
    static const std::regex line_number(R"(\.(cpp|h)\(\d+\))");
    std::istringstream in(text);
    std::string result;
    std::string line;
    while (std::getline(in, line)) {
        line = std::regex_replace(line, time_stamp(), "");
        result += std::regex_replace(line, line_number, ".$1(N)") + "\n";
    }
    if (!text.empty() && text.back() != '\n' && !result.empty()) result.pop_back();
    return result;
}

}  // namespace log_text

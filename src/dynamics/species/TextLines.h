#pragma once
// Line-by-line reading of the text files that species are made from.
#include <istream>
#include <string>

// The next line without its line end ("\n" or "\r\n"), lines of any length,
// the last one also without a line end; false at the end of the stream.
inline bool read_text_line(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

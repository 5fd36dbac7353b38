#pragma once
// Reads a stream line by line, lines of any length, the last one also when it
// has no line end.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace velmesh {

class LineReader {
public:
    explicit LineReader(std::FILE* stream) : stream_(stream) {}

    // The next line without its line end; false at the end of the stream.
    bool next(std::string& line);

private:
    struct Free {
        void operator()(char* p) const noexcept { std::free(p); }
    };
    std::FILE* stream_;
    std::unique_ptr<char, Free> buffer_;
    std::size_t capacity_ = 0;
};

}  // namespace velmesh

#pragma once
// Text for a file gathered in a large buffer and written in whole blocks,
// with the numbers put in by put_number (NumberText.h): the grid files hold
// millions of numbers, and one formatted-output call per number costs far
// more than the disk.
#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

#include "dynamics/species/NumberText.h"

class BlockWriter {
public:
    explicit BlockWriter(std::FILE* file, std::size_t block_bytes = std::size_t{1} << 20);
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    void number(double value, NumberStyle style) {
        make_room(number_text_room);
        end_ = put_number(end_, value, style);
    }
    void put(char c) {
        make_room(1);
        *end_++ = c;
    }
    void put(std::string_view text);

    // Writes what is left in the buffer; false when any write failed. What
    // has not been finished is not written.
    bool finish();

private:
    void make_room(std::size_t chars) {
        if (static_cast<std::size_t>(buffer_.data() + buffer_.size() - end_) < chars) write_out();
    }
    void write_out();

    std::FILE* file_;
    std::vector<char> buffer_;
    char* end_;  // end of the text in buffer_
    bool failed_ = false;
};

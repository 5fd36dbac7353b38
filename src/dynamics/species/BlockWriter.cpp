#include "dynamics/species/BlockWriter.h"

#include <algorithm>

BlockWriter::BlockWriter(std::FILE* file, std::size_t block_bytes)
    : file_(file), buffer_(std::max(block_bytes, number_text_room)), end_(buffer_.data()) {}

void BlockWriter::put(std::string_view text) {
    while (!text.empty()) {
        make_room(1);
        const std::size_t room = static_cast<std::size_t>(buffer_.data() + buffer_.size() - end_);
        const std::size_t part = std::min(room, text.size());
        end_ = std::copy_n(text.data(), part, end_);
        text.remove_prefix(part);
    }
}

void BlockWriter::write_out() {
    const auto length = static_cast<std::size_t>(end_ - buffer_.data());
    if (!failed_ && std::fwrite(buffer_.data(), 1, length, file_) != length) failed_ = true;
    end_ = buffer_.data();
}

bool BlockWriter::finish() {
    write_out();
    return !failed_;
}

#include "surface/input/LineReader.h"

#include <stdio.h>
#include <sys/types.h>

namespace velmesh {

bool LineReader::next(std::string& line) {
    char* data = buffer_.release();
    const ssize_t length = ::getline(&data, &capacity_, stream_);
    buffer_.reset(data);
    if (length < 0) return false;
    std::size_t size = static_cast<std::size_t>(length);
    if (size > 0 && data[size - 1] == '\n') --size;
    line.assign(data, size);
    return true;
}

}  // namespace velmesh

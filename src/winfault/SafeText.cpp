#include "winfault/SafeText.h"

#include <cerrno>

#include <unistd.h>

namespace winfault {

SafeText& SafeText::append(std::string_view text) {
    for (const char c : text) {
        if (length_ == capacity) break;
        buffer_[length_++] = c;
    }
    buffer_[length_] = '\0';
    return *this;
}

SafeText& SafeText::append_hex(std::uint64_t value, int digits) {
    constexpr char hex[] = "0123456789ABCDEF";
    std::array<char, 16> reversed{};
    int count = 0;
    do {
        reversed[count++] = hex[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int pad = count; pad < digits; ++pad) append("0");
    while (count > 0) append(std::string_view(&reversed[--count], 1));
    return *this;
}

SafeText& SafeText::append_decimal(long value) {
    // In unsigned arithmetic, so that the most negative value has its digits.
    unsigned long magnitude = value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    std::array<char, 20> reversed{};
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) append("-");
    while (count > 0) append(std::string_view(&reversed[--count], 1));
    return *this;
}

void write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace winfault

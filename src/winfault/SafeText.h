#pragma once
// Text built in a fixed buffer without allocating, for signal handlers: no
// heap, no locale, no stdio. Text beyond the capacity is cut off.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace winfault {

class SafeText {
public:
    // Room for a whole log message (the logger keeps 1023 bytes) and its end.
    static constexpr std::size_t capacity = 1023;

    SafeText& append(std::string_view text);
    // `value` in upper-case hexadecimal with at least `digits` digits.
    SafeText& append_hex(std::uint64_t value, int digits);
    SafeText& append_decimal(long value);

    std::string_view view() const { return {buffer_.data(), length_}; }
    const char* c_str() const { return buffer_.data(); }

private:
    std::array<char, capacity + 1> buffer_{};
    std::size_t length_ = 0;
};

// The number of hexadecimal digits of a pointer on this platform.
inline constexpr int pointer_digits = static_cast<int>(sizeof(std::uintptr_t) * 2);

// Writes `text` whole to the file descriptor, going on after interruptions;
// async-signal-safe. Errors are not reported: there is nowhere left to.
void write_all(int fd, std::string_view text);

}  // namespace winfault

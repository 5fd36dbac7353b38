#pragma once
// A failure of the graphics layer (EGL or OpenGL): what was attempted and
// the library's error code.
#include <stdexcept>
#include <string>

class GlError : public std::runtime_error {
public:
    GlError(const std::string& what, unsigned code) : std::runtime_error(what + " (error 0x" + hex(code) + ")"), code_(code) {}
    unsigned code() const { return code_; }

private:
    static std::string hex(unsigned code) {
        static const char digits[] = "0123456789abcdef";
        std::string text;
        do {
            text.insert(text.begin(), digits[code % 16]);
            code /= 16;
        } while (code != 0);
        return text;
    }
    unsigned code_;
};

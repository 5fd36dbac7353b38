#include "surface/Console.h"

#include <cstdarg>

namespace velmesh {

ConsoleStreams& console() {
    static ConsoleStreams streams{stdout, stderr, stdin};
    return streams;
}

void print_out(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(console().out, format, args);
    va_end(args);
}

void print_err(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(console().err, format, args);
    va_end(args);
}

void print_problem(const char* stage, const char* format, ...) {
    std::fprintf(console().out, "    problem in the %s: ", stage);
    va_list args;
    va_start(args, format);
    std::vfprintf(console().out, format, args);
    va_end(args);
    std::fputc('\n', console().out);
}

void exit_run(int status) {
    throw RunExit{status};
}

ConsoleRedirect::ConsoleRedirect(std::FILE* out, std::FILE* err, std::FILE* in) : saved_(console()) {
    if (out != nullptr) console().out = out;
    if (err != nullptr) console().err = err;
    if (in != nullptr) console().in = in;
}

ConsoleRedirect::~ConsoleRedirect() {
    console() = saved_;
}

}  // namespace velmesh

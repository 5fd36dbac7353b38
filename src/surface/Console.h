#pragma once
// The program's console: where its report lines go (standard output), where
// its errors go (standard error) and where "-if -" reads from (standard
// input). Tests point the three streams elsewhere with ConsoleRedirect.
//
// A run ends from wherever it stands with exit_run(status); the entry of the
// program catches the RunExit, flushes both streams and returns the status.
#include <cstdio>

namespace velmesh {

struct ConsoleStreams {
    std::FILE* out;
    std::FILE* err;
    std::FILE* in;
};

ConsoleStreams& console();

void print_out(const char* format, ...) __attribute__((format(printf, 1, 2)));
void print_err(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A problem a stage met, the reason for the restart that follows (or, with
// restarts off, for what the surface lacks): "    problem in the <stage>: "
// and the text, on standard output.
void print_problem(const char* stage, const char* format, ...) __attribute__((format(printf, 2, 3)));

struct RunExit {
    int status;
};

[[noreturn]] void exit_run(int status);

// Points the console at other streams for its lifetime; a null stream keeps
// the current one.
class ConsoleRedirect {
public:
    ConsoleRedirect(std::FILE* out, std::FILE* err, std::FILE* in = nullptr);
    ConsoleRedirect(const ConsoleRedirect&) = delete;
    ConsoleRedirect& operator=(const ConsoleRedirect&) = delete;
    ~ConsoleRedirect();

private:
    ConsoleStreams saved_;
};

}  // namespace velmesh

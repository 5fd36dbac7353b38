#pragma once
// Runs a program as a child process and collects its exit status and output.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

struct ProgramRun {
    int status = -1;  // the exit status; 128 + the signal for a killed child
    std::string out;  // standard output (empty when it was a terminal)
    std::string err;  // standard error
};

struct RunOptions {
    std::filesystem::path folder;  // working folder of the child; empty: the current one
    bool stdout_terminal = false;  // standard output is a pseudo-terminal
};

namespace detail {

struct TmpFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TmpFile = std::unique_ptr<std::FILE, TmpFileCloser>;

inline std::string read_all(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

[[noreturn]] inline void exec_child(const std::vector<std::string>& args, const RunOptions& options, int out_fd,
                                    int err_fd) {
    if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) ::_exit(126);
    if (!options.stdout_terminal) ::dup2(out_fd, STDOUT_FILENO);
    ::dup2(err_fd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

inline int wait_status(pid_t child) {
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0) {
    }
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace detail

// Runs `args` (args[0] is the program's path) and waits for it.
inline ProgramRun run_program(const std::vector<std::string>& args, const RunOptions& options = {}) {
    detail::TmpFile out(std::tmpfile());
    detail::TmpFile err(std::tmpfile());
    if (!out || !err) throw std::runtime_error("tmpfile failed");
    std::fflush(nullptr);

    pid_t child;
    int terminal = -1;
    if (options.stdout_terminal) {
        child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    } else {
        child = ::fork();
    }
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) detail::exec_child(args, options, ::fileno(out.get()), ::fileno(err.get()));

    if (terminal >= 0) {
        // Drain the terminal so the child never blocks on it.
        char buffer[4096];
        while (::read(terminal, buffer, sizeof buffer) > 0) {
        }
        ::close(terminal);
    }
    ProgramRun run;
    run.status = detail::wait_status(child);
    run.out = detail::read_all(out.get());
    run.err = detail::read_all(err.get());
    return run;
}

}  // namespace testing_support

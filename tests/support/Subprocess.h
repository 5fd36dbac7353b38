#pragma once
// Runs a program as a child process and collects its exit status and output.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

struct ProgramRun {
    int status = -1;  // the exit status; 128 + the signal for a killed (or timed-out) child
    std::string out;  // standard output (empty when it was a terminal)
    std::string err;  // standard error
};

struct RunOptions {
    std::filesystem::path folder;  // working folder of the child; empty: the current one
    bool stdout_terminal = false;  // standard output is a pseudo-terminal
    int timeout_seconds = 60;      // then the child and its process group are killed
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
    // A group of its own, so that a hung child can be killed with its
    // children (a child on a terminal leads a session of its own already).
    if (!options.stdout_terminal) ::setpgid(0, 0);
    if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) ::_exit(126);
    if (!options.stdout_terminal) ::dup2(out_fd, STDOUT_FILENO);
    ::dup2(err_fd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Waits for the child; after `timeout_seconds` kills its process group.
inline int wait_status(pid_t child, int timeout_seconds) {
    int raw = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    for (;;) {
        const pid_t done = ::waitpid(child, &raw, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-child, SIGKILL);
            ::kill(child, SIGKILL);
            ::waitpid(child, &raw, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
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

    if (!options.stdout_terminal) ::setpgid(child, child);  // also here, so the group exists before any kill
    if (terminal >= 0) {
        // Drain the terminal so the child never blocks on it; it ends when the
        // child (and everything that holds the terminal) has ended.
        char buffer[4096];
        while (::read(terminal, buffer, sizeof buffer) > 0) {
        }
        ::close(terminal);
    }
    ProgramRun run;
    run.status = detail::wait_status(child, options.timeout_seconds);
    run.out = detail::read_all(out.get());
    run.err = detail::read_all(err.get());
    return run;
}

}  // namespace testing_support

#include "visualization/surfaces/ChildProcess.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A file descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

class SpawnActions {
public:
    SpawnActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

std::string read_to_end(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return text;
        }
    }
}

void wait_for(pid_t child, ChildRun& run) {
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0)
        if (errno != EINTR) return;
    if (WIFEXITED(raw)) {
        run.exited = true;
        run.exit_status = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
        run.signal = WTERMSIG(raw);
    }
}

}  // namespace

std::string ChildRun::outcome() const {
    if (!started) return "not started: " + start_error;
    if (exited) return "exit status " + std::to_string(exit_status);
    return "signal " + std::to_string(signal);
}

ChildRun run_child(const std::vector<std::string>& arguments) {
    ChildRun run;
    if (arguments.empty()) {
        run.start_error = "no program";
        return run;
    }
    int ends[2];
    // Close-on-exec, so that children started by other threads meanwhile
    // do not keep the pipe open.
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        run.start_error = std::strerror(errno);
        return run;
    }
    Descriptor read_end(ends[0]);
    Descriptor write_end(ends[1]);

    SpawnActions actions;
    ::posix_spawn_file_actions_adddup2(actions.get(), write_end.get(), STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(actions.get(), write_end.get(), STDERR_FILENO);
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    const int error = ::posix_spawn(&child, argv[0], actions.get(), nullptr, argv.data(), environ);
    write_end.reset();  // the child holds the only write end now: its end is the output's end
    if (error != 0) {
        run.start_error = std::strerror(error);
        return run;
    }
    run.started = true;
    run.output = read_to_end(read_end.get());
    wait_for(child, run);
    return run;
}

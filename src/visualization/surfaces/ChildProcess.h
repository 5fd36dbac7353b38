#pragma once
// A helper program run as a child process: started from an argument vector
// (no shell, so no quoting and no command in a file name), its standard
// output and error read to their end, then waited for.
#include <string>
#include <vector>

struct ChildRun {
    bool started = false;
    std::string start_error;  // why it did not start (the system's text)
    bool exited = false;      // it ended by itself with exit_status
    int exit_status = -1;
    int signal = 0;           // the signal that ended it, when it did not exit
    std::string output;       // standard output and error, as they came

    bool succeeded() const { return started && exited && exit_status == 0; }
    // "exit status 3", "signal 9" or "not started: <reason>".
    std::string outcome() const;
};

// Runs `arguments[0]` (a path, not searched for) with `arguments` as its
// argument vector and the viewer's environment.
ChildRun run_child(const std::vector<std::string>& arguments);

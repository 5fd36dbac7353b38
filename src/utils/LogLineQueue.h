#pragma once
// A queue of log lines between the threads that log and a window that shows
// them: the logger's sink pushes, the window's thread takes.
//
// Pushing never waits for the window: it holds the queue's lock only to
// append, and taking holds it only to swap the queue out. So a calculation
// thread that logs is never held up by the window thread, and the window
// thread never runs window code from inside a log call.
#include <cstdint>
#include <mutex>
#include <vector>

#include "utils/Log.h"

class LogLineQueue {
public:
    LogLineQueue() = default;
    LogLineQueue(const LogLineQueue&) = delete;
    LogLineQueue& operator=(const LogLineQueue&) = delete;

    // A sink for CLog::SetLineSink that pushes to this queue. Remove it from
    // the logger (CLog::SetLineSink({})) before the queue goes.
    LogSink sink() {
        return [this](const LogLine& line) { push(line); };
    }

    // Appends a copy of `line`. A line that finds no memory is counted as
    // dropped instead (the log file still has it).
    void push(const LogLine& line) noexcept;

    // Every line queued so far, oldest first; the queue is empty afterwards.
    std::vector<LogLine> take();

    // Lines that could not be queued for want of memory.
    std::uint64_t dropped() const;

private:
    mutable std::mutex mutex_;
    std::vector<LogLine> lines_;
    std::uint64_t dropped_ = 0;
};

#pragma once
// The trace callback: the channel through which the configuration code and
// the file helpers report. Before logging starts and after it ends it is
// stdtrace (standard error); while logging it is logtrace (the logger).

// Trace levels.
struct Msgtype {
    static constexpr int event = 0;
    static constexpr int error = 1;
    static constexpr int warning = 2;
    static constexpr int info = 3;
    static constexpr int help = 4;
    static constexpr int message = 5;
    static constexpr int debug = 6;
};

using TraceFunction = void (*)(int level, const char* format, ...);

// The process-wide trace callback; replace it only through Io::SetTraceHandler.
extern TraceFunction trace;

// Writes the formatted message and a line end to standard error.
void stdtrace(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Hands the message to the logger with the location tag "trace level %d" and
// the prefix that belongs to the level.
void logtrace(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

#include "utils/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "utils/Format.h"
#include "utils/Log.h"

TraceFunction trace = stdtrace;

namespace {
const char* const empty_format = "";  // a null format is logged as the empty text
}

void stdtrace(int /*level*/, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string message = vformat(format, args);
    va_end(args);
    std::fprintf(stderr, "%s\n", message.c_str());
}

void logtrace(int level, const char* format, ...) {
    const std::string location = ::format("trace level %d", level);
    const char* prefix = "";
    if (level == Msgtype::error) prefix = CLog::c_sErrorPrefix;
    else if (level == Msgtype::warning) prefix = CLog::c_sWarningPrefix;
    else if (level == Msgtype::message) prefix = CLog::c_sMessagePrefix;
    va_list args;
    va_start(args, format);
    CLog::Write(location.c_str(), prefix, format != nullptr ? format : empty_format, args);
    va_end(args);
}

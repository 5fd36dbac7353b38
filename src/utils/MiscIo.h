#pragma once
#include <string>

#include "utils/Trace.h"

// Small static helpers of the file layer.
class Io {
public:
    // Makes `handler` the process-wide trace callback; a null handler is ignored.
    static void SetTraceHandler(TraceFunction handler);

    // Returns the folder text ended by a backslash.
    static std::string Dir(std::string folder);

    // Kept for callers of the original interface: does nothing and succeeds.
    static bool CreateDirectoryRecursive(const std::string& folder);

    // Finds the value of `option` in a whole command line: the option must be
    // preceded by a blank (a program name always stands first); separators
    // after it are skipped; a quoted value ends at the next quote of either
    // kind. Returns false when the option is absent.
    static bool GetCommandLineOption(const char* option, const char* command_line, std::string& value);
};

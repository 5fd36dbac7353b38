#pragma once
// The front end through which programs obtain configuration trees.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "utils/Trace.h"
#include "utils/config/Section.h"

// How ConfCreate reads (`SConfigParams::mode`).
struct ConfMode {
    static constexpr std::int32_t no_read = 0;         // an empty tree named after the file
    static constexpr std::int32_t read = 1;            // null when unreadable or with errors
    static constexpr std::int32_t read_only = 2;       // as read, and the tree refuses changes
    static constexpr std::int32_t read_or_empty = 3;   // an empty tree when unreadable, null with errors
    static constexpr std::int32_t always_a_tree = 4;   // an empty tree when unreadable or with errors
};

struct SConfigParams {
    std::int32_t mode = ConfMode::no_read;
    // 1: before reading, the default extension becomes ".cfg" and the root
    // folder "./"; any other value leaves them.
    std::int32_t reset_defaults = 0;
    // The $VAR sources, tried left to right: "E" or "e" the environment, any
    // other letter the section that `var_map` names under the file's VAR section.
    std::string var_order;
    std::map<char, std::string> var_map;
};

// Reads the configuration `name` (the default extension added unless it
// occurs in the name) into a new tree that the caller owns. Null for a null
// `params`, an empty name, a mode outside 0 to 4, and as `mode` says for a
// file that cannot be read or has errors (which the reader has reported with
// file and line).
std::unique_ptr<Config> ConfCreate(const char* name, const SConfigParams* params);

// The number of errors the last read of ConfCreate counted, in the file and
// its imports: 0 when it found none or could not open the file.
int ConfErrorCount();

// Sets the root folder, the default extension (".cfg" when null), the trace
// mode and, when not null, the trace handler.
void ConfSet(const char* folder, const char* extension, int trace_mode, TraceFunction handler);

// Sets the trace mode and, when not null, the trace handler.
void ConfSetTrace(int trace_mode, TraceFunction handler);

// Removes the configuration file `name` below the root folder.
bool ConfDelete(const char* name);

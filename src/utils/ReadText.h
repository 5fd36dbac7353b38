#pragma once
// Whole text files read at once.
#include <optional>
#include <string>

// The bytes of the file `name`; none when it cannot be opened or read.
std::optional<std::string> read_text_file(const std::string& name);

#pragma once
// The file-name pattern of an output named by a key of a configuration
// section.
#include <optional>
#include <string>
#include <string_view>

class Section;

// The text of `key` in `section`; none when the section or the key is
// missing. A value beginning with '*' stands for `default_format` filled with
// `name` when a default is given. None, after an error is logged, for a
// default that cannot be filled.
std::optional<std::string> output_pattern(const Section* section, const char* key,
                                          std::optional<std::string_view> default_format, std::string_view name);

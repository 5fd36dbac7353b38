#include "dynamics/output/OutputPattern.h"

#include "dynamics/output/FileNamePattern.h"
#include "utils/Log.h"
#include "utils/config/Section.h"

std::optional<std::string> output_pattern(const Section* section, const char* key,
                                          std::optional<std::string_view> default_format, std::string_view name) {
    const char* value = section != nullptr ? section->GetString(key) : nullptr;
    if (value == nullptr) return std::nullopt;
    if (!default_format || value[0] != '*') return std::string(value);
    file_names::Filled pattern = file_names::fill_default(*default_format, name);
    if (!pattern.text) LOG_ERROR("%s", pattern.error.c_str());
    return std::move(pattern.text);
}

// Names of the output files: patterns from the configuration filled per
// experiment and placed in a folder.
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/output/FileNamePattern.h"
#include "dynamics/output/OutputPattern.h"
#include "utils/Log.h"
#include "utils/platform/Process.h"

namespace {

const char* section_name(const Section* section) {
    const char* name = section != nullptr ? section->GetName("", -1) : nullptr;
    return name != nullptr ? name : "";
}

}  // namespace

std::optional<std::string> PDcalc::make_filename(std::string_view pattern,
                                                 std::optional<std::string_view> folder) const {
    const file_names::PatternValues values{experiment_index, file_names::time_text(file_names::now()),
                                           platform::process_id()};
    file_names::Filled name = file_names::fill_pattern(pattern, values);
    if (!name.text) {
        LOG_ERROR("%s", name.error.c_str());
        return std::nullopt;
    }
    return std::string(folder.value_or(runtime_folder)) + *name.text;
}

std::optional<std::string> PDcalc::make_prot_filename(const PROT_CLASS& species, const char* key,
                                                      std::optional<std::string_view> default_format,
                                                      std::optional<std::string_view> folder) const {
    const auto pattern = output_pattern(species.section, key, default_format, species.name);
    if (!pattern) return std::nullopt;
    return make_filename(*pattern, folder);
}

std::optional<std::string> PDcalc::make_reaction_filename(const REACTION& reaction, const char* key,
                                                          std::optional<std::string_view> default_format,
                                                          std::optional<std::string_view> folder) const {
    const auto pattern = output_pattern(reaction.section, key, default_format, section_name(reaction.section));
    if (!pattern) return std::nullopt;
    return make_filename(*pattern, folder);
}

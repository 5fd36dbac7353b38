#include "dynamics/reactions/ReactionRules.h"

#include <cmath>
#include <limits>

#include "utils/Log.h"
#include "utils/config/Section.h"

void read_reaction_rules(REACTION& reaction) {
    if (reaction.section == nullptr) return;
    const char* name = reaction.section->GetName("", -1);
    if (!reaction.section->GetDouble(reaction.p, "p"))
        LOG_WARNING("reaction %s has no probability \"p\": its contacts never become events",
                    name != nullptr ? name : "");

    double stop = 0;
    reaction.section->GetDouble(stop, "stop");
    if (stop < 1.0) stop *= reaction.N0;
    const double whole = std::floor(stop);
    constexpr auto never = std::numeric_limits<std::int32_t>::max();
    if (whole > 0) reaction.stop = whole < never ? static_cast<std::int32_t>(whole) : never;
}

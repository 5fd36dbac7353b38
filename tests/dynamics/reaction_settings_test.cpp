// What the preparation reads into a reaction besides its dock points (its
// probability and stop rule), and the contact histograms' files per
// experiment.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/ContactStatistics.h"
#include "dynamics/reactions/ReactionRules.h"
#include "support/LoggedText.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace {

constexpr std::int32_t never = std::numeric_limits<std::int32_t>::max();

// A reaction without "p" never turns a contact into an event: that is
// reported. "stop" below 1 is a fraction of the smallest population.
TEST(ReactionRules, ProbabilityAndStop) {
    struct Case {
        std::optional<double> p;
        std::optional<double> stop;
        std::int32_t N0;
        double expected_p;
        std::int32_t expected_stop;
        bool warned;
    };
    const std::vector<Case> cases = {
        {0.25, 0.5, 40, 0.25, 20, false},
        {0, std::nullopt, 40, 0, never, false},        // an explicit 0 is what was asked for
        {std::nullopt, 3.7, 40, 0, 3, true},
        {1, 0, 40, 1, never, false},
        {1, 1, 40, 1, 1, false},
        {1, 0.01, 40, 1, never, false},               // 0.4 of an event: never
        {1, -2, 40, 1, never, false},
        {1, 1e12, 40, 1, never, false},
        {1, 0.5, never, 1, never / 2, false},          // no reactant population yet
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "p " << c.p.value_or(-1) << " stop " << c.stop.value_or(-1));
        RootSection root{"t", false};
        REACTION reaction;
        reaction.section = root.CreateSection("Reactions.bind");
        if (c.p) reaction.section->SetDouble(*c.p, "p");
        if (c.stop) reaction.section->SetDouble(*c.stop, "stop");
        reaction.N0 = c.N0;
        const std::string log = testing_support::logged_text([&] { read_reaction_rules(reaction); });
        EXPECT_EQ(reaction.p, c.expected_p);
        EXPECT_EQ(reaction.stop, c.expected_stop);
        EXPECT_EQ(log.find("warning: reaction bind has no probability \"p\": its contacts never become events\n") !=
                      std::string::npos,
                  c.warned)
            << log;
    }
}

// Each experiment starts its histograms from zero with a file name of its
// own in the output folder.
TEST(ContactStatisticsFiles, EveryExperimentStartsAfresh) {
    backup::reset();
    {
        PDcalc engine;
        engine.out_folder = "out/";
        engine.experiment_index = 3;
        const int bins[2] = {2, 2};
        HISTOGRAM_SAVER saver(2, bins, "pair.%1$d-%3$lu.txt");
        const int cell[2] = {1, 1};
        saver.add(cell);
        const std::string name = "out/pair.3-" + std::to_string(::getpid()) + ".txt";
        EXPECT_EQ(testing_support::logged_text([&] { engine.histogram_init(&saver); }),
                  "message: writing " + name + " ...\n");
        EXPECT_EQ(saver.file_name, name);
        EXPECT_EQ(saver.total_count(), 0u);
        EXPECT_EQ(saver.counter(3), 0u);

        saver.name_format = "pair.%4$d.txt";
        const std::string log = testing_support::logged_text([&] { engine.histogram_init(&saver); });
        EXPECT_NE(log.find("error: failed to make filename\n"), std::string::npos) << log;
        EXPECT_EQ(saver.file_name, std::nullopt);

        EXPECT_EQ(testing_support::logged_text([&] { engine.histogram_init(nullptr); }), "");
    }
    backup::reset();
}

}  // namespace

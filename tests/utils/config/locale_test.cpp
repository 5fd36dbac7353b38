// Numbers read and the defaults logged do not depend on the process locale
// (the viewer's toolkit may set one with a decimal comma).
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "ConfigTestSupport.h"
#include "support/CommaLocale.h"

using namespace config_testing;

namespace {

class CommaLocale : public ConfigTest {};

TEST_F(CommaLocale, NumbersAndDefaultsStayInTheCLocale) {
    const testing_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "cannot build a locale with a decimal comma";
    char check[16];
    std::snprintf(check, sizeof check, "%.1f", 2.5);
    ASSERT_STREQ(check, "2,5");

    write("t.cfg", "x = 2.5\ny = [1.25, 3e-1]\n");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(render(*config, "x"), "n:2.5");
    EXPECT_EQ(render(*config, "y"), "n:1.25,0.3");
    captured().clear();
    double kept = 0.5;
    EXPECT_FALSE(config->GetDouble(kept, "missing"));
    EXPECT_EQ(traces(Msgtype::warning), std::vector<std::string>{"section 'missing': default value 5.000000e-01"});
}

}  // namespace

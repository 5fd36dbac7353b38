// Numbers read and the defaults logged do not depend on the process locale
// (the viewer's toolkit may set one with a decimal comma).
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "ConfigTestSupport.h"

using namespace config_testing;

namespace {

// Builds a German locale into `folder` when the system can; false otherwise.
bool make_comma_locale(const std::string& folder) {
    if (std::system("command -v localedef >/dev/null 2>&1 && test -e /usr/share/i18n/locales/de_DE") != 0) return false;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    std::system(command.c_str());
    ::setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

class CommaLocale : public ConfigTest {
protected:
    void TearDown() override {
        std::setlocale(LC_NUMERIC, "C");
        ::unsetenv("LOCPATH");
        ConfigTest::TearDown();
    }
};

TEST_F(CommaLocale, NumbersAndDefaultsStayInTheCLocale) {
    testing_support::TempDir locales;
    if (!make_comma_locale(locales.path().string())) GTEST_SKIP() << "cannot build a locale with a decimal comma";
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

#pragma once
// A numeric locale with a decimal comma, built for the test when the system
// has the locale sources, so that tests can show that numbers stay in the C
// locale whatever the process has set.
#include <clocale>
#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace testing_support {

class CommaLocale {
public:
    CommaLocale() {
        if (std::system("command -v localedef >/dev/null 2>&1 && test -e /usr/share/i18n/locales/de_DE") != 0) return;
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder_.path().string() + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1) return;
        ::setenv("LOCPATH", folder_.path().c_str(), 1);
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, "C");
        ::unsetenv("LOCPATH");
    }

    // Whether the process now runs under the comma locale.
    bool active() const { return active_; }

private:
    TempDir folder_;
    bool active_ = false;
};

}  // namespace testing_support

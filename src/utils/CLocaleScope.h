#pragma once
// The C locale for numbers on this thread while the scope lasts: texts the
// system writes and reads (messages, caches, tables) use the C locale
// whatever locale the process (a desktop toolkit, say) has set.
#include <locale.h>

class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(c_locale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t c_locale() {
        static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
        return locale;
    }
    locale_t previous_;
};

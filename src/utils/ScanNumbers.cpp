#include "utils/ScanNumbers.h"

#include <locale.h>

#include <cstdlib>

namespace {

locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

bool NumberScanner::next(double& value) {
    if (position_ >= text_.size()) return false;
    const char* start = text_.c_str() + position_;
    char* end = nullptr;
    const double number = strtod_l(start, &end, c_locale());
    if (end == start) return false;
    value = number;
    position_ += static_cast<std::size_t>(end - start);
    return true;
}

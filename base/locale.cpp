#include "base/locale.h"

namespace base {

namespace {

char& Current() {
    static char decimal = ReadDecimalSeparator(GetThreadLocale());
    return decimal;
}

}  // namespace

bool LocaleInfo(LCID locale, LCTYPE type, std::string& out) {
    char buffer[128];
    const int n = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
    if (n <= 1) return false;
    out.assign(buffer, static_cast<size_t>(n - 1));
    return true;
}

char ReadDecimalSeparator(LCID locale) {
    std::string v;
    return LocaleInfo(locale, LOCALE_SDECIMAL, v) ? v[0] : '.';
}

char CurrentDecimalSeparator() { return Current(); }

void ReloadDecimalSeparator() { Current() = ReadDecimalSeparator(LOCALE_USER_DEFAULT); }

}  // namespace base

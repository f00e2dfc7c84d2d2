#include "base/locale.h"

namespace base {

namespace {

std::string& Current() {
    static std::string decimal = ReadDecimalSeparator(GetThreadLocale());
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

std::string ReadDecimalSeparator(LCID locale) {
    std::string v;
    return LocaleInfo(locale, LOCALE_SDECIMAL, v) ? v : std::string(".");
}

const std::string& CurrentDecimalSeparator() { return Current(); }

void ReloadDecimalSeparator() { Current() = ReadDecimalSeparator(LOCALE_USER_DEFAULT); }

}  // namespace base

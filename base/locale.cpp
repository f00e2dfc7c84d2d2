#include "base/locale.h"

#include "base/fs.h"

namespace base {

namespace {

std::string& Current() {
    static std::string decimal = ReadDecimalSeparator(GetThreadLocale());
    return decimal;
}

}  // namespace

bool LocaleInfo(LCID locale, LCTYPE type, std::string& out) {
    wchar_t buffer[128];
    const int n = GetLocaleInfoW(locale, type, buffer, static_cast<int>(sizeof buffer / sizeof buffer[0]));
    if (n <= 1) return false;
    out = fs::Narrow(std::wstring(buffer, static_cast<size_t>(n - 1)));
    return true;
}

std::string ReadDecimalSeparator(LCID locale) {
    std::string v;
    return LocaleInfo(locale, LOCALE_SDECIMAL, v) ? v : std::string(".");
}

const std::string& CurrentDecimalSeparator() { return Current(); }

void ReloadDecimalSeparator() { Current() = ReadDecimalSeparator(LOCALE_USER_DEFAULT); }

}  // namespace base

#include "app/locale.h"

namespace {

bool Info(LCID locale, LCTYPE type, std::string& out) {
    char buffer[128];
    const int n = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
    if (n <= 1) return false;
    out.assign(buffer, static_cast<size_t>(n - 1));
    return true;
}

struct Settings {
    DateTimeFormat format;
    std::string decimal = ".";
    void Load(LCID locale) {
        format = ReadDateTimeFormat(locale);
        decimal = ReadDecimalSeparator(locale);
    }
};

Settings& Current() {
    static Settings settings = [] {
        Settings s;
        s.Load(GetThreadLocale());
        return s;
    }();
    return settings;
}

}  // namespace

DateTimeFormat ReadDateTimeFormat(LCID locale) {
    DateTimeFormat f;
    std::string v;
    if (Info(locale, LOCALE_SSHORTDATE, v)) f.shortDate = v;
    if (Info(locale, LOCALE_SDATE, v)) f.dateSeparator = v;
    if (Info(locale, LOCALE_STIME, v)) f.timeSeparator = v;
    if (Info(locale, LOCALE_ITLZERO, v)) f.hourLeadingZero = v == "1";
    if (Info(locale, LOCALE_ITIME, v)) f.clock24 = v == "1";
    if (Info(locale, LOCALE_ITIMEMARKPOSN, v)) f.markerBeforeTime = v == "1";
    f.am = Info(locale, LOCALE_S1159, v) ? v : "am";
    f.pm = Info(locale, LOCALE_S2359, v) ? v : "pm";
    for (int i = 0; i < 7; ++i) {
        // The locale counts Monday first; the format keeps Sunday first.
        const int slot = (i + 1) % 7;
        if (Info(locale, LOCALE_SABBREVDAYNAME1 + i, v)) f.shortDayNames[slot] = v;
        if (Info(locale, LOCALE_SDAYNAME1 + i, v)) f.longDayNames[slot] = v;
    }
    for (int i = 0; i < 12; ++i) {
        if (Info(locale, LOCALE_SABBREVMONTHNAME1 + i, v)) f.shortMonthNames[i] = v;
        if (Info(locale, LOCALE_SMONTHNAME1 + i, v)) f.longMonthNames[i] = v;
    }
    return f;
}

std::string ReadDecimalSeparator(LCID locale) {
    // Whole: in UTF-8 a separator can take more than one byte.
    std::string v;
    return Info(locale, LOCALE_SDECIMAL, v) ? v : std::string(".");
}

const DateTimeFormat& CurrentDateTimeFormat() { return Current().format; }

const std::string& CurrentDecimalSeparator() { return Current().decimal; }

void ReloadFormatSettings() { Current().Load(LOCALE_USER_DEFAULT); }

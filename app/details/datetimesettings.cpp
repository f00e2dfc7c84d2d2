#include "app/details/datetimesettings.h"

#include "base/locale.h"

namespace {

using base::LocaleInfo;

DateTimeFormat& Current() {
    static DateTimeFormat format = ReadDateTimeFormat(GetThreadLocale());
    return format;
}

}  // namespace

DateTimeFormat ReadDateTimeFormat(LCID locale) {
    DateTimeFormat f;
    std::string v;
    if (LocaleInfo(locale, LOCALE_SSHORTDATE, v)) f.shortDate = v;
    if (LocaleInfo(locale, LOCALE_SDATE, v)) f.dateSeparator = v;
    if (LocaleInfo(locale, LOCALE_STIME, v)) f.timeSeparator = v;
    if (LocaleInfo(locale, LOCALE_ITLZERO, v)) f.hourLeadingZero = v == "1";
    if (LocaleInfo(locale, LOCALE_ITIME, v)) f.clock24 = v == "1";
    if (LocaleInfo(locale, LOCALE_ITIMEMARKPOSN, v)) f.markerBeforeTime = v == "1";
    f.am = LocaleInfo(locale, LOCALE_S1159, v) ? v : "am";
    f.pm = LocaleInfo(locale, LOCALE_S2359, v) ? v : "pm";
    for (int i = 0; i < 7; ++i) {
        // The locale counts Monday first; the format keeps Sunday first.
        const int slot = (i + 1) % 7;
        if (LocaleInfo(locale, LOCALE_SABBREVDAYNAME1 + i, v)) f.shortDayNames[slot] = v;
        if (LocaleInfo(locale, LOCALE_SDAYNAME1 + i, v)) f.longDayNames[slot] = v;
    }
    for (int i = 0; i < 12; ++i) {
        if (LocaleInfo(locale, LOCALE_SABBREVMONTHNAME1 + i, v)) f.shortMonthNames[i] = v;
        if (LocaleInfo(locale, LOCALE_SMONTHNAME1 + i, v)) f.longMonthNames[i] = v;
    }
    return f;
}

const DateTimeFormat& CurrentDateTimeFormat() { return Current(); }

std::string CurrentDateTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    TDateTime date = 0, time = 0;
    TryEncodeDate(now.wYear, now.wMonth, now.wDay, date);
    TryEncodeTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, time);
    return DateTimeText(date + time, Current());
}

void ReloadFormatSettings() {
    Current() = ReadDateTimeFormat(LOCALE_USER_DEFAULT);
    base::ReloadDecimalSeparator();
}

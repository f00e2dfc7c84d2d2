// The date-time text shown in the time fields and in the report header: the
// short date, then a space and the long time only when the hour, minute or
// second is not zero (milliseconds are never looked at).
#pragma once

#include <array>
#include <string>

#include "components/datetime.h"

// The locale settings the text is built from. The defaults are what is used
// where the locale gives nothing.
struct DateTimeFormat {
    std::string shortDate = "m/d/yy";  // each '/' stands for dateSeparator
    std::string dateSeparator = "/";
    std::string timeSeparator = ":";   // stands for each ':' of the time
    bool hourLeadingZero = false;      // "hh" instead of "h"
    bool clock24 = false;              // false: 12-hour clock with a marker
    bool markerBeforeTime = false;
    std::string am = "am";
    std::string pm = "pm";
    // Names for the "ddd"/"dddd" and "mmm"/"mmmm" patterns, Sunday first.
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDayNames{"Sunday", "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonthNames{"January", "February", "March", "April",
                                               "May", "June", "July", "August",
                                               "September", "October", "November", "December"};
};

// The date of V by the short date pattern. Pattern letters are case-blind:
// d, dd, ddd, dddd, m, mm, mmm, mmmm, yy, yyyy (y and yyy act as yy and yyyy);
// text in single or double quotes is copied; every other character is copied,
// '/' becoming the date separator.
std::string FormatShortDate(const DateTimeParts& p, const DateTimeFormat& f);
// The long time: h or hh, then ":mm:ss" with the time separator, plus the AM
// or PM marker on the 12-hour clock.
std::string FormatLongTime(const DateTimeParts& p, const DateTimeFormat& f);
// The whole rule.
std::string DateTimeText(TDateTime v, const DateTimeFormat& f);

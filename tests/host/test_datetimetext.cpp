// The date-time text of the time fields and the report header, under the
// settings of a few typical locales.
#include <gtest/gtest.h>

#include <string>

#include "app/details/datetimetext.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    TDateTime date = 0.0;
    TDateTime time = 0.0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(TryEncodeTime(h, mi, s, ms, time));
    return date + time;
}

DateTimeFormat EnglishUS() {
    DateTimeFormat f;
    f.shortDate = "M/d/yyyy";
    f.am = "AM";
    f.pm = "PM";
    return f;
}

DateTimeFormat German() {
    DateTimeFormat f;
    f.shortDate = "dd.MM.yyyy";
    f.dateSeparator = ".";
    f.hourLeadingZero = true;
    f.clock24 = true;
    return f;
}

// Marker in front of the time; the markers are bytes of a double-byte code page.
DateTimeFormat Korean() {
    DateTimeFormat f;
    f.shortDate = "yyyy-MM-dd";
    f.dateSeparator = "-";
    f.markerBeforeTime = true;
    f.am = "\xBF\xC0\xC0\xFC";
    f.pm = "\xBF\xC0\xC8\xC4";
    return f;
}

struct TextCase {
    const char* locale;
    DateTimeFormat format;
    TDateTime value;
    const char* expected;
};

TEST(DateTimeText, Locales) {
    const TextCase cases[] = {
        {"en-US", EnglishUS(), At(2009, 7, 3, 14, 5, 9), "7/3/2009 2:05:09 PM"},
        {"en-US", EnglishUS(), At(2009, 7, 3), "7/3/2009"},
        {"en-US", EnglishUS(), At(2009, 7, 3, 0, 0, 0, 999), "7/3/2009"},
        {"en-US", EnglishUS(), At(2009, 7, 3, 0, 0, 1), "7/3/2009 12:00:01 AM"},
        {"en-US", EnglishUS(), At(2009, 7, 3, 0, 30, 0), "7/3/2009 12:30:00 AM"},
        {"en-US", EnglishUS(), At(2009, 7, 3, 11, 59, 59), "7/3/2009 11:59:59 AM"},
        {"en-US", EnglishUS(), At(2009, 7, 3, 12, 0, 1), "7/3/2009 12:00:01 PM"},
        {"en-US", EnglishUS(), At(2009, 12, 31, 23, 59, 58), "12/31/2009 11:59:58 PM"},
        {"en-US", EnglishUS(), 0.0, "12/30/1899"},
        {"en-US", EnglishUS(), -1.0, "12/29/1899"},
        {"en-US", EnglishUS(), -1.25, "12/29/1899 6:00:00 AM"},
        {"de-DE", German(), At(2009, 7, 3, 14, 5, 9), "03.07.2009 14:05:09"},
        {"de-DE", German(), At(2009, 7, 3, 9, 5, 9), "03.07.2009 09:05:09"},
        {"de-DE", German(), At(2009, 7, 3, 0, 0, 1), "03.07.2009 00:00:01"},
        {"de-DE", German(), At(2009, 7, 3, 0, 0, 0, 500), "03.07.2009"},
        {"de-DE", German(), 0.0, "30.12.1899"},
        {"ko-KR", Korean(), At(2009, 7, 3, 14, 5, 9), "2009-07-03 \xBF\xC0\xC8\xC4 2:05:09"},
        {"ko-KR", Korean(), At(2009, 7, 3, 9, 5, 9), "2009-07-03 \xBF\xC0\xC0\xFC 9:05:09"},
        {"defaults", DateTimeFormat{}, At(2009, 7, 3, 14, 5, 9), "7/3/09 2:05:09 pm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " -> " + c.expected);
        EXPECT_EQ(DateTimeText(c.value, c.format), c.expected);
    }
}

TEST(DateTimeText, LongTimeSettings) {
    const DateTimeParts p{2009, 7, 3, 8, 4, 2, 0, 6};
    DateTimeFormat f;
    f.timeSeparator = ".";
    f.hourLeadingZero = true;
    EXPECT_EQ(FormatLongTime(p, f), "08.04.02 am");
    f.markerBeforeTime = true;
    EXPECT_EQ(FormatLongTime(p, f), "am 08.04.02");
    f.clock24 = true;
    EXPECT_EQ(FormatLongTime(p, f), "08.04.02");
    f.hourLeadingZero = false;
    EXPECT_EQ(FormatLongTime(p, f), "8.04.02");
}

struct PatternCase {
    const char* pattern;
    const char* separator;
    const char* expected;
};

TEST(DateTimeText, ShortDatePatterns) {
    // Friday 3 July 2009.
    const DateTimeParts friday{2009, 7, 3, 0, 0, 0, 0, 6};
    const PatternCase cases[] = {
        {"m/d/yy", "/", "7/3/09"},
        {"dd/mm/yyyy", "-", "03-07-2009"},
        {"DD/MM/YYYY", "/", "03/07/2009"},
        {"y", "/", "09"},
        {"yyy", "/", "2009"},
        {"ddd, d mmm yyyy", "/", "Fri, 3 Jul 2009"},
        {"dddd d MMMM yyyy", "/", "Friday 3 July 2009"},
        // A dot in the pattern is copied; only '/' stands for the separator.
        {"dd.MM.yyyy", "/", "03.07.2009"},
        {"d/M", ". ", "3. 7"},
        {"'d'd \"m\"m", "/", "d3 m7"},
        {"yyyy'/'M", "-", "2009/7"},
        {"'open", "/", "open"},
        {"[d]", "/", "[3]"},
        {"", "/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        DateTimeFormat f;
        f.shortDate = c.pattern;
        f.dateSeparator = c.separator;
        EXPECT_EQ(FormatShortDate(friday, f), c.expected);
    }
}

TEST(DateTimeText, YearsAreZeroPadded) {
    DateTimeFormat f;
    f.shortDate = "yyyy|yy";
    EXPECT_EQ(FormatShortDate(DecodeDateTime(At(5, 1, 1)), f), "0005|05");
    EXPECT_EQ(FormatShortDate(DecodeDateTime(At(2100, 1, 1)), f), "2100|00");
}

TEST(DateTimeText, NamesFollowTheLocaleTables) {
    DateTimeFormat f;
    f.shortDate = "dddd ddd mmmm mmm";
    f.longDayNames[0] = "Sonntag";
    f.shortDayNames[0] = "So";
    f.longMonthNames[0] = "Januar";
    f.shortMonthNames[0] = "Jan.";
    // 4 January 2009 was a Sunday.
    EXPECT_EQ(FormatShortDate(DecodeDateTime(At(2009, 1, 4)), f), "Sonntag So Januar Jan.");
}

}  // namespace

// TDateTime arithmetic and the DOS date and time conversions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "components/datetime.h"

namespace {

TDateTime Encode(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    TDateTime date = 0.0;
    TDateTime time = 0.0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date)) << y << "-" << mo << "-" << d;
    EXPECT_TRUE(TryEncodeTime(h, mi, s, ms, time)) << h << ":" << mi << ":" << s << "." << ms;
    return date + time;
}

std::string Describe(const DateTimeParts& p) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d wd%d", p.year,
                  p.month, p.day, p.hour, p.minute, p.second, p.millisecond, p.dayOfWeek);
    return buffer;
}

TEST(DateTimeCalendar, LeapYears) {
    const struct {
        int year;
        bool leap;
    } cases[] = {{1900, false}, {1980, true}, {1999, false}, {2000, true},
                 {2004, true},  {2100, false}, {2400, true}};
    for (const auto& c : cases) EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
}

TEST(DateTimeCalendar, EncodeDateKnownDayNumbers) {
    const struct {
        int y, m, d;
        double value;
    } cases[] = {
        {1899, 12, 30, 0.0},     {1899, 12, 29, -1.0},      {1900, 1, 1, 2.0},
        {1970, 1, 1, 25569.0},   {1980, 1, 1, 29221.0},     {2000, 1, 1, 36526.0},
        {1, 1, 1, -693593.0},    {9999, 12, 31, 2958465.0},
    };
    for (const auto& c : cases) {
        TDateTime v = 12345.0;
        EXPECT_TRUE(TryEncodeDate(c.y, c.m, c.d, v)) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(v, c.value) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(DateTimeCalendar, EncodeDateRejectsDaysOutsideTheCalendar) {
    const struct {
        int y, m, d;
    } cases[] = {{2001, 2, 29}, {1900, 2, 29}, {2009, 4, 31}, {2009, 6, 31}, {2009, 1, 32},
                 {2009, 0, 1},  {2009, 13, 1}, {2009, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
    for (const auto& c : cases) {
        TDateTime v = 0.0;
        EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, v)) << c.y << "-" << c.m << "-" << c.d;
    }
    TDateTime v = 0.0;
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
}

TEST(DateTimeCalendar, EncodeTime) {
    TDateTime v = 0.0;
    ASSERT_TRUE(TryEncodeTime(12, 0, 0, 0, v));
    EXPECT_EQ(v, 0.5);
    ASSERT_TRUE(TryEncodeTime(6, 0, 0, 0, v));
    EXPECT_EQ(v, 0.25);
    const int bad[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& b : bad) {
        EXPECT_FALSE(TryEncodeTime(b[0], b[1], b[2], b[3], v))
            << b[0] << ":" << b[1] << ":" << b[2] << "." << b[3];
    }
}

TEST(DateTimeDecode, WholeDaysAndFractionAndDayOfWeek) {
    const struct {
        double v;
        const char* expected;
    } cases[] = {
        {0.0, "1899-12-30 00:00:00.000 wd7"},
        {0.5, "1899-12-30 12:00:00.000 wd7"},
        {-1.0, "1899-12-29 00:00:00.000 wd6"},
        // The whole part counts days, the fraction is taken by its magnitude.
        {-1.25, "1899-12-29 06:00:00.000 wd6"},
        {-0.5, "1899-12-30 12:00:00.000 wd7"},
        {-2.75, "1899-12-28 18:00:00.000 wd5"},
        {25569.0, "1970-01-01 00:00:00.000 wd5"},
        {36526.0, "2000-01-01 00:00:00.000 wd7"},
        {36585.0, "2000-02-29 00:00:00.000 wd3"},
        {-693593.0, "0001-01-01 00:00:00.000 wd2"},
        {2958465.0, "9999-12-31 00:00:00.000 wd6"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Describe(DecodeDateTime(c.v)), c.expected) << c.v;
    }
}

TEST(DateTimeDecode, EncodedValuesReadBackToTheMillisecond) {
    const DateTimeParts cases[] = {
        {2009, 7, 3, 14, 5, 9, 0, 6},     {2009, 7, 3, 10, 15, 37, 900, 6},
        {1980, 1, 1, 0, 0, 0, 1, 3},      {2107, 12, 31, 23, 59, 59, 999, 7},
        {1999, 12, 31, 23, 59, 58, 0, 6}, {2000, 2, 29, 0, 0, 0, 999, 3},
    };
    for (const auto& c : cases) {
        const DateTimeParts p = DecodeDateTime(
            Encode(c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond));
        EXPECT_EQ(Describe(p), Describe(c));
    }
}

TEST(DateTimeDecode, NonFiniteValuesGiveTheZeroDate) {
    for (double v : {std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        EXPECT_EQ(Describe(DecodeDateTime(v)), "1899-12-30 00:00:00.000 wd7") << v;
    }
}

// DOS dates and times written as the 16-bit fields they are on disk.
struct DosCase {
    std::uint16_t date;
    std::uint16_t time;
    const char* expected;  // nullptr: not a valid date and time
};

TEST(DateTimeDos, ToDateTime) {
    const DosCase cases[] = {
        {0x0021, 0x0000, "1980-01-01 00:00:00.000 wd3"},
        // 2107-12-31 23:59:58, the last moment a DOS time can hold.
        {0xFF9F, 0xBF7D, "2107-12-31 23:59:58.000 wd7"},
        // 2009-07-03 10:15:36: date 29<<9 | 7<<5 | 3, time 10<<11 | 15<<5 | 18.
        {0x3AE3, 0x51F2, "2009-07-03 10:15:36.000 wd6"},
        // 2000-02-29.
        {0x285D, 0x0000, "2000-02-29 00:00:00.000 wd3"},
        {0x0000, 0x0000, nullptr},
        {0x0000, 0x51F2, nullptr},  // month 0, day 0
        {0x0001, 0x0000, nullptr},  // month 0
        {0x01A1, 0x0000, nullptr},  // month 13
        {0x3A9F, 0x0000, nullptr},  // 31 April 2009
        {0x2A5D, 0x0000, nullptr},  // 29 February 2001
        {0x0020, 0x0000, nullptr},  // day 0
        {0x0021, 0xC000, nullptr},  // hour 24
        {0x0021, 0x0780, nullptr},  // minute 60
        {0x0021, 0x001E, nullptr},  // second field 30, that is 60 seconds
        {0x0021, 0x001F, nullptr},  // 62 seconds
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.date << " " << c.time);
        const TDateTime v = DosDateTimeToDateTime(c.date, c.time);
        if (c.expected == nullptr) {
            EXPECT_EQ(v, -1.0);
        } else {
            EXPECT_EQ(Describe(DecodeDateTime(v)), c.expected);
        }
    }
}

TEST(DateTimeDos, FromDateTime) {
    const struct {
        TDateTime v;
        std::uint16_t date;
        std::uint16_t time;
    } cases[] = {
        {Encode(1980, 1, 1), 0x0021, 0x0000},
        {Encode(2107, 12, 31, 23, 59, 59, 999), 0xFF9F, 0xBF7D},
        // Milliseconds dropped and the odd second rounded down: 10:15:37.9 is 10:15:36.
        {Encode(2009, 7, 3, 10, 15, 37, 900), 0x3AE3, 0x51F2},
        {Encode(2009, 7, 3, 10, 15, 36), 0x3AE3, 0x51F2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Describe(DecodeDateTime(c.v)));
        std::uint16_t date = 0;
        std::uint16_t time = 0;
        ASSERT_TRUE(DateTimeToDosDateTime(c.v, date, time));
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(time, c.time);
    }
}

TEST(DateTimeDos, FromDateTimeOutsideTheRangeFails) {
    for (TDateTime v : {Encode(1979, 12, 31, 23, 59, 59), Encode(2108, 1, 1), 0.0, -1.0}) {
        SCOPED_TRACE(Describe(DecodeDateTime(v)));
        std::uint16_t date = 0x1234;
        std::uint16_t time = 0x5678;
        EXPECT_FALSE(DateTimeToDosDateTime(v, date, time));
    }
}

TEST(DateTimeDos, RoundTripKeepsEvenSeconds) {
    for (int second = 0; second < 60; ++second) {
        std::uint16_t date = 0;
        std::uint16_t time = 0;
        ASSERT_TRUE(DateTimeToDosDateTime(Encode(2024, 2, 29, 23, 59, second, 999), date, time));
        const DateTimeParts p = DecodeDateTime(DosDateTimeToDateTime(date, time));
        EXPECT_EQ(Describe(p), Describe({2024, 2, 29, 23, 59, second - second % 2, 0, 5}))
            << second;
    }
}

}  // namespace

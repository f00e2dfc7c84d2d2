// TDateTime arithmetic: a local date and time held as a double, whole days
// since 30 December 1899 plus the fraction of the day. For negative values the
// whole part still counts days and the fraction is taken by its magnitude, so
// -1.0 is 29 December 1899 at midnight and -1.25 is that day at 06:00.
//
// Also the conversions between TDateTime and the 16-bit DOS date and time,
// which have a resolution of two seconds and cover 1980 to 2107.
#pragma once

#include <cstdint>

using TDateTime = double;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 7;  // 1 = Sunday ... 7 = Saturday
};

bool IsLeapYear(int year);
// False for a date or time outside the calendar (year 1 to 9999).
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& out);
// The date and the time of day of V, milliseconds included. A value that is
// not finite or lies millions of days away gives 30 December 1899, midnight.
DateTimeParts DecodeDateTime(TDateTime v);

// The DOS date D and time T as a TDateTime: -1.0 when both are 0 or they do
// not form a valid date and time.
TDateTime DosDateTimeToDateTime(std::uint16_t date, std::uint16_t time);
// False when the year of V is before 1980 or after 2107; milliseconds are
// dropped and an odd second rounded down.
bool DateTimeToDosDateTime(TDateTime v, std::uint16_t& date, std::uint16_t& time);

#include "components/datetime.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
// Day number of 30 December 1899 counted from 1 January 1970.
constexpr std::int64_t kEpochOffset = -25569;
// Beyond this many days from the epoch no calendar year of 1 to 9999 is left;
// the bound keeps the millisecond count well inside 64 bits.
constexpr double kMaxDays = 1.0e7;

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1 January 1970 to the given proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    out = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                            static_cast<unsigned>(day)) -
                              kEpochOffset);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        return false;
    }
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    out = static_cast<double>(ms) / static_cast<double>(kMSecsPerDay);
    return true;
}

DateTimeParts DecodeDateTime(TDateTime v) {
    DateTimeParts parts;
    if (!std::isfinite(v) || std::fabs(v) > kMaxDays) return parts;

    // Rounded to the millisecond first, so that a value a hair below a whole
    // second (the usual residue of the division in TryEncodeTime) reads back
    // as that second. The day counts toward zero and the time of day is taken
    // from the magnitude, which is what makes -1.25 read as 06:00.
    const std::int64_t total = std::llround(v * static_cast<double>(kMSecsPerDay));
    const std::int64_t days = total / kMSecsPerDay;
    std::int64_t ms = std::llabs(total) % kMSecsPerDay;

    const std::int64_t civilDays = days + kEpochOffset;
    CivilFromDays(civilDays, parts.year, parts.month, parts.day);
    // 1 January 1970 was a Thursday, day 5 when Sunday is 1.
    parts.dayOfWeek = static_cast<int>(((civilDays + 4) % 7 + 7) % 7) + 1;

    parts.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    parts.second = static_cast<int>(ms % 60);
    ms /= 60;
    parts.minute = static_cast<int>(ms % 60);
    parts.hour = static_cast<int>(ms / 60);
    return parts;
}

TDateTime DosDateTimeToDateTime(std::uint16_t date, std::uint16_t time) {
    if (date == 0 && time == 0) return -1.0;
    TDateTime d = 0.0;
    TDateTime t = 0.0;
    if (!TryEncodeDate(1980 + (date >> 9), (date >> 5) & 15, date & 31, d) ||
        !TryEncodeTime(time >> 11, (time >> 5) & 63, (time & 31) * 2, 0, t)) {
        return -1.0;
    }
    return d + t;
}

bool DateTimeToDosDateTime(TDateTime v, std::uint16_t& date, std::uint16_t& time) {
    const DateTimeParts p = DecodeDateTime(v);
    if (p.year < 1980 || p.year > 2107) return false;
    date = static_cast<std::uint16_t>(p.day | (p.month << 5) | ((p.year - 1980) << 9));
    time = static_cast<std::uint16_t>((p.second >> 1) | (p.minute << 5) | (p.hour << 11));
    return true;
}

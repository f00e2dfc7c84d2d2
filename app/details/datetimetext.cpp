#include "app/details/datetimetext.h"

#include <cstdio>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Number(int value, int minDigits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", minDigits, value);
    return buffer;
}

// Index of a 1-based month or day-of-week into a name table, kept in range so
// that a value outside the calendar cannot read past the table.
template <std::size_t N>
const std::string& NameAt(const std::array<std::string, N>& names, int oneBased) {
    const int i = oneBased < 1 ? 0 : (oneBased > static_cast<int>(N) ? static_cast<int>(N) - 1
                                                                    : oneBased - 1);
    return names[static_cast<std::size_t>(i)];
}

}  // namespace

std::string FormatShortDate(const DateTimeParts& p, const DateTimeFormat& f) {
    const std::string& pattern = f.shortDate;
    std::string out;
    std::string::size_type i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char lower = LowerAscii(c);
        if (c == '\'' || c == '"') {
            const auto close = pattern.find(c, i + 1);
            const auto end = close == std::string::npos ? pattern.size() : close;
            out.append(pattern, i + 1, end - i - 1);
            i = close == std::string::npos ? end : close + 1;
            continue;
        }
        if (c == '/') {
            out += f.dateSeparator;
            ++i;
            continue;
        }
        if (lower != 'd' && lower != 'm' && lower != 'y') {
            out += c;
            ++i;
            continue;
        }

        std::string::size_type run = 1;
        while (i + run < pattern.size() && LowerAscii(pattern[i + run]) == lower) ++run;
        i += run;
        switch (lower) {
            case 'd':
                if (run == 1) out += Number(p.day, 1);
                else if (run == 2) out += Number(p.day, 2);
                else if (run == 3) out += NameAt(f.shortDayNames, p.dayOfWeek);
                else out += NameAt(f.longDayNames, p.dayOfWeek);
                break;
            case 'm':
                if (run == 1) out += Number(p.month, 1);
                else if (run == 2) out += Number(p.month, 2);
                else if (run == 3) out += NameAt(f.shortMonthNames, p.month);
                else out += NameAt(f.longMonthNames, p.month);
                break;
            default:
                if (run <= 2) out += Number(p.year % 100, 2);
                else out += Number(p.year, 4);
                break;
        }
    }
    return out;
}

std::string FormatLongTime(const DateTimeParts& p, const DateTimeFormat& f) {
    int hour = p.hour;
    if (!f.clock24) {
        hour %= 12;
        if (hour == 0) hour = 12;
    }
    std::string time = Number(hour, f.hourLeadingZero ? 2 : 1);
    time += f.timeSeparator;
    time += Number(p.minute, 2);
    time += f.timeSeparator;
    time += Number(p.second, 2);
    if (f.clock24) return time;

    const std::string& marker = p.hour < 12 ? f.am : f.pm;
    return f.markerBeforeTime ? marker + " " + time : time + " " + marker;
}

std::string DateTimeText(TDateTime v, const DateTimeFormat& f) {
    const DateTimeParts p = DecodeDateTime(v);
    std::string text = FormatShortDate(p, f);
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        text += ' ';
        text += FormatLongTime(p, f);
    }
    return text;
}

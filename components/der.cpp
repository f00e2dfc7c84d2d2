#include "components/der.h"

#include <cstring>

namespace der {

bool Reader::Next(Element& out) {
    if (broken_ || p_ == end_) return false;
    const std::uint8_t* p = p_;
    const std::size_t left = static_cast<std::size_t>(end_ - p);
    if (left < 2) {
        broken_ = true;
        return false;
    }
    const std::uint8_t tag = p[0];
    // A tag number of 31 announces a multi-byte tag, which no structure read here uses.
    if ((tag & 0x1F) == 0x1F) {
        broken_ = true;
        return false;
    }
    std::size_t header = 2;
    std::size_t length = p[1];
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        // 0x80 is the indefinite length of BER; more than four bytes would
        // describe more than any input here holds.
        if (count == 0 || count > 4 || left < 2 + count) {
            broken_ = true;
            return false;
        }
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | p[2 + i];
        header += count;
        // DER takes the fewest length bytes: no leading zero byte, and the
        // long form only for 128 and more. Any other spelling of the same
        // element would be bytes a signer never wrote.
        if (p[2] == 0 || length < 0x80) {
            broken_ = true;
            return false;
        }
    }
    if (length > left - header) {
        broken_ = true;
        return false;
    }
    out.tag = tag;
    out.value = Span{p + header, length};
    out.whole = Span{p, header + length};
    p_ = p + header + length;
    return true;
}

bool Reader::Next(std::uint8_t tag, Element& out) {
    const std::uint8_t* before = p_;
    Element e;
    if (!Next(e)) return false;
    if (e.tag != tag) {
        p_ = before;
        return false;
    }
    out = e;
    return true;
}

std::string OidText(Span value) {
    if (value.empty()) return std::string();
    std::string text;
    std::uint64_t arc = 0;
    bool first = true;
    bool inArc = false;
    for (std::size_t i = 0; i < value.size; ++i) {
        const std::uint8_t b = value.data[i];
        // A leading 0x80 pads an arc, which DER forbids.
        if (!inArc && b == 0x80) return std::string();
        if (arc > (~std::uint64_t{0} >> 7)) return std::string();
        arc = (arc << 7) | (b & 0x7F);
        inArc = (b & 0x80) != 0;
        if (inArc) continue;
        if (first) {
            // The first byte holds two arcs: 40 * X + Y, X at most 2.
            const std::uint64_t x = arc < 80 ? arc / 40 : 2;
            text = std::to_string(x) + "." + std::to_string(arc - 40 * x);
            first = false;
        } else {
            text += "." + std::to_string(arc);
        }
        arc = 0;
    }
    return inArc ? std::string() : text;
}

bool OidIs(Span value, const char* oid) { return !value.empty() && OidText(value) == oid; }

namespace {

bool Digits(const std::uint8_t* p, std::size_t n, int& out) {
    out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        out = out * 10 + (p[i] - '0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool ReadTime(const Element& element, Time& out) {
    const std::uint8_t* p = element.value.data;
    const std::size_t n = element.value.size;
    Time t;
    std::size_t at = 0;
    if (element.tag == kUtcTime) {
        if (n != 13 || p[12] != 'Z' || !Digits(p, 2, t.year)) return false;
        t.year += t.year < 50 ? 2000 : 1900;
        at = 2;
    } else if (element.tag == kGeneralizedTime) {
        if (n < 15 || p[n - 1] != 'Z' || !Digits(p, 4, t.year)) return false;
        // An optional fraction of the second: a dot and digits of any
        // precision (a time-stamp token may carry many), the last not 0 as
        // DER and RFC 3161 require. Only whole seconds are kept, so the
        // digits are checked, never summed.
        if (n > 15) {
            if (p[14] != '.' || n == 16 || p[n - 2] == '0') return false;
            for (std::size_t i = 15; i < n - 1; ++i)
                if (p[i] < '0' || p[i] > '9') return false;
        }
        at = 4;
    } else {
        return false;
    }
    if (!Digits(p + at, 2, t.month) || !Digits(p + at + 2, 2, t.day) || !Digits(p + at + 4, 2, t.hour) ||
        !Digits(p + at + 6, 2, t.minute) || !Digits(p + at + 8, 2, t.second))
        return false;
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    out = t;
    return true;
}

}  // namespace der

// A small, bounded reader of DER (the distinguished encoding of ASN.1), enough
// to walk the fixed structures of a signature: each element is read as tag,
// length and value inside the bytes of its parent, never beyond them.
//
// Only what DER allows is taken: one-byte tags (tag numbers below 31) and
// definite lengths in the fewest bytes (the long form only from 128 on, no
// leading zero byte), at most four of them. An indefinite length, a longer
// tag, a length spelt with more bytes than it needs, or one that runs past
// the parent's end makes the element unreadable. Nothing here recurses,
// allocates or reads outside the given bytes, whatever they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace der {

// Tags of the universal types the signature structures use, and the
// context-specific constructed tags [0] and [1].
enum Tag : std::uint8_t {
    kInteger = 0x02,
    kBitString = 0x03,
    kOctetString = 0x04,
    kNull = 0x05,
    kOid = 0x06,
    kUtf8String = 0x0C,
    kPrintableString = 0x13,
    kUtcTime = 0x17,
    kGeneralizedTime = 0x18,
    kSequence = 0x30,
    kSet = 0x31,
    kContext0 = 0xA0,
    kContext1 = 0xA1,
};

// Bytes [data, data + size) of the input; empty when size is 0.
struct Span {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    bool empty() const { return size == 0; }
};

// One element: its tag, its value bytes and all its bytes (header included).
struct Element {
    std::uint8_t tag = 0;
    Span value;
    Span whole;
};

// Reads the elements of one level, first to last.
class Reader {
public:
    explicit Reader(Span bytes) : p_(bytes.data), end_(bytes.data + bytes.size) {}
    // The elements inside a constructed element.
    explicit Reader(const Element& parent) : Reader(parent.value) {}

    bool AtEnd() const { return p_ == end_; }
    // The next element; false, with nothing taken, when there is none or it
    // is unreadable (and then every later call is false as well).
    bool Next(Element& out);
    // The next element if it has `tag`; false otherwise, with nothing taken.
    bool Next(std::uint8_t tag, Element& out);
    // Takes the next element if it has `tag`; true when it did.
    bool Skip(std::uint8_t tag) {
        Element ignored;
        return Next(tag, ignored);
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
    bool broken_ = false;
};

// The dotted form of an object identifier's value ("1.2.840.113549.1.7.2");
// empty when the value is no well-formed identifier or an arc exceeds 64 bits.
std::string OidText(Span value);
// True when the identifier's value is exactly the dotted `oid`.
bool OidIs(Span value, const char* oid);

// A calendar time in UTC as a signature holds it.
struct Time {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// Reads a UTCTime ("YYMMDDHHMMSSZ", years 1950 to 2049) or a
// GeneralizedTime ("YYYYMMDDHHMMSS[.fraction]Z", the fraction of any length
// but not ending in 0, and dropped). False for any other form or a date or
// time outside the calendar.
bool ReadTime(const Element& element, Time& out);

}  // namespace der

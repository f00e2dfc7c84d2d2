// Fuzz target for the reading of embedded signatures: the PE layout, the
// certificate table, the PKCS#7 SignedData and the DER reader beneath them.
//
// The whole input is a file: it goes through the whole check (layout, table,
// SignedData, both digests) through a reader that refuses anything outside
// it. The same bytes are also read as a signature blob on their own and
// walked as DER, so that mutations reach the SignedData without a valid PE
// image around them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "components/authenticode.h"
#include "components/der.h"
#include "fuzz/check.h"

namespace {

using namespace authenticode;

bool Inside(der::Span part, const std::uint8_t* data, std::size_t size) {
    if (part.empty()) return true;
    return part.data >= data && part.size <= size &&
           part.data - data <= static_cast<std::ptrdiff_t>(size - part.size);
}

// Walks every level of the DER it can read, up to a small depth; every
// element lies inside its parent, and every time read is within the calendar.
void Walk(der::Span bytes, int depth) {
    der::Reader r(bytes);
    der::Element e;
    while (r.Next(e)) {
        FUZZ_CHECK(Inside(e.whole, bytes.data, bytes.size));
        FUZZ_CHECK(Inside(e.value, e.whole.data, e.whole.size));
        if (e.tag == der::kOid) der::OidText(e.value);
        der::Time t;
        if (der::ReadTime(e, t)) FUZZ_CHECK(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31);
        // An OCTET STRING may wrap DER as well: a timestamp's TSTInfo, with
        // its time, lies in one.
        if (((e.tag & 0x20) || e.tag == der::kOctetString) && depth < 8) Walk(e.value, depth + 1);
    }
}

void CheckLayout(const ReadAt& read, std::size_t size) {
    PeLayout layout;
    std::string reason;
    const Outcome outcome = ReadLayout(read, size, layout, reason);
    if (outcome == Outcome::Damaged) FUZZ_CHECK(!reason.empty());
    if (outcome != Outcome::Signed) return;
    // The hashed bytes lie before the table; the flat order never includes
    // the checksum or the directory entry (sections, hashed as they are,
    // may overlap the headers of a strange image).
    FUZZ_CHECK(std::uint64_t{layout.certTableAt} + layout.certTableSize == size);
    for (const std::vector<Range>* ranges : {&layout.hashed, &layout.hashedFlat}) {
        for (const Range& r : *ranges) {
            FUZZ_CHECK(r.size > 0);
            FUZZ_CHECK(r.offset + r.size <= layout.certTableAt);
        }
    }
    for (const Range& r : layout.hashedFlat) {
        FUZZ_CHECK(r.offset >= layout.checksumAt + 4 || r.offset + r.size <= layout.checksumAt);
        FUZZ_CHECK(r.offset >= layout.certEntryAt + 8 || r.offset + r.size <= layout.certEntryAt);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadAt read = [&](std::uint64_t offset, void* out, std::size_t n) {
        if (offset > size || n > size - offset) return false;
        if (n) std::memcpy(out, data + offset, n);
        return true;
    };
    CheckLayout(read, size);

    const CancelToken never;
    const OwnCheck check = CheckImage(read, size, never);
    if (check.imageMatches)
        FUZZ_CHECK(check.outcome == Outcome::Signed && check.parsed && check.messageMatches);
    if (check.outcome == Outcome::Damaged) FUZZ_CHECK(!check.reason.empty());
    FUZZ_CHECK(check.blob.size() <= kMaxCertificateTable);
    if (check.parsed) {
        // A signature is taken only from a table that is its one entry: the
        // 8-byte header, the DER, zeros to the next multiple of 8.
        PeLayout layout;
        std::string ignored;
        FUZZ_CHECK(ReadLayout(read, size, layout, ignored) == Outcome::Signed);
        FUZZ_CHECK(layout.certTableSize == ((8 + check.blob.size() + 7) & ~std::size_t{7}));
    }

    const der::Span blob{data, size};
    SignedData signedData;
    std::string reason;
    if (ReadSignedData(blob, signedData, reason)) {
        FUZZ_CHECK(Inside(signedData.indirectContent, data, size));
        FUZZ_CHECK(Inside(signedData.signatureValue, data, size));
        FUZZ_CHECK(Inside(signedData.timestampToken, data, size));
        FUZZ_CHECK(!signedData.messageDigest.empty());
        MessageDigestMatches(signedData);
        TimestampMatches(signedData);
    } else {
        FUZZ_CHECK(!reason.empty());
    }
    Walk(blob, 0);
    return 0;
}

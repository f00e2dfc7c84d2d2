// The OS-free part of the signature check: the DER reader, the PE layout and
// the image hash ranges, the certificate table and the SignedData. Against
// real images of both kinds (PE32 and PE32+) that osslsigncode signed at
// build time, which makes the image hash independently of this code, and
// against those images damaged in every way a hostile file can be.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "components/authenticode.h"
#include "components/der.h"

namespace {

using namespace authenticode;

std::string Signed(const std::string& name) {
    std::ifstream in(std::string(VANTREL_SIGNED_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ReadAt ReaderOf(const std::string& bytes) {
    return [&bytes](std::uint64_t offset, void* out, std::size_t size) {
        if (offset > bytes.size() || size > bytes.size() - offset) return false;
        if (size) std::memcpy(out, bytes.data() + offset, size);
        return true;
    };
}

OwnCheck Check(const std::string& bytes) {
    const CancelToken never;
    return CheckImage(ReaderOf(bytes), bytes.size(), never);
}

PeLayout Layout(const std::string& bytes) {
    PeLayout layout;
    std::string reason;
    ReadLayout(ReaderOf(bytes), bytes.size(), layout, reason);
    return layout;
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

der::Span SpanOf(const std::string& s) {
    return der::Span{reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

const char* const kKinds[] = {"pe32", "pe32plus"};

// --- DER ---------------------------------------------------------------------

TEST(Der, ElementsAreReadOnlyWithinTheirBytes) {
    struct Case {
        std::string bytes;
        bool readable;
        std::size_t valueSize;
    };
    const Case cases[] = {
        {std::string("\x04\x03"
                     "abc",
                     5),
         true, 3},
        {std::string("\x04\x82\x00\x01"
                     "a",
                     5),
         false, 0},  // long form with a leading zero byte: not DER
        {std::string("\x04\x81\x01"
                     "a",
                     4),
         false, 0},  // the long form for a length the short form holds
        {std::string("\x04\x82\x00\x80", 4) + std::string(128, 'a'), false, 0},  // a zero byte before 128
        {std::string("\x04\x81\x80", 3) + std::string(128, 'a'), true, 128},     // 128 needs the long form
        {std::string("\x04\x04"
                     "abc",
                     5),
         false, 0},                                      // one byte short
        {std::string("\x30\x80\x00\x00", 4), false, 0},  // indefinite length (BER)
        {std::string("\x04\x85\x00\x00\x00\x00\x01"
                     "a",
                     8),
         false, 0},                                              // five length bytes
        {std::string("\x04\x84\xFF\xFF\xFF\xFF", 6), false, 0},  // 4 GiB claimed
        {std::string("\x1F\x01\x00", 3), false, 0},              // a multi-byte tag
        {std::string("\x04", 1), false, 0},                      // a tag alone
        {std::string("\x05\x00", 2), true, 0},                   // NULL
    };
    for (const Case& c : cases) {
        der::Reader r(SpanOf(c.bytes));
        der::Element e;
        EXPECT_EQ(c.readable, r.Next(e)) << testing::PrintToString(c.bytes);
        if (c.readable) {
            EXPECT_EQ(c.valueSize, e.value.size);
        } else {
            EXPECT_FALSE(r.Next(e)) << "an unreadable element ends the level";
        }
    }
}

TEST(Der, NextWithATagLeavesAnotherElementInPlace) {
    const std::string bytes("\x02\x01\x05\x04\x01\x07", 6);
    der::Reader r(SpanOf(bytes));
    der::Element e;
    EXPECT_FALSE(r.Next(der::kOctetString, e));
    EXPECT_TRUE(r.Next(der::kInteger, e));
    EXPECT_TRUE(r.Next(der::kOctetString, e));
    EXPECT_EQ(7, e.value.data[0]);
    EXPECT_TRUE(r.AtEnd());
}

TEST(Der, ObjectIdentifiers) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02", 9), "1.2.840.113549.1.7.2"},
        {std::string("\x2B\x0E\x03\x02\x1A", 5), "1.3.14.3.2.26"},
        {std::string("\x60\x86\x48\x01\x65\x03\x04\x02\x01", 9), "2.16.840.1.101.3.4.2.1"},
        {std::string("\x88\x37", 2), "2.999"},
        {std::string("\x2A\x86", 2), ""},        // ends inside an arc
        {std::string("\x2A\x80\x01", 3), ""},    // padded arc
        {std::string(11, '\xFF') + '\x7F', ""},  // an arc beyond 64 bits
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, der::OidText(SpanOf(c.first))) << c.second;
}

TEST(Der, Times) {
    struct Case {
        std::uint8_t tag;
        std::string text;
        bool ok;
        int year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {der::kUtcTime, "260501120000Z", true, 2026, 5, 1, 12, 0, 0},
        {der::kUtcTime, "991231235959Z", true, 1999, 12, 31, 23, 59, 59},
        {der::kUtcTime, "500101000000Z", true, 1950, 1, 1, 0, 0, 0},
        {der::kGeneralizedTime, "20260501120000Z", true, 2026, 5, 1, 12, 0, 0},
        {der::kGeneralizedTime, "20260501120000.25Z", true, 2026, 5, 1, 12, 0, 0},
        // A fraction of any precision, beyond what any integer holds.
        {der::kGeneralizedTime, "20260501120000.1234567891Z", true, 2026, 5, 1, 12, 0, 0},
        {der::kGeneralizedTime, "20260501120000.99999999999999999999999999999999999999999Z", true, 2026, 5, 1,
         12, 0, 0},
        {der::kGeneralizedTime, "20260501120000.250Z", false, 0, 0, 0, 0, 0, 0},  // trailing 0: not DER
        {der::kGeneralizedTime, "20260501120000.0Z", false, 0, 0, 0, 0, 0, 0},    // zero: no fraction in DER
        {der::kGeneralizedTime, "20260501120000.2x5Z", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "20260501120000,25Z", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "20260501120000+0100", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "2026050112000Z", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "20240229000000Z", true, 2024, 2, 29, 0, 0, 0},
        {der::kGeneralizedTime, "20230229000000Z", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "20260501120000.Z", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "20261301120000Z", false, 0, 0, 0, 0, 0, 0},
        {der::kGeneralizedTime, "20260501126000Z", false, 0, 0, 0, 0, 0, 0},
        {der::kUtcTime, "2605011200Z", false, 0, 0, 0, 0, 0, 0},
        {der::kUtcTime, "26050112000+Z", false, 0, 0, 0, 0, 0, 0},
        {der::kOctetString, "260501120000Z", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        der::Element e;
        e.tag = c.tag;
        e.value = SpanOf(c.text);
        der::Time t;
        ASSERT_EQ(c.ok, der::ReadTime(e, t)) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(c.year, t.year) << c.text;
        EXPECT_EQ(c.month, t.month);
        EXPECT_EQ(c.day, t.day);
        EXPECT_EQ(c.hour, t.hour);
        EXPECT_EQ(c.minute, t.minute);
        EXPECT_EQ(c.second, t.second);
    }
}

// --- Real signatures -----------------------------------------------------------

TEST(Authenticode, ImagesSignedByOsslsigncodeMatchTheirSignedDigests) {
    struct Case {
        const char* name;
        DigestKind algorithm;
        TimestampKind timestamp;
    };
    const Case cases[] = {
        {"self", DigestKind::SHA256, TimestampKind::None},
        {"trusted", DigestKind::SHA256, TimestampKind::Rfc3161},
        {"sha1", DigestKind::SHA1, TimestampKind::None},
        {"md5", DigestKind::MD5, TimestampKind::None},
        {"org", DigestKind::SHA256, TimestampKind::None},
        {"expired", DigestKind::SHA256, TimestampKind::None},
        {"stamped", DigestKind::SHA256, TimestampKind::Rfc3161},
        {"selfstamped", DigestKind::SHA256, TimestampKind::Rfc3161},
        {"overlay", DigestKind::SHA256, TimestampKind::None},    // bytes after the last section
        {"nested", DigestKind::SHA256, TimestampKind::Rfc3161},  // the first signature counts
    };
    for (const char* kind : kKinds) {
        for (const Case& c : cases) {
            const std::string name = std::string(kind) + "-" + c.name + ".exe";
            SCOPED_TRACE(name);
            const std::string bytes = Signed(name);
            ASSERT_GT(bytes.size(), 1024u);
            const OwnCheck check = Check(bytes);
            ASSERT_EQ(Outcome::Signed, check.outcome) << check.reason;
            ASSERT_TRUE(check.parsed);
            EXPECT_EQ(c.algorithm, check.data.imageDigestAlgorithm);
            EXPECT_EQ(c.algorithm, check.data.signerDigestAlgorithm);
            EXPECT_TRUE(check.computable);
            EXPECT_TRUE(check.messageMatches);
            EXPECT_TRUE(check.imageMatches);
            EXPECT_EQ(c.timestamp, check.data.timestamp);
            const PeLayout layout = Layout(bytes);
            EXPECT_EQ(std::string(kind) == "pe32plus", layout.pe32Plus);
            EXPECT_EQ(layout.hashed, layout.hashedFlat) << "the linker leaves no gaps";
        }
    }
}

TEST(Authenticode, ADigestTheProgramDoesNotComputeIsReadButNotMatched) {
    for (const char* kind : kKinds) {
        const OwnCheck check = Check(Signed(std::string(kind) + "-sha384.exe"));
        ASSERT_TRUE(check.parsed) << check.reason;
        EXPECT_EQ(DigestKind::SHA384, check.data.imageDigestAlgorithm);
        EXPECT_EQ(48u, check.data.imageDigest.size());
        EXPECT_FALSE(check.computable);
        EXPECT_FALSE(check.imageMatches);
    }
}

TEST(Authenticode, TheTimestampGivesItsTimeAndCoversTheSignature) {
    for (const char* kind : kKinds) {
        const OwnCheck check = Check(Signed(std::string(kind) + "-trusted.exe"));
        ASSERT_TRUE(check.parsed) << check.reason;
        ASSERT_EQ(TimestampKind::Rfc3161, check.data.timestamp);
        const der::Time& t = check.data.timestampTime;
        EXPECT_EQ(2026, t.year);
        EXPECT_EQ(5, t.month);
        EXPECT_EQ(1, t.day);
        EXPECT_EQ(12, t.hour);
        EXPECT_EQ(0, t.minute);
        EXPECT_TRUE(TimestampMatches(check.data));
        EXPECT_FALSE(check.data.timestampToken.empty());
    }
}

TEST(Authenticode, UnsignedImagesAndOtherFiles) {
    for (const char* kind : kKinds) {
        const std::string bytes = Signed(std::string(kind) + "-unsigned.exe");
        EXPECT_EQ(Outcome::NotSigned, Check(bytes).outcome) << kind;
        EXPECT_EQ(Outcome::NotPe, Check(bytes.substr(0, 100)).outcome) << "headers cut short";
    }
    const std::string others[] = {"", "MZ", "hello, world\r\n", std::string(4096, 'M'),
                                  "MZ" + std::string(62, '\0') + std::string(4096, 'x')};
    for (const std::string& bytes : others) EXPECT_EQ(Outcome::NotPe, Check(bytes).outcome);
}

TEST(Authenticode, AChangedByteIsFoundAndAForgedDigestToo) {
    for (const char* kind : kKinds) {
        SCOPED_TRACE(kind);
        const OwnCheck changed = Check(Signed(std::string(kind) + "-changed.exe"));
        ASSERT_TRUE(changed.parsed);
        EXPECT_TRUE(changed.messageMatches) << "the signature itself is untouched";
        EXPECT_FALSE(changed.imageMatches);

        // The changed image's own digest written into the signature: the
        // image matches it, but the signed attributes no longer do.
        std::string forged = Signed(std::string(kind) + "-changed.exe");
        const OwnCheck original = Check(Signed(std::string(kind) + "-trusted.exe"));
        const PeLayout layout = Layout(forged);
        std::vector<std::uint8_t> digest;
        const CancelToken never;
        ASSERT_TRUE(DigestRanges(ReaderOf(forged), layout.hashed, DigestKind::SHA256, never, digest));
        const std::string oldDigest(original.data.imageDigest.begin(), original.data.imageDigest.end());
        const std::size_t at = forged.find(oldDigest, layout.certTableAt);
        ASSERT_NE(std::string::npos, at);
        forged.replace(at, digest.size(), std::string(digest.begin(), digest.end()));
        const OwnCheck check = Check(forged);
        ASSERT_TRUE(check.parsed);
        EXPECT_FALSE(check.messageMatches);
        EXPECT_FALSE(check.imageMatches);
    }
}

TEST(Authenticode, NoByteOfTheHashedRangesChangesUnnoticed) {
    for (const char* kind : kKinds) {
        const std::string bytes = Signed(std::string(kind) + "-self.exe");
        const PeLayout layout = Layout(bytes);
        for (const Range& r : layout.hashed) {
            for (std::uint64_t at = r.offset; at < r.offset + r.size; at += 5) {
                std::string copy = bytes;
                copy[at] = static_cast<char>(copy[at] ^ 0x01);
                const OwnCheck check = Check(copy);
                EXPECT_FALSE(check.outcome == Outcome::Signed && check.messageMatches && check.imageMatches)
                    << kind << " byte " << at;
            }
        }
        // The left-out bytes are the checksum and the directory entry (which
        // says where the table is, so it cannot change unnoticed either).
        std::string checksum = bytes;
        checksum[layout.checksumAt] ^= 0x5A;
        EXPECT_TRUE(Check(checksum).imageMatches) << "the checksum is not hashed";
    }
}

// --- Damaged and hostile files ---------------------------------------------------

TEST(Authenticode, DamagedCertificateTablesGiveAReasonNeverAMatch) {
    for (const char* kind : kKinds) {
        const std::string good = Signed(std::string(kind) + "-trusted.exe");
        const PeLayout layout = Layout(good);
        const std::size_t table = layout.certTableAt;
        const std::size_t entry = static_cast<std::size_t>(layout.certEntryAt);
        struct Case {
            const char* what;
            std::string bytes;
            Outcome outcome;
        };
        std::vector<Case> cases;
        cases.push_back({"cut inside the table", good.substr(0, table + 100), Outcome::Damaged});
        cases.push_back({"cut before the table", good.substr(0, table - 8), Outcome::Damaged});
        std::string pastEnd = good;
        Put32(pastEnd, entry + 4, layout.certTableSize + 100000);
        cases.push_back({"size past the end", pastEnd, Outcome::Damaged});
        std::string wraps = good;
        Put32(wraps, entry, 0xFFFFFFF0u);
        cases.push_back({"offset near 4 GiB", wraps, Outcome::Damaged});
        std::string atZero = good;
        Put32(atZero, entry, 0);
        cases.push_back({"offset 0", atZero, Outcome::Damaged});
        cases.push_back({"bytes appended", good + std::string(16, '\0'), Outcome::Damaged});
        std::string longEntry = good;
        Put32(longEntry, table, layout.certTableSize + 8);
        cases.push_back({"entry longer than the table", longEntry, Outcome::Damaged});
        std::string shortEntry = good;
        Put32(shortEntry, table, 4);
        cases.push_back({"entry shorter than its header", shortEntry, Outcome::Damaged});
        std::string garbage = good;
        for (std::size_t i = table + 8; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7);
        cases.push_back({"garbage blob", garbage, Outcome::Damaged});
        std::string zeros = good;
        std::fill(zeros.begin() + static_cast<std::ptrdiff_t>(table) + 8, zeros.end(), '\0');
        cases.push_back({"zeros for a blob", zeros, Outcome::Damaged});
        std::string x509 = good;
        x509[table + 6] = 1;  // WIN_CERT_TYPE_X509: no Authenticode signature
        cases.push_back({"another kind of certificate", x509, Outcome::Damaged});
        std::string noEntry = good;
        Put32(noEntry, entry, 0);
        Put32(noEntry, entry + 4, 0);
        cases.push_back({"the entry emptied", noEntry.substr(0, table), Outcome::NotSigned});

        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kind) + ": " + c.what);
            const OwnCheck check = Check(c.bytes);
            EXPECT_EQ(c.outcome, check.outcome) << check.reason;
            if (c.outcome == Outcome::Damaged) {
                EXPECT_FALSE(check.reason.empty());
            }
            EXPECT_FALSE(check.imageMatches);
        }
    }
}

// The parts of a signed file's certificate table, as file offsets: the
// signature's DER, and in it the bytes that only the signer's or the
// certificates' own signatures cover (which the platform checks) and the
// unsigned attributes (a timestamp or nested signature, checked on their
// own).
struct TableParts {
    std::size_t table = 0, der = 0;
    std::vector<Range> coveredElsewhere;
    Range signerSerial;  // the serial number that names the signer's certificate
};

TableParts PartsOf(const std::string& bytes) {
    TableParts parts;
    const PeLayout layout = Layout(bytes);
    parts.table = layout.certTableAt;
    parts.der = parts.table + 8;
    const auto* base = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto range = [&](der::Span s) { return Range{static_cast<std::uint64_t>(s.data - base), s.size}; };
    der::Element contentInfo, type, wrapped, signedData, e, signerInfo;
    der::Reader top(der::Span{base + parts.der, bytes.size() - parts.der});
    top.Next(contentInfo);
    der::Reader c(contentInfo);
    c.Next(type);
    c.Next(wrapped);
    der::Reader w(wrapped);
    w.Next(signedData);
    der::Reader s(signedData);
    while (s.Next(e)) {
        if (e.tag == der::kContext0) parts.coveredElsewhere.push_back(range(e.value));  // certificates
        if (e.tag != der::kSet) continue;
        der::Reader signers(e);
        if (!signers.Next(der::kSequence, signerInfo)) continue;
    }
    der::Reader si(signerInfo);
    der::Element version, sid, issuer, serial;
    si.Next(version);
    si.Next(sid);
    der::Reader id(sid);
    id.Next(issuer);
    id.Next(serial);
    parts.signerSerial = range(serial.value);
    while (si.Next(e)) {
        if (e.tag == der::kContext0 || e.tag == der::kOctetString)
            parts.coveredElsewhere.push_back(range(e.value));
        if (e.tag == der::kContext1) parts.coveredElsewhere.push_back(range(e.whole));
    }
    return parts;
}

// `bytes` with its certificate table made anew around the DER `blob`: one
// entry, its length the padded one as osslsigncode writes it, zeros to 8
// bytes, the directory's size to match.
std::string WithBlob(const std::string& bytes, const std::string& blob) {
    const PeLayout layout = Layout(bytes);
    std::string entry(8, '\0');
    entry += blob;
    entry.resize((entry.size() + 7) & ~std::size_t{7}, '\0');
    Put32(entry, 0, static_cast<std::uint32_t>(entry.size()));
    entry[5] = 2;  // revision 2.0
    entry[6] = 2;  // PKCS #7 SignedData
    std::string out = bytes.substr(0, layout.certTableAt) + entry;
    Put32(out, static_cast<std::size_t>(layout.certEntryAt) + 4, static_cast<std::uint32_t>(entry.size()));
    return out;
}

// Adds `n` to the two-byte long-form length at `at` (0x82 hi lo).
void GrowLength(std::string& der, std::size_t at, std::size_t n) {
    ASSERT_EQ('\x82', der[at]);
    const std::size_t length =
        (static_cast<std::uint8_t>(der[at + 1]) << 8 | static_cast<std::uint8_t>(der[at + 2])) + n;
    der[at + 1] = static_cast<char>(length >> 8);
    der[at + 2] = static_cast<char>(length);
}

// Everything in the certificate table that the image hash leaves out and no
// signature covers must be exactly what a signer writes.
TEST(Authenticode, BytesAddedOrChangedInTheTableOutsideWhatIsSignedAreFound) {
    for (const char* kind : kKinds) {
        for (const char* fixture : {"trusted", "self"}) {
            const std::string good = Signed(std::string(kind) + "-" + fixture + ".exe");
            const PeLayout layout = Layout(good);
            const std::size_t table = layout.certTableAt;
            const std::size_t dirSize = static_cast<std::size_t>(layout.certEntryAt) + 4;
            const OwnCheck original = Check(good);
            ASSERT_TRUE(original.parsed) << original.reason;
            const std::string der(reinterpret_cast<const char*>(original.blob.data()), original.blob.size());
            // ContentInfo { OID, [0] { SignedData { version, digestAlgorithms, ... } } }: each
            // outer length takes two bytes in files of this size.
            ASSERT_EQ(std::string("\x30\x82", 2), der.substr(0, 2));
            ASSERT_EQ(std::string("\xA0\x82", 2), der.substr(15, 2));
            ASSERT_EQ(std::string("\x30\x82", 2), der.substr(19, 2));
            const std::size_t version = 23, set = 26;
            ASSERT_EQ(std::string("\x02\x01\x01\x31", 4), der.substr(version, 4));
            // The signer's signature algorithm just before its signature value
            // (OCTET STRING of 256 bytes: 04 82 01 00): rsaEncryption, NULL.
            const std::size_t signatureAt =
                static_cast<std::size_t>(original.data.signatureValue.data - original.blob.data());
            const std::size_t encryptionOid = signatureAt - 4 - 13;
            ASSERT_EQ(std::string("\x06\x09\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01\x05\x00", 13),
                      der.substr(encryptionOid, 13));

            struct Case {
                const char* what;
                std::string bytes;
            };
            std::vector<Case> cases;
            {
                std::string b = good + std::string(64 * 1024, '\0');
                Put32(b, dirSize, layout.certTableSize + 64 * 1024);
                cases.push_back({"64 KiB appended and the directory's size grown over them", b});
            }
            {
                std::string b = good;
                Put32(b, table, layout.certTableSize + 8);
                cases.push_back({"the entry's length grown by 8", b});
                b += std::string(8, '\0');
                Put32(b, dirSize, layout.certTableSize + 8);
                cases.push_back({"the entry's length and the directory's size grown by 8 over zeros", b});
            }
            {
                std::string b = good;
                b[b.size() - 1] = 1;
                cases.push_back({"a padding byte not zero", b});
            }
            {
                std::string d = der;
                d[version + 2] = 3;
                cases.push_back({"the SignedData's version 3", WithBlob(good, d)});
                d[version + 2] = 0;
                cases.push_back({"the SignedData's version 0", WithBlob(good, d)});
            }
            {
                // SHA-1 (with NULL parameters) added to the digest algorithms.
                const std::string sha1("\x30\x09\x06\x05\x2B\x0E\x03\x02\x1A\x05\x00", 11);
                std::string d = der;
                d.insert(set + 2, sha1);
                d[set + 1] = static_cast<char>(d[set + 1] + sha1.size());
                GrowLength(d, 1, sha1.size());
                GrowLength(d, 16, sha1.size());
                GrowLength(d, 20, sha1.size());
                cases.push_back({"a digest algorithm added to the set", WithBlob(good, d)});
            }
            for (char last : {'\x05', '\x04', '\x0A', '\x0C'}) {
                // sha1WithRSA, md5WithRSA, RSASSA-PSS, sha384WithRSA: none is the signer's.
                std::string d = der;
                d[encryptionOid + 10] = last;
                cases.push_back({"the signer's signature algorithm another RSA one", WithBlob(good, d)});
            }
            {
                std::string d = der;
                d[encryptionOid + 11] = '\x04';  // OCTET STRING for the NULL parameters
                cases.push_back({"the signature algorithm's parameters not NULL", WithBlob(good, d)});
            }
            cases.push_back({"garbage after the DER inside the entry", WithBlob(good, der + "garbage")});
            cases.push_back(
                {"zeros after the DER beyond the padding", WithBlob(good, der + std::string(9, '\0'))});
            {
                const std::string entry = good.substr(table);
                std::string b = good + entry;
                Put32(b, dirSize, layout.certTableSize * 2);
                cases.push_back({"two entries", b});
            }
            {
                std::string b = good;
                b[table + 4] = 0;
                b[table + 5] = 1;  // revision 1.0
                cases.push_back({"the entry's revision 1.0", b});
            }

            SCOPED_TRACE(std::string(kind) + "-" + fixture);
            EXPECT_TRUE(original.imageMatches && original.messageMatches) << "the untouched file";
            EXPECT_TRUE(Check(WithBlob(good, der)).imageMatches)
                << "the table made anew as the signer wrote it";
            for (const Case& c : cases) {
                const OwnCheck check = Check(c.bytes);
                EXPECT_EQ(Outcome::Damaged, check.outcome) << c.what;
                EXPECT_FALSE(check.reason.empty()) << c.what;
                EXPECT_FALSE(check.imageMatches) << c.what;
            }
        }
    }
}

// Every single-bit flip in the certificate table, but for what the signer's
// signature, the certificates' own signatures and the unsigned attributes
// cover, leaves no intact signature. The one exception: a flip that turns
// the signer's serial number into another certificate's of the signature
// (the root's 1000 from the leaf's 1002) names a certificate whose key the
// platform's check of the signer's signature then uses, and fails.
TEST(Authenticode, NoBitFlipInTheTableOutsideWhatIsSignedKeepsTheSignatureIntact) {
    for (const char* kind : kKinds) {
        for (const char* fixture : {"trusted", "self"}) {
            const std::string good = Signed(std::string(kind) + "-" + fixture + ".exe");
            const TableParts parts = PartsOf(good);
            ASSERT_EQ(3u + (std::string(fixture) == "trusted"), parts.coveredElsewhere.size());
            std::size_t flipped = 0, namesAnother = 0;
            for (std::size_t at = parts.table; at < good.size(); ++at) {
                bool skip = false;
                for (const Range& r : parts.coveredElsewhere)
                    skip = skip || (at >= r.offset && at < r.offset + r.size);
                if (skip) continue;
                for (int bit = 0; bit < 8; ++bit) {
                    std::string copy = good;
                    copy[at] = static_cast<char>(copy[at] ^ (1 << bit));
                    const OwnCheck check = Check(copy);
                    ++flipped;
                    const bool intact =
                        check.outcome == Outcome::Signed && check.messageMatches && check.imageMatches;
                    const bool inSerial = at >= parts.signerSerial.offset &&
                                          at < parts.signerSerial.offset + parts.signerSerial.size;
                    if (intact && inSerial) {
                        ++namesAnother;
                        continue;
                    }
                    EXPECT_FALSE(intact)
                        << kind << "-" << fixture << " byte " << at - parts.table << " bit " << bit;
                }
            }
            EXPECT_GT(flipped, 8u * 100) << "the table's own fields were flipped";
            EXPECT_LE(namesAnother, 1u) << "only the root's serial is one flip away";
        }
    }
}

TEST(Authenticode, BlobsOfManyMegabytesAreRefusedOrReadWithinTheirBounds) {
    const std::string image = Signed("pe32plus-unsigned.exe");
    const PeLayout layout = Layout(image);
    for (std::uint32_t size : {3u << 20, kMaxCertificateTable, kMaxCertificateTable + 8, 64u << 20}) {
        SCOPED_TRACE(size);
        std::string bytes = image;
        Put32(bytes, static_cast<std::size_t>(layout.certEntryAt), static_cast<std::uint32_t>(bytes.size()));
        Put32(bytes, static_cast<std::size_t>(layout.certEntryAt) + 4, size);
        std::string table(size, '\x30');  // a SEQUENCE tag over and over
        Put32(table, 0, size);
        table[4] = 0;
        table[5] = 2;
        table[6] = 2;
        table[7] = 0;
        bytes += table;
        const OwnCheck check = Check(bytes);
        EXPECT_EQ(Outcome::Damaged, check.outcome);
        EXPECT_FALSE(check.reason.empty());
    }
}

TEST(Authenticode, EveryCutOfASignedFileHasAnOutcome) {
    for (const char* kind : kKinds) {
        const std::string bytes = Signed(std::string(kind) + "-trusted.exe");
        for (std::size_t size = 0; size < bytes.size(); size += 13) {
            const OwnCheck check = Check(bytes.substr(0, size));
            EXPECT_FALSE(check.imageMatches) << size;
            EXPECT_NE(Outcome::Signed, check.outcome) << size;
        }
    }
}

TEST(Authenticode, AFailedReadIsNoVerdict) {
    const std::string bytes = Signed("pe32-trusted.exe");
    const PeLayout layout = Layout(bytes);
    for (std::uint64_t failAt :
         {std::uint64_t{0}, layout.certEntryAt, std::uint64_t{layout.certTableAt}, std::uint64_t{1024}}) {
        const ReadAt failing = [&](std::uint64_t offset, void* out, std::size_t size) {
            if (offset <= failAt && failAt < offset + size) return false;
            return ReaderOf(bytes)(offset, out, size);
        };
        const CancelToken never;
        const OwnCheck check = CheckImage(failing, bytes.size(), never);
        EXPECT_EQ(Outcome::ReadFailed, check.outcome) << failAt;
        EXPECT_FALSE(check.imageMatches);
    }
}

TEST(Authenticode, AStoppedDigestIsNoVerdict) {
    const std::string bytes = Signed("pe32plus-trusted.exe");
    CancelToken stopped;
    stopped.Stop();
    const OwnCheck check = CheckImage(ReaderOf(bytes), bytes.size(), stopped);
    EXPECT_TRUE(check.stopped);
    EXPECT_FALSE(check.imageMatches);
}

// --- Hash ranges of made-up images -------------------------------------------------

// A PE image of `plus` kind with sections at the given file places and a
// certificate table of 16 bytes at the end.
std::string MadeUpImage(bool plus, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& sections,
                        std::uint32_t size) {
    std::string b(size + 16, '\xEE');
    std::fill(b.begin(), b.begin() + 0x200, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, 0x40);
    std::memcpy(&b[0x40], "PE\0\0", 4);
    b[0x46] = static_cast<char>(sections.size());
    const std::uint32_t optSize = plus ? 240 : 224;
    b[0x54] = static_cast<char>(optSize);
    const std::size_t opt = 0x58;
    b[opt] = 0x0B;
    b[opt + 1] = plus ? 2 : 1;
    Put32(b, opt + 60, 0x200);  // SizeOfHeaders
    const std::size_t dirs = plus ? 112 : 96;
    Put32(b, opt + dirs - 4, 16);
    Put32(b, opt + dirs + 32, size);
    Put32(b, opt + dirs + 36, 16);
    std::size_t at = opt + optSize;
    for (const auto& s : sections) {
        Put32(b, at + 16, s.second);
        Put32(b, at + 20, s.first);
        at += 40;
    }
    return b;
}

TEST(Authenticode, HashRangesFollowTheSectionsAndLeaveOutTheThreeParts) {
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        // Sections listed out of file order, a gap before the second, bytes after the last.
        const std::string image = MadeUpImage(plus, {{0x600, 0x100}, {0x200, 0x200}, {0x900, 0}}, 0x800);
        PeLayout layout;
        std::string reason;
        ASSERT_EQ(Outcome::Signed, ReadLayout(ReaderOf(image), image.size(), layout, reason)) << reason;
        const std::uint64_t entry = plus ? 0x58 + 112 + 32 : 0x58 + 96 + 32;
        EXPECT_EQ(0x58u + 64, layout.checksumAt);
        EXPECT_EQ(entry, layout.certEntryAt);
        // Joined where one range continues another.
        const std::vector<Range> expected = {
            {0, 0x58 + 64},
            {0x58 + 68, entry - (0x58 + 68)},
            {entry + 8, 0x400 - (entry + 8)},
            {0x600, 0x200},
        };
        EXPECT_EQ(expected, layout.hashed);
        const std::vector<Range> flat = {
            {0, 0x58 + 64},
            {0x58 + 68, entry - (0x58 + 68)},
            {entry + 8, 0x800 - (entry + 8)},
        };
        EXPECT_EQ(flat, layout.hashedFlat);
    }
}

TEST(Authenticode, ImpossibleSectionsAndHeadersAreDamage) {
    for (bool plus : {false, true}) {
        PeLayout layout;
        std::string reason;
        const std::string intoTable = MadeUpImage(plus, {{0x200, 0x700}}, 0x800);
        EXPECT_EQ(Outcome::Damaged, ReadLayout(ReaderOf(intoTable), intoTable.size(), layout, reason));
        std::string headers = MadeUpImage(plus, {{0x200, 0x100}}, 0x800);
        Put32(headers, 0x58 + 60, 0x10);  // SizeOfHeaders before the directory entry
        EXPECT_EQ(Outcome::Damaged, ReadLayout(ReaderOf(headers), headers.size(), layout, reason));
        std::string manySections = MadeUpImage(plus, {}, 0x800);
        manySections[0x46] = '\xFF';
        manySections[0x47] = '\xFF';
        EXPECT_EQ(Outcome::Damaged, ReadLayout(ReaderOf(manySections), manySections.size(), layout, reason));
        std::string noDirectory = MadeUpImage(plus, {}, 0x800);
        Put32(noDirectory, 0x58 + (plus ? 108 : 92), 4);
        EXPECT_EQ(Outcome::NotSigned, ReadLayout(ReaderOf(noDirectory), noDirectory.size(), layout, reason));
    }
}

}  // namespace

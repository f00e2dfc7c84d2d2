#include "components/authenticode.h"

#include <algorithm>
#include <cstring>

#include "components/md5.h"
#include "components/sha.h"

namespace authenticode {

namespace {

using der::Element;
using der::Reader;
using der::Span;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kSectionEntry = 40;
constexpr std::uint16_t kWinCertPkcsSignedData = 0x0002;
constexpr std::uint16_t kWinCertRevision2 = 0x0200;

constexpr char kOidSignedData[] = "1.2.840.113549.1.7.2";
constexpr char kOidSpcIndirectData[] = "1.3.6.1.4.1.311.2.1.4";
constexpr char kOidSpcPeImageData[] = "1.3.6.1.4.1.311.2.1.15";
constexpr char kOidMessageDigest[] = "1.2.840.113549.1.9.4";
constexpr char kOidSigningTime[] = "1.2.840.113549.1.9.5";
constexpr char kOidCounterSignature[] = "1.2.840.113549.1.9.6";
constexpr char kOidRfc3161Timestamp[] = "1.3.6.1.4.1.311.3.3.1";
constexpr char kOidTstInfo[] = "1.2.840.113549.1.9.16.1.4";

Outcome Damage(std::string& reason, const char* text) {
    reason = text;
    return Outcome::Damaged;
}

bool Fail(std::string& reason, const char* text) {
    reason = text;
    return false;
}

// Appends [from, to), joined to the last range when it continues it, so that
// the same bytes in the same order give the same list.
void Add(std::vector<Range>& ranges, std::uint64_t from, std::uint64_t to) {
    if (to <= from) return;
    if (!ranges.empty() && ranges.back().offset + ranges.back().size == from)
        ranges.back().size += to - from;
    else
        ranges.push_back(Range{from, to - from});
}

}  // namespace

Outcome ReadLayout(const ReadAt& read, std::uint64_t fileSize, PeLayout& layout, std::string& reason) {
    layout = PeLayout{};
    layout.fileSize = fileSize;
    std::uint8_t dos[64];
    if (fileSize < sizeof dos) return Outcome::NotPe;
    if (!read(0, dos, sizeof dos)) return Outcome::ReadFailed;
    if (dos[0] != 'M' || dos[1] != 'Z') return Outcome::NotPe;

    const std::uint64_t pe = U32(dos + 0x3C);
    std::uint8_t coff[24];
    if (pe + sizeof coff + 2 > fileSize) return Outcome::NotPe;
    if (!read(pe, coff, sizeof coff)) return Outcome::ReadFailed;
    if (std::memcmp(coff, "PE\0\0", 4) != 0) return Outcome::NotPe;
    const std::uint32_t sectionCount = U16(coff + 6);
    const std::uint32_t optionalSize = U16(coff + 20);

    // The optional header up to its data directories.
    const std::uint64_t opt = pe + sizeof coff;
    std::uint8_t head[112];
    if (!read(opt, head, 2)) return Outcome::ReadFailed;
    const std::uint16_t magic = U16(head);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) return Outcome::NotPe;
    layout.pe32Plus = magic == kMagicPe32Plus;
    const std::uint32_t directories = layout.pe32Plus ? 112 : 96;
    if (optionalSize < directories || opt + directories > fileSize) return Outcome::NotPe;
    if (!read(opt, head, directories)) return Outcome::ReadFailed;
    const std::uint32_t sizeOfHeaders = U32(head + 60);
    const std::uint32_t directoryCount = U32(head + directories - 4);
    layout.checksumAt = opt + 64;
    layout.certEntryAt = opt + directories + 4 * 8;

    // Without a fifth directory entry there is no place for a certificate table.
    if (directoryCount < 5 || optionalSize < directories + 5 * 8 || layout.certEntryAt + 8 > fileSize)
        return Outcome::NotSigned;
    std::uint8_t entry[8];
    if (!read(layout.certEntryAt, entry, sizeof entry)) return Outcome::ReadFailed;
    layout.certTableAt = U32(entry);
    layout.certTableSize = U32(entry + 4);
    if (layout.certTableSize == 0) return Outcome::NotSigned;

    const std::uint64_t tableEnd = std::uint64_t{layout.certTableAt} + layout.certTableSize;
    if (layout.certTableAt == 0 || tableEnd > fileSize)
        return Damage(reason, "The certificate table runs past the end of the file.");
    if (tableEnd < fileSize) return Damage(reason, "Bytes were added after the certificate table.");
    if (layout.certTableSize < 8)
        return Damage(reason, "The certificate table is too small to hold a signature.");
    if (layout.certTableSize > kMaxCertificateTable)
        return Damage(reason, "The certificate table is larger than the program reads (4 MiB).");

    const std::uint64_t sectionTable = opt + optionalSize;
    const std::uint64_t sectionTableEnd = sectionTable + std::uint64_t{sectionCount} * kSectionEntry;
    if (sizeOfHeaders < layout.certEntryAt + 8 || sizeOfHeaders > layout.certTableAt)
        return Damage(reason, "The size of the headers does not fit the file.");
    if (sectionTableEnd > sizeOfHeaders) return Damage(reason, "The section table lies outside the headers.");

    std::vector<std::uint8_t> table(static_cast<std::size_t>(sectionTableEnd - sectionTable));
    if (!table.empty() && !read(sectionTable, table.data(), table.size())) return Outcome::ReadFailed;
    std::vector<Range> sections;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* s = table.data() + i * kSectionEntry;
        const std::uint32_t rawSize = U32(s + 16);
        const std::uint32_t rawAt = U32(s + 20);
        if (rawSize == 0) continue;
        if (std::uint64_t{rawAt} + rawSize > layout.certTableAt)
            return Damage(reason, "A section runs into the certificate table or past the end of the file.");
        sections.push_back(Range{rawAt, rawSize});
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Range& a, const Range& b) { return a.offset < b.offset; });

    Add(layout.hashed, 0, layout.checksumAt);
    Add(layout.hashed, layout.checksumAt + 4, layout.certEntryAt);
    Add(layout.hashed, layout.certEntryAt + 8, sizeOfHeaders);
    std::uint64_t end = sizeOfHeaders;
    for (const Range& s : sections) {
        Add(layout.hashed, s.offset, s.offset + s.size);
        end = std::max(end, s.offset + s.size);
    }
    Add(layout.hashed, end, layout.certTableAt);

    Add(layout.hashedFlat, 0, layout.checksumAt);
    Add(layout.hashedFlat, layout.checksumAt + 4, layout.certEntryAt);
    Add(layout.hashedFlat, layout.certEntryAt + 8, layout.certTableAt);
    return Outcome::Signed;
}

Outcome ReadSignatureBlob(const ReadAt& read, const PeLayout& layout, std::vector<std::uint8_t>& pkcs7,
                          std::string& reason) {
    pkcs7.clear();
    if (layout.certTableSize == 0) return Outcome::NotSigned;
    if (layout.certTableSize > kMaxCertificateTable)
        return Damage(reason, "The certificate table is larger than the program reads (4 MiB).");
    std::vector<std::uint8_t> table(layout.certTableSize);
    if (!read(layout.certTableAt, table.data(), table.size())) return Outcome::ReadFailed;
    // The image hash leaves the table out, so the table must be exactly what
    // a signer writes: one entry (a nested signature lives inside the first
    // one's unsigned attributes), its DER filling it, then zeros up to the
    // next multiple of 8, where the table ends. Any other byte could be
    // changed or added without the signature noticing.
    if (table.size() < 8) return Damage(reason, "The certificate table is too small to hold a signature.");
    const std::uint8_t* e = table.data();
    const std::uint32_t length = U32(e);
    const std::uint16_t revision = U16(e + 4);
    const std::uint16_t type = U16(e + 6);
    if (length < 8 || length > table.size())
        return Damage(reason, "A certificate entry's length runs past the certificate table.");
    if (revision != kWinCertRevision2 || type != kWinCertPkcsSignedData)
        return Damage(reason, "The certificate table's entry is not an Authenticode signature.");
    Reader r(Span{e + 8, length - std::size_t{8}});
    Element contentInfo;
    if (!r.Next(contentInfo)) return Damage(reason, "The signature is not a PKCS #7 structure.");
    const std::size_t used = 8 + contentInfo.whole.size;
    const std::size_t padded = (used + 7) & ~std::size_t{7};
    // The entry's length either ends with the DER or includes the padding.
    if (length != used && length != padded)
        return Damage(reason, "The signature's entry holds bytes after the signature.");
    if (table.size() < padded) return Damage(reason, "The signature's entry is not padded to 8 bytes.");
    if (table.size() > padded)
        return Damage(reason, "The certificate table holds more than one signature entry.");
    for (std::size_t i = used; i < padded; ++i)
        if (table[i] != 0) return Damage(reason, "The padding after the signature is not zeros.");
    pkcs7.assign(e + 8, e + used);
    return Outcome::Signed;
}

DigestKind AlgorithmOfOid(const std::string& oid) {
    if (oid == "1.2.840.113549.2.5") return DigestKind::MD5;
    if (oid == "1.3.14.3.2.26") return DigestKind::SHA1;
    if (oid == "2.16.840.1.101.3.4.2.1") return DigestKind::SHA256;
    if (oid == "2.16.840.1.101.3.4.2.2") return DigestKind::SHA384;
    if (oid == "2.16.840.1.101.3.4.2.3") return DigestKind::SHA512;
    return DigestKind::None;
}

bool CanCompute(DigestKind algorithm) {
    return algorithm == DigestKind::MD5 || algorithm == DigestKind::SHA1 || algorithm == DigestKind::SHA256;
}

namespace {

// One streaming digest of a computable algorithm.
class AnyDigest {
public:
    explicit AnyDigest(DigestKind algorithm) : algorithm_(algorithm) {}
    void Update(const void* data, std::size_t size) {
        switch (algorithm_) {
            case DigestKind::MD5:
                md5_.Update(data, size);
                break;
            case DigestKind::SHA1:
                sha1_.Update(data, size);
                break;
            case DigestKind::SHA256:
                sha256_.Update(data, size);
                break;
            default:
                break;
        }
    }
    std::vector<std::uint8_t> Final() {
        switch (algorithm_) {
            case DigestKind::MD5:
                return Bytes(md5_.Final());
            case DigestKind::SHA1:
                return Bytes(sha1_.Final());
            case DigestKind::SHA256:
                return Bytes(sha256_.Final());
            default:
                return {};
        }
    }

private:
    template <typename Array>
    static std::vector<std::uint8_t> Bytes(const Array& a) {
        return std::vector<std::uint8_t>(a.begin(), a.end());
    }

    DigestKind algorithm_;
    Md5 md5_;
    Sha1 sha1_;
    Sha256 sha256_;
};

}  // namespace

std::vector<std::uint8_t> Digest(DigestKind algorithm, Span data) {
    if (!CanCompute(algorithm)) return {};
    AnyDigest d(algorithm);
    d.Update(data.data, data.size);
    return d.Final();
}

namespace {

std::string OidOf(const Element& algorithmIdentifier) {
    Reader r(algorithmIdentifier);
    Element oid;
    return r.Next(der::kOid, oid) ? der::OidText(oid.value) : std::string();
}

// Calls each(type, values) for every attribute (SEQUENCE { type OID, values
// SET }) of an attribute set; false when one is malformed.
template <typename Each>
bool ForEachAttribute(const Element& set, Each each) {
    Reader r(set);
    Element attribute;
    while (r.Next(der::kSequence, attribute)) {
        Reader a(attribute);
        Element type, values;
        if (!a.Next(der::kOid, type) || !a.Next(der::kSet, values)) return false;
        each(type.value, values);
    }
    return r.AtEnd();
}

// The first value of an attribute's value set.
bool FirstValue(const Element& values, Element& value) {
    Reader r(values);
    return r.Next(value);
}

// A countersignature: a SignerInfo whose message digest covers the signer's
// signature value and whose signing time is the time of the timestamp.
bool ReadCounterSignature(const Element& signerInfo, SignedData& out) {
    Reader r(signerInfo);
    Element sid, algorithm, attributes;
    if (!r.Skip(der::kInteger) || !r.Next(sid) || !r.Next(der::kSequence, algorithm) ||
        !r.Next(der::kContext0, attributes))
        return false;
    std::vector<std::uint8_t> digest;
    der::Time time;
    bool haveTime = false;
    const bool wellFormed = ForEachAttribute(attributes, [&](Span type, const Element& values) {
        Element v;
        if (!FirstValue(values, v)) return;
        if (der::OidIs(type, kOidMessageDigest) && v.tag == der::kOctetString)
            digest.assign(v.value.data, v.value.data + v.value.size);
        else if (der::OidIs(type, kOidSigningTime))
            haveTime = der::ReadTime(v, time);
    });
    if (!wellFormed || digest.empty() || !haveTime) return false;
    out.timestamp = TimestampKind::CounterSignature;
    out.timestampTime = time;
    out.timestampDigestAlgorithm = AlgorithmOfOid(OidOf(algorithm));
    out.timestampDigest = std::move(digest);
    out.timestampToken = signerInfo.whole;
    return true;
}

// An RFC 3161 time-stamp token: a ContentInfo holding a SignedData whose
// content is a TSTInfo with the message imprint and the time.
bool ReadTimestampToken(const Element& contentInfo, SignedData& out) {
    Reader r(contentInfo);
    Element type, wrapped, signedData;
    if (!r.Next(der::kOid, type) || !der::OidIs(type.value, kOidSignedData) ||
        !r.Next(der::kContext0, wrapped))
        return false;
    Reader w(wrapped);
    if (!w.Next(der::kSequence, signedData)) return false;
    Reader s(signedData);
    Element encapsulated;
    if (!s.Skip(der::kInteger) || !s.Skip(der::kSet) || !s.Next(der::kSequence, encapsulated)) return false;
    Reader e(encapsulated);
    Element contentType, explicitContent, octets;
    if (!e.Next(der::kOid, contentType) || !der::OidIs(contentType.value, kOidTstInfo) ||
        !e.Next(der::kContext0, explicitContent))
        return false;
    Reader x(explicitContent);
    if (!x.Next(der::kOctetString, octets)) return false;
    Reader outer(octets.value);
    Element tstInfo;
    if (!outer.Next(der::kSequence, tstInfo)) return false;
    Reader t(tstInfo);
    Element imprint, algorithm, hashed, time;
    if (!t.Skip(der::kInteger) || !t.Skip(der::kOid) || !t.Next(der::kSequence, imprint) ||
        !t.Skip(der::kInteger) || !t.Next(der::kGeneralizedTime, time))
        return false;
    Reader i(imprint);
    if (!i.Next(der::kSequence, algorithm) || !i.Next(der::kOctetString, hashed)) return false;
    der::Time when;
    if (!der::ReadTime(time, when)) return false;
    out.timestamp = TimestampKind::Rfc3161;
    out.timestampTime = when;
    out.timestampDigestAlgorithm = AlgorithmOfOid(OidOf(algorithm));
    out.timestampDigest.assign(hashed.value.data, hashed.value.data + hashed.value.size);
    out.timestampToken = contentInfo.whole;
    return true;
}

bool SameBytes(Span a, Span b) {
    return a.size == b.size && (a.size == 0 || std::memcmp(a.data, b.data, a.size) == 0);
}

// An INTEGER whose value is the one byte `value`.
bool IsSmallInteger(const Element& e, std::uint8_t value) {
    return e.tag == der::kInteger && e.value.size == 1 && e.value.data[0] == value;
}

// The parameters of an AlgorithmIdentifier after its OID: none, or exactly NULL.
bool NoneOrNull(Reader& r) {
    if (r.AtEnd()) return true;
    Element null;
    return r.Next(der::kNull, null) && null.value.empty() && r.AtEnd();
}

// The identifier of the public key of the certificate issued by `issuer`
// with `serial` among `certificates`; empty when none is there.
std::string KeyAlgorithmOf(const Element& certificates, Span issuer, Span serial) {
    Reader all(certificates);
    Element certificate;
    while (all.Next(certificate)) {
        if (certificate.tag != der::kSequence) continue;
        Reader c(certificate);
        Element tbs;
        if (!c.Next(der::kSequence, tbs)) continue;
        Reader t(tbs);
        Element number, signature, name, validity, subject, keyInfo, algorithm;
        t.Skip(der::kContext0);  // version
        if (!t.Next(der::kInteger, number) || !t.Next(der::kSequence, signature) ||
            !t.Next(der::kSequence, name) || !t.Next(der::kSequence, validity) ||
            !t.Next(der::kSequence, subject) || !t.Next(der::kSequence, keyInfo))
            continue;
        if (!SameBytes(number.whole, serial) || !SameBytes(name.whole, issuer)) continue;
        Reader k(keyInfo);
        return k.Next(der::kSequence, algorithm) ? OidOf(algorithm) : std::string();
    }
    return std::string();
}

// The signer's signature algorithm fits the key of its certificate and its
// digest: for RSA, rsaEncryption or the digest's ...WithRSAEncryption (with
// NULL or no parameters); for an EC key, the digest's ecdsa-with-... (no
// parameters).
bool SignatureAlgorithmFits(const Element& encryption, const std::string& keyOid, DigestKind digest) {
    Reader r(encryption);
    Element oid;
    if (!r.Next(der::kOid, oid)) return false;
    const std::string name = der::OidText(oid.value);
    if (keyOid == "1.2.840.113549.1.1.1") {
        const char* withDigest = digest == DigestKind::MD5      ? "1.2.840.113549.1.1.4"
                                 : digest == DigestKind::SHA1   ? "1.2.840.113549.1.1.5"
                                 : digest == DigestKind::SHA256 ? "1.2.840.113549.1.1.11"
                                 : digest == DigestKind::SHA384 ? "1.2.840.113549.1.1.12"
                                 : digest == DigestKind::SHA512 ? "1.2.840.113549.1.1.13"
                                                                : "";
        return (name == "1.2.840.113549.1.1.1" || name == withDigest) && NoneOrNull(r);
    }
    if (keyOid == "1.2.840.10045.2.1") {
        const char* withDigest = digest == DigestKind::SHA1     ? "1.2.840.10045.4.1"
                                 : digest == DigestKind::SHA256 ? "1.2.840.10045.4.3.2"
                                 : digest == DigestKind::SHA384 ? "1.2.840.10045.4.3.3"
                                 : digest == DigestKind::SHA512 ? "1.2.840.10045.4.3.4"
                                                                : "";
        return name == withDigest && r.AtEnd();
    }
    return false;
}

// Reads the one SignerInfo. `digestAlgorithms` is the SignedData's set and
// `certificates` its certificates (tag 0 when it has none): its unsigned
// fields must agree with the signer.
bool ReadSignerInfo(const Element& signerInfo, const Element& digestAlgorithms, const Element& certificates,
                    SignedData& out, std::string& reason) {
    Reader r(signerInfo);
    Element version, sid, algorithm, authenticated, encryption, signature, unauthenticated;
    if (!r.Next(version) || !r.Next(sid) || !r.Next(der::kSequence, algorithm))
        return Fail(reason, "The signer's information is malformed.");
    // Authenticode's signer is version 1 and named by issuer and serial number.
    Reader id(sid);
    Element issuer, serial;
    if (!IsSmallInteger(version, 1) || sid.tag != der::kSequence || !id.Next(der::kSequence, issuer) ||
        !id.Next(der::kInteger, serial) || !id.AtEnd())
        return Fail(reason, "The signer's version or name is not Authenticode's.");
    out.signerDigestOid = OidOf(algorithm);
    out.signerDigestAlgorithm = AlgorithmOfOid(out.signerDigestOid);
    // The SignedData lists exactly the signer's digest algorithm.
    {
        Reader set(digestAlgorithms);
        Element only;
        if (!set.Next(only) || !set.AtEnd() || !SameBytes(only.whole, algorithm.whole))
            return Fail(reason, "The signed data's digest algorithms are not the signer's.");
    }
    if (!r.Next(der::kContext0, authenticated)) return Fail(reason, "The signer has no signed attributes.");
    const bool wellFormed = ForEachAttribute(authenticated, [&](Span type, const Element& values) {
        Element v;
        if (der::OidIs(type, kOidMessageDigest) && FirstValue(values, v) && v.tag == der::kOctetString)
            out.messageDigest.assign(v.value.data, v.value.data + v.value.size);
    });
    if (!wellFormed) return Fail(reason, "The signer's signed attributes are malformed.");
    if (out.messageDigest.empty()) return Fail(reason, "The signer has no message digest.");
    if (!r.Next(der::kSequence, encryption) || !r.Next(der::kOctetString, signature))
        return Fail(reason, "The signer's signature is malformed.");
    out.signatureValue = signature.value;
    const std::string keyOid = certificates.tag == der::kContext0
                                   ? KeyAlgorithmOf(certificates, issuer.whole, serial.whole)
                                   : std::string();
    if (keyOid.empty()) return Fail(reason, "The signer's certificate is not in the signature.");
    if (!SignatureAlgorithmFits(encryption, keyOid, out.signerDigestAlgorithm))
        return Fail(reason, "The signer's signature algorithm does not fit its key.");
    if (r.Next(der::kContext1, unauthenticated)) {
        // Unsigned attributes: a damaged timestamp among them is no
        // timestamp, and leaves the signature itself as it is.
        ForEachAttribute(unauthenticated, [&](Span type, const Element& values) {
            Element v;
            if (out.timestamp != TimestampKind::None || !FirstValue(values, v) || v.tag != der::kSequence)
                return;
            SignedData candidate = out;
            const bool read = der::OidIs(type, kOidCounterSignature)   ? ReadCounterSignature(v, candidate)
                              : der::OidIs(type, kOidRfc3161Timestamp) ? ReadTimestampToken(v, candidate)
                                                                       : false;
            if (read) out = std::move(candidate);
        });
    }
    if (!r.AtEnd()) return Fail(reason, "Bytes follow the signer's information.");
    return true;
}

}  // namespace

bool ReadSignedData(Span blob, SignedData& out, std::string& reason) {
    out = SignedData{};
    Reader top(blob);
    Element contentInfo, type, wrapped, signedData;
    if (!top.Next(der::kSequence, contentInfo))
        return Fail(reason, "The signature is not a PKCS #7 structure.");
    // Every level holds what it must and nothing after it: bytes that no
    // signer wrote and no digest covers are not taken.
    if (!top.AtEnd()) return Fail(reason, "Bytes follow the signature inside its entry.");
    Reader c(contentInfo);
    if (!c.Next(der::kOid, type) || !der::OidIs(type.value, kOidSignedData) ||
        !c.Next(der::kContext0, wrapped) || !c.AtEnd())
        return Fail(reason, "The signature holds no signed data.");
    Reader w(wrapped);
    if (!w.Next(der::kSequence, signedData) || !w.AtEnd())
        return Fail(reason, "The signature holds no signed data.");

    Reader s(signedData);
    Element version, digestAlgorithms, encapsulated;
    if (!s.Next(der::kInteger, version) || !s.Next(der::kSet, digestAlgorithms) ||
        !s.Next(der::kSequence, encapsulated))
        return Fail(reason, "The signed data is malformed.");
    // PKCS #7 (RFC 2315), which Authenticode follows, numbers its SignedData 1.
    if (!IsSmallInteger(version, 1)) return Fail(reason, "The signed data's version is not 1.");
    {
        Reader e(encapsulated);
        Element contentType, explicitContent, indirect, attribute, digestInfo, algorithm, digest;
        if (!e.Next(der::kOid, contentType) || !der::OidIs(contentType.value, kOidSpcIndirectData))
            return Fail(reason, "The signature is not an Authenticode signature.");
        if (!e.Next(der::kContext0, explicitContent) || !e.AtEnd())
            return Fail(reason, "The signed image digest is missing.");
        Reader x(explicitContent);
        if (!x.Next(der::kSequence, indirect) || !x.AtEnd())
            return Fail(reason, "The signed image digest is malformed.");
        out.indirectContent = indirect.value;
        Reader i(indirect);
        if (!i.Next(der::kSequence, attribute) || !i.Next(der::kSequence, digestInfo))
            return Fail(reason, "The signed image digest is malformed.");
        Reader a(attribute);
        Element attributeType;
        if (!a.Next(der::kOid, attributeType) || !der::OidIs(attributeType.value, kOidSpcPeImageData))
            return Fail(reason, "The signature is not one of a program image.");
        Reader d(digestInfo);
        if (!d.Next(der::kSequence, algorithm) || !d.Next(der::kOctetString, digest))
            return Fail(reason, "The signed image digest is malformed.");
        out.imageDigestOid = OidOf(algorithm);
        out.imageDigestAlgorithm = AlgorithmOfOid(out.imageDigestOid);
        out.imageDigest.assign(digest.value.data, digest.value.data + digest.value.size);
    }
    Element certificates;
    s.Next(der::kContext0, certificates);
    s.Skip(der::kContext1);  // revocation lists
    Element signers, signerInfo;
    if (!s.Next(der::kSet, signers)) return Fail(reason, "The signed data has no signer.");
    if (!s.AtEnd()) return Fail(reason, "Bytes follow the signed data's signers.");
    Reader si(signers);
    if (!si.Next(der::kSequence, signerInfo)) return Fail(reason, "The signed data has no signer.");
    // Authenticode has exactly one signer; a nested signature is an
    // unsigned attribute of it.
    if (!si.AtEnd()) return Fail(reason, "The signed data has more than one signer.");
    return ReadSignerInfo(signerInfo, digestAlgorithms, certificates, out, reason);
}

bool MessageDigestMatches(const SignedData& data) {
    if (!CanCompute(data.signerDigestAlgorithm)) return false;
    return Digest(data.signerDigestAlgorithm, data.indirectContent) == data.messageDigest;
}

bool TimestampMatches(const SignedData& data) {
    if (data.timestamp == TimestampKind::None || !CanCompute(data.timestampDigestAlgorithm)) return false;
    return Digest(data.timestampDigestAlgorithm, data.signatureValue) == data.timestampDigest;
}

bool DigestRanges(const ReadAt& read, const std::vector<Range>& ranges, DigestKind algorithm,
                  const CancelToken& cancel, std::vector<std::uint8_t>& digest) {
    digest.clear();
    if (!CanCompute(algorithm)) return false;
    constexpr std::size_t kChunk = 256 * 1024;
    std::vector<std::uint8_t> buffer(kChunk);
    AnyDigest d(algorithm);
    for (const Range& range : ranges) {
        for (std::uint64_t done = 0; done < range.size;) {
            if (cancel.Stopped()) return false;
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, range.size - done));
            if (!read(range.offset + done, buffer.data(), n)) return false;
            d.Update(buffer.data(), n);
            done += n;
        }
    }
    digest = d.Final();
    return true;
}

OwnCheck CheckImage(const ReadAt& read, std::uint64_t fileSize, const CancelToken& cancel) {
    OwnCheck c;
    PeLayout layout;
    c.outcome = ReadLayout(read, fileSize, layout, c.reason);
    if (c.outcome != Outcome::Signed) return c;
    c.outcome = ReadSignatureBlob(read, layout, c.blob, c.reason);
    if (c.outcome != Outcome::Signed) return c;
    if (!ReadSignedData(Span{c.blob.data(), c.blob.size()}, c.data, c.reason)) {
        c.outcome = Outcome::Damaged;
        return c;
    }
    c.parsed = true;
    c.computable = CanCompute(c.data.imageDigestAlgorithm) && CanCompute(c.data.signerDigestAlgorithm);
    if (!c.computable) return c;
    c.messageMatches = MessageDigestMatches(c.data);
    // A signature whose signed attributes do not belong to its image digest
    // is broken whatever the image holds.
    if (!c.messageMatches) return c;
    for (const std::vector<Range>* ranges : {&layout.hashed, &layout.hashedFlat}) {
        if (ranges == &layout.hashedFlat && layout.hashedFlat == layout.hashed) break;
        std::vector<std::uint8_t> digest;
        if (!DigestRanges(read, *ranges, c.data.imageDigestAlgorithm, cancel, digest)) {
            if (cancel.Stopped()) {
                c.stopped = true;
            } else {
                c.outcome = Outcome::ReadFailed;
                c.reason = "The file could not be read.";
            }
            return c;
        }
        if (digest == c.data.imageDigest) {
            c.imageMatches = true;
            break;
        }
    }
    return c;
}

const char* SignatureStatusText(SignatureStatus status) {
    switch (status) {
        case SignatureStatus::Valid:
            return "Valid";
        case SignatureStatus::NotTrusted:
            return "Not trusted";
        case SignatureStatus::Changed:
            return "Changed after signing";
        case SignatureStatus::Expired:
            return "Expired";
        case SignatureStatus::Revoked:
            return "Revoked";
        case SignatureStatus::NotSigned:
            return "Not signed";
        case SignatureStatus::None:
            break;
    }
    return "";
}

}  // namespace authenticode

// The parts of an embedded Authenticode signature that need no operating
// system: where a PE image (PE32 or PE32+) keeps its checksum, its
// certificate-table entry and its certificate table; the WIN_CERTIFICATE
// entries of that table; which bytes the image hash covers; and what the
// PKCS#7 SignedData says: the image digest the signer signed (in the
// SpcIndirectDataContent), the signer's message digest, and the time of a
// countersignature or RFC 3161 timestamp.
//
// Every input may be hostile. Each step answers with an outcome and, for a
// damaged file, a short reason; nothing reads outside the file or the blob,
// and memory stays bounded: the certificate table is read only up to
// kMaxCertificateTable bytes, the section table up to 65,535 entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/der.h"
#include "components/digestkind.h"
#include "components/readring.h"

namespace authenticode {

// Reads `size` bytes at `offset` of the file into `out`; false when they
// cannot all be read.
using ReadAt = std::function<bool(std::uint64_t offset, void* out, std::size_t size)>;

// The largest certificate table that is read. Real ones hold a few
// kilobytes; a larger one is taken as damaged rather than read.
constexpr std::uint32_t kMaxCertificateTable = 4u << 20;

enum class Outcome {
    NotPe,       // not a PE image: no embedded signature can be there
    NotSigned,   // a PE image with no signature in it
    Signed,      // a signature was found and read
    Damaged,     // the file claims a signature that cannot be read as one
    ReadFailed,  // the file could not be read
};

// Bytes [offset, offset + size) of the file.
struct Range {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    bool operator==(const Range& o) const { return offset == o.offset && size == o.size; }
};

struct PeLayout {
    bool pe32Plus = false;
    std::uint64_t fileSize = 0;
    std::uint64_t checksumAt = 0;     // the 4-byte checksum field
    std::uint64_t certEntryAt = 0;    // the 8-byte certificate-table directory entry
    std::uint32_t certTableAt = 0;    // the certificate table: a file offset ...
    std::uint32_t certTableSize = 0;  // ... and its size; 0 and 0 without one
    // The image hash in the usual order: the headers without the checksum
    // and the certificate-table entry, the sections by their place in the
    // file, then the bytes after the last section up to the certificate
    // table.
    std::vector<Range> hashed;
    // The whole file but the checksum, the entry and the certificate table,
    // front to back. The same bytes as `hashed` unless the sections leave
    // gaps or overlap; some signing tools hash this way.
    std::vector<Range> hashedFlat;
};

// Reads the headers of a file of `fileSize` bytes. NotPe for anything that is
// not a PE32 or PE32+ image with readable headers; NotSigned for one without
// a certificate table; Signed when the table's place and the hash ranges are
// sound; Damaged (with `reason`) when the table or the section table lies
// where it cannot.
Outcome ReadLayout(const ReadAt& read, std::uint64_t fileSize, PeLayout& layout, std::string& reason);

// Reads the certificate table, which must be exactly what a signer writes:
// one WIN_CERTIFICATE entry of revision 2.0 and type PKCS_SIGNED_DATA whose
// DER element fills it (its length ending with the DER or with the padding),
// zeros up to the next multiple of 8, and the table's end there. `pkcs7`
// gets the DER element. Damaged, with the reason, for anything else: the
// image hash leaves the table out, so no other byte may be there.
Outcome ReadSignatureBlob(const ReadAt& read, const PeLayout& layout, std::vector<std::uint8_t>& pkcs7,
                          std::string& reason);

// The algorithm of a digest's object identifier: MD5, SHA1, SHA256, SHA384,
// SHA512, or None for any other.
DigestKind AlgorithmOfOid(const std::string& oid);
// True for the algorithms the program computes itself (MD5, SHA-1, SHA-256).
bool CanCompute(DigestKind algorithm);
// The digest of `data` with a computable algorithm; empty otherwise.
std::vector<std::uint8_t> Digest(DigestKind algorithm, der::Span data);

enum class TimestampKind { None, CounterSignature, Rfc3161 };

// What the SignedData of an Authenticode signature says.
struct SignedData {
    // From the SpcIndirectDataContent: the digest of the image, and its algorithm.
    std::string imageDigestOid;
    DigestKind imageDigestAlgorithm = DigestKind::None;
    std::vector<std::uint8_t> imageDigest;
    // The SpcIndirectDataContent's value bytes (without its tag and length):
    // what the signer's message digest covers.
    der::Span indirectContent;
    // The first signer: its digest algorithm, its message digest attribute
    // and its signature value (which a timestamp's digest covers).
    std::string signerDigestOid;
    DigestKind signerDigestAlgorithm = DigestKind::None;
    std::vector<std::uint8_t> messageDigest;
    der::Span signatureValue;
    // The first countersignature or RFC 3161 timestamp among the signer's
    // unauthenticated attributes, the time it states (UTC), the digest of
    // the signature value that it states, and its own bytes (a SignerInfo for
    // a countersignature, a ContentInfo for an RFC 3161 token).
    TimestampKind timestamp = TimestampKind::None;
    der::Time timestampTime;
    DigestKind timestampDigestAlgorithm = DigestKind::None;
    std::vector<std::uint8_t> timestampDigest;
    der::Span timestampToken;
};

// Reads a PKCS#7 SignedData that carries an Authenticode SpcIndirectDataContent
// for a PE image, and holds its fields that no signature covers to what a
// signer writes: the ContentInfo fills `blob`, every level ends where it
// must, version 1, one signer (version 1, named by issuer and serial number,
// its certificate among the signature's), the digest algorithms exactly the
// signer's, and a signature algorithm that fits the certificate's key and
// the digest. False with `reason` for anything else; spans point into `blob`.
bool ReadSignedData(der::Span blob, SignedData& out, std::string& reason);

// The signer's message digest equals the digest of the indirect content
// (with the signer's algorithm, which must be computable).
bool MessageDigestMatches(const SignedData& data);
// The timestamp's digest equals the digest of the signature value.
bool TimestampMatches(const SignedData& data);

// Computes the digest of the file's bytes in `ranges`, reading in bounded
// chunks. False when a read fails, the token is stopped or the algorithm is
// not computable.
bool DigestRanges(const ReadAt& read, const std::vector<Range>& ranges, DigestKind algorithm,
                  const CancelToken& cancel, std::vector<std::uint8_t>& digest);

// The result of the program's own checks of a PE file's signature.
struct OwnCheck {
    OwnCheck() = default;
    // Moved, never copied: the spans in `data` point into `blob`.
    OwnCheck(OwnCheck&&) = default;
    OwnCheck& operator=(OwnCheck&&) = default;
    OwnCheck(const OwnCheck&) = delete;
    OwnCheck& operator=(const OwnCheck&) = delete;

    Outcome outcome = Outcome::NotPe;
    std::string reason;              // for Damaged and ReadFailed
    bool stopped = false;            // the token was stopped: nothing is known
    std::vector<std::uint8_t> blob;  // the PKCS#7 SignedData
    SignedData data;                 // spans point into `blob`
    bool parsed = false;             // `data` was read from `blob`
    // Both digests were computed and match: the image is what was signed,
    // and the signed attributes belong to that digest.
    bool imageMatches = false;
    bool messageMatches = false;
    bool computable = false;  // both algorithms are ones the program computes
};

// Reads the layout and the signature of a file of `fileSize` bytes and checks
// the image digest and the message digest. Outcome Signed with `parsed`
// set when the SignedData was read; `reason` says what is wrong otherwise.
OwnCheck CheckImage(const ReadAt& read, std::uint64_t fileSize, const CancelToken& cancel);

// The verdict on a file's signature, as the window and the console show it.
enum class SignatureStatus {
    None,        // not a file that can carry an embedded signature (or not checked)
    Valid,       // the image is what was signed, by a certificate this computer trusts
    NotTrusted,  // signed, but the chain ends in a root this computer does not trust
    Changed,     // the file was changed after it was signed (or its signature is damaged)
    Expired,     // the certificate has expired and no timestamp shows it was valid when used
    Revoked,     // the certificate is revoked, as far as that can be known
    NotSigned,   // no embedded signature
};

// "Valid", "Not trusted", "Changed after signing", "Expired", "Revoked",
// "Not signed"; "" for None.
const char* SignatureStatusText(SignatureStatus status);

// What the check of one file's signature found out (components/filesignature.h).
struct SignatureFacts {
    SignatureStatus status = SignatureStatus::None;
    std::string signer;           // subject CN, else O, in the program's code page
    std::string issuer;           // issuer CN, else O
    std::string digestAlgorithm;  // "SHA-256", "SHA-1", "MD5", …, else the identifier
    bool hasTimestamp = false;
    der::Time timestamp;   // the timestamp's time, in local time
    std::string note;      // why, when the signature is damaged or not checked
    bool stopped = false;  // the check was stopped: nothing is known
};

}  // namespace authenticode

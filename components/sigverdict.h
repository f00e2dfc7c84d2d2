// The verdict on a checksum file's signature, shared by the OpenPGP,
// minisign and signify verifiers and their front (components/sigverify.h).
#pragma once

#include <cstdint>
#include <string>

enum class SigStatus {
    NotSigned,    // no signature was found
    Good,         // verified by a trusted key that was valid when it signed
    Bad,          // the signature does not verify, or its file is damaged
    UnknownKey,   // made by a key that is not among the trusted ones
    Weak,         // MD5 or SHA-1, or an RSA key below 2048 bits: refused
    Expired,      // the key had expired when it signed, or the signature has
    Revoked,      // the trusted key file revokes the key
    Future,       // made after the time it is checked at
    KeyInvalid,   // the key's own self-signature or subkey binding fails
    Unsupported,  // a kind of signature or key this program does not verify
};

// Whether a status fails a check on its own (Bad and worse); NotSigned,
// UnknownKey and Unsupported fail only when a signature is required.
bool SigStatusFails(SigStatus status);

struct SigVerdict {
    SigStatus status = SigStatus::NotSigned;
    std::string reason;              // why, for anything but Good and NotSigned
    std::string signer;              // the key's user ID, or a minisign key's comment
    std::string keyId;               // "0x" and 16 hex digits, also for an unknown key
    std::string fingerprint;         // the primary key's, OpenPGP only
    std::string algorithm;           // "RSA 3072", "Ed25519"
    std::int64_t signedAt = -1;      // Unix seconds, -1 when the signature has none
    std::string note;                // e.g. the key has expired since it signed
    std::string trustedComment;      // minisign
    bool hasSignedText = false;      // clearsigned and signify: the list is inside
    std::string signedText;          // the list that was signed, when inside
    bool textOutsideSigned = false;  // clearsigned: text outside the signed part
};

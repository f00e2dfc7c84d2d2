// The front of the checksum-file signature check: the trusted keys (the
// user's key files: OpenPGP, minisign or signify public keys) and the
// verdict on one list and its signature file, whatever the signature's
// format. A key found beside the download is never passed here as trusted;
// the verdict only names the key that signed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/minisign.h"
#include "components/openpgp.h"
#include "components/sigverdict.h"

class TrustedKeys {
public:
    // Adds the keys in one file; false with `error` (the file's name is the
    // caller's to add) when it holds none or is damaged.
    bool AddFile(std::string_view bytes, std::string& error);
    std::size_t Size() const { return pgp_.Size() + small_.size(); }

    const pgp::Keyring& Pgp() const { return pgp_; }
    const std::vector<minisign::PublicKey>& Small() const { return small_; }

private:
    pgp::Keyring pgp_;
    std::vector<minisign::PublicKey> small_;
};

// The names a list's signature may have beside it, in the order they are
// tried: LIST.asc, LIST.sig, LIST.gpg, LIST.minisig.
std::vector<std::string> SignatureFileNames(const std::string& list);

// Whether the list itself is a clearsigned message.
bool IsClearsigned(std::string_view list);

// The verdict on `list` (the checksum file's bytes) signed by `sigFile` (the
// signature file's bytes; empty for a clearsigned list, whose signature is
// inside), judged at `now` (Unix seconds). A signify file that carries the
// list inside it is passed as `sigFile` with the list empty or not; the
// verdict's signed text is then the list to check.
SigVerdict VerifyListSignature(std::string_view list, std::string_view sigFile, const TrustedKeys& keys,
                               std::int64_t now);

// One line for a verdict: `Good signature from "NAME" (RSA 3072 key 0x...)`,
// `BAD signature (why)`, `signed by unknown key 0x...`, `not signed`, ...
std::string SigVerdictText(const SigVerdict& v);

// The console's /check line for a list's verdict, "<list>: <verdict>" on one
// line ending in CR LF (the verdict's control characters blanks, as in a
// report line); empty when the list is not signed and no signature
// was asked for (no /key, no /require-signature).
std::string SigCheckLine(const std::string& list, const SigVerdict& verdict, bool asked);

// Whether a verdict fails the run: a bad signature (and worse) always; an
// unknown key, an unsupported signature or none at all only when a
// signature is required.
bool SigVerdictFailsRun(const SigVerdict& verdict, bool requireSignature);

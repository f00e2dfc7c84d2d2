// The signature component: who signed a file, and whether the signature
// still holds for its bytes.
//
// A file is checked in layers. The program's own reading of the PE image and
// its SignedData (components/authenticode.h) decides whether there is a
// signature at all, and computes the image hash and the signer's message
// digest with the program's own MD5, SHA-1 and SHA-256: bytes that do not
// match what was signed are "Changed after signing", whatever the platform
// says. The platform then checks the rest: WinVerifyTrust
// (WINTRUST_ACTION_GENERIC_VERIFY_V2, no UI, revocation checking off and no
// URL retrieval, so nothing goes to the network), CryptMsgControl for the
// signer's signature, and a certificate chain for code signing built with
// CertGetCertificateChain, whose errors are read here (untrusted or partial
// chains, revocation the system knows of, expiry) since not every
// implementation of WinVerifyTrust turns them into its answer. An expired
// certificate counts as valid when a countersignature or RFC 3161 timestamp
// that the platform verifies, and whose digest covers this signature, shows
// it was valid at that time.
//
// The names come from the signer's certificate (CertGetNameStringW): the
// subject's common name, else its organisation, and the same of the issuer.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "components/authenticode.h"
#include "components/readring.h"

// What the check found out (components/authenticode.h).
using FileSignature = authenticode::SignatureFacts;

// Checks the signature of the file open as `file` (with read access; its
// position is moved), named `name`. Reads the file itself, so the caller
// keeps it open until this returns. Never throws for what the file holds.
FileSignature CheckSignature(HANDLE file, const std::string& name, const CancelToken& cancel);

// Opens `name` once, read-only and sharing reading as the load does
// (OpenFileForReading), and checks it. A file that cannot be opened has the
// status None, with the reason in `note`.
FileSignature CheckFileSignature(const std::string& name, const CancelToken& cancel);
// The same for one version of the file: `isVersion` is asked with the file as
// opened, before anything is read (the open shares reading only, so nobody
// changes it while it is checked). Empty when it says no: nothing was checked.
std::optional<FileSignature> CheckFileSignature(const std::string& name, const CancelToken& cancel,
                                                const std::function<bool(HANDLE file)>& isVersion);

// The platform's verdict alone: WinVerifyTrust (WINTRUST_ACTION_GENERIC_VERIFY_V2,
// no UI, no revocation check, no URL retrieval) on the open file `file`
// named `name`; 0 for a signature it takes as valid, else its error code.
LONG VerifyTrust(HANDLE file, const std::string& name);

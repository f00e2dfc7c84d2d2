// The signed files of the signature tests (tests/fixtures/signing), made at
// build time with a test root of their own, and the trust in that root.
#pragma once

#include <string>

namespace testutil {

// The Windows path of one of the signed files, "pe32plus-trusted.exe" and so on.
std::string SignedFile(const std::string& name);

// True when the tests run under Wine, whose prefix is the tests' own.
bool UnderWine();

// While alive, the test root is among the local machine's trusted roots
// (its registry store, which asks no question). Only under Wine: on a real
// Windows the machine's trust is not the tests' to change, and Added() is
// false. Removed again at the end.
class TrustedTestRoot {
public:
    TrustedTestRoot();
    ~TrustedTestRoot();
    TrustedTestRoot(const TrustedTestRoot&) = delete;
    TrustedTestRoot& operator=(const TrustedTestRoot&) = delete;
    bool Added() const { return added_; }

private:
    bool added_ = false;
};

// While alive, the certificate in `cerFile` (one of the signed files' DER
// certificates, "leaf.cer" or "root.cer") is in the "Disallowed" store of
// `location` (CERT_SYSTEM_STORE_CURRENT_USER or _LOCAL_MACHINE), which
// Windows refuses whatever else trusts it. Only under Wine, as the trusted
// root; removed again at the end.
class DistrustedCertificate {
public:
    DistrustedCertificate(const std::string& cerFile, unsigned long location);
    ~DistrustedCertificate();
    DistrustedCertificate(const DistrustedCertificate&) = delete;
    DistrustedCertificate& operator=(const DistrustedCertificate&) = delete;
    bool Added() const { return added_; }

private:
    std::string cerFile_;
    unsigned long location_;
    bool added_ = false;
};

}  // namespace testutil

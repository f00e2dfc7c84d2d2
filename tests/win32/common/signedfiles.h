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

}  // namespace testutil

// Fuzz target for the checksum-file signature check: the OpenPGP armor,
// packet, key and signature parsers, the cleartext framework, and the
// minisign and signify files, on any bytes. The input is a trusted key file,
// a signature file and a list, split at the first two "\n@@\n". Besides
// memory safety and bounded time it checks that a good verdict names its
// key, that a good detached signature never survives a changed bit of its
// list, and that a clearsigned list's signed text is never longer than the
// file. The seeds of fuzz/run.sh include real keys and signatures.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "components/ed25519.h"
#include "components/sigverify.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::size_t a = in.find("\n@@\n");
    const std::string_view keyFile = in.substr(0, a);
    std::string_view sigFile, list;
    if (a != std::string_view::npos) {
        const std::string_view rest = in.substr(a + 4);
        const std::size_t b = rest.find("\n@@\n");
        sigFile = rest.substr(0, b);
        if (b != std::string_view::npos) list = rest.substr(b + 4);
    }
    TrustedKeys keys;
    std::string error;
    const bool added = keys.AddFile(keyFile, error);
    FUZZ_CHECK(added || !error.empty());

    const std::int64_t now = 4102444800;  // 2100-01-01
    const SigVerdict v = VerifyListSignature(list, sigFile, keys, now);
    FUZZ_CHECK(!SigVerdictText(v).empty());
    if (v.status == SigStatus::Good) {
        FUZZ_CHECK(!v.keyId.empty() && !v.algorithm.empty());
        if (!v.hasSignedText && !list.empty()) {
            std::string changed(list);
            changed[changed.size() / 2] ^= 1;
            FUZZ_CHECK(VerifyListSignature(changed, sigFile, keys, now).status != SigStatus::Good);
        }
    }
    const SigVerdict clear = VerifyListSignature(sigFile, "", keys, now);
    FUZZ_CHECK(clear.signedText.size() <= sigFile.size());

    if (size >= 96) FUZZ_CHECK(!Ed25519Verify(data, data + 96, size - 96, data + 64));
    return 0;
}

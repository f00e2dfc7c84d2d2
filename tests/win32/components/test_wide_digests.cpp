// SHA-384/512, BLAKE2b and BLAKE3 in the Windows program: the known digests of
// the test-vector pattern through every BLAKE3 path the processor has (the
// vector files are built with the flags that keep MinGW's spills of wide
// registers off aligned moves), and SHA-384/512 against the system's
// CryptoAPI.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

#include <string>

#include "components/blake2b.h"
#include "components/blake3.h"
#include "components/sha512.h"
#include "tests/vectors/wide_vectors.h"
#include "testutil.h"

namespace {

using namespace wide_vectors;

// Fed in two parts split at `at`.
template <typename D, typename... Args>
typename D::Digest InTwo(const std::string& data, std::size_t at, Args... args) {
    at = at < data.size() ? at : data.size();
    D d(args...);
    d.Update(data.data(), at);
    d.Update(data.data() + at, data.size() - at);
    return d.Final();
}

TEST(WideDigests, KnownDigestsOfThePattern) {
    for (const auto& v : kPatterns) {
        const std::string data = PatternBytes(v.length);
        for (std::size_t at : {std::size_t{0}, std::size_t{65}, std::size_t{1025}}) {
            const std::string how = "length " + std::to_string(v.length) + " split at " + std::to_string(at);
            EXPECT_EQ(Sha384::Hex(InTwo<Sha384>(data, at)), v.sha384) << how;
            EXPECT_EQ(Sha512::Hex(InTwo<Sha512>(data, at)), v.sha512) << how;
            EXPECT_EQ(Blake2b::Hex(InTwo<Blake2b>(data, at, std::size_t{64}), 64), v.blake2b512) << how;
            EXPECT_EQ(Blake2b::Hex(InTwo<Blake2b>(data, at, std::size_t{32}), 32), v.blake2b256) << how;
            for (Blake3Path path :
                 {Blake3Path::Portable, Blake3Path::Sse41, Blake3Path::Avx2, Blake3Path::Avx512}) {
                if (!blake3_detail::PathAvailable(path)) continue;
                EXPECT_EQ(Blake3::Hex(InTwo<Blake3>(data, at, path)), v.blake3)
                    << how << " path " << static_cast<int>(path);
            }
        }
    }
}

TEST(WideDigests, Sha384And512AgreeWithCryptoApi) {
    std::string data(70000, '\0');
    std::uint32_t x = 0xC0FFEEu;
    for (char& c : data) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    for (std::size_t n : {0u, 1u, 111u, 112u, 128u, 239u, 1000u, 65537u, 70000u}) {
        const std::string m = data.substr(0, n);
        EXPECT_EQ(SHA384Hex(m.data(), m.size()), testutil::CryptoApiHash(CALG_SHA_384, m)) << n;
        EXPECT_EQ(SHA512Hex(m.data(), m.size()), testutil::CryptoApiHash(CALG_SHA_512, m)) << n;
    }
}

}  // namespace

// SHA-1 and SHA-256 in the 32-bit program: the known vectors through both
// block paths, and messages of many sizes against the system's CryptoAPI.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "components/sha.h"
#include "tests/vectors/sha_vectors.h"
#include "testutil.h"

namespace {

using namespace sha_vectors;

template <typename Sha>
std::string InTwo(ShaPath path, const std::string& data, std::size_t at) {
    at = at < data.size() ? at : data.size();
    Sha sha(path);
    sha.Update(data.data(), at);
    sha.Update(data.data() + at, data.size() - at);
    return Sha::Hex(sha.Final());
}

TEST(ShaKernels, KnownVectorsOnBothPaths) {
    for (ShaPath path : {ShaPath::Best, ShaPath::Portable}) {
        for (const auto& v : kShaMessages) {
            for (std::size_t at : {std::size_t{0}, std::size_t{3}, std::size_t{63}, std::size_t{65}}) {
                EXPECT_EQ(InTwo<Sha1>(path, v.data, at), v.sha1) << v.name << " split at " << at;
                EXPECT_EQ(InTwo<Sha256>(path, v.data, at), v.sha256) << v.name << " split at " << at;
            }
        }
        for (const auto& v : kSha1Short) EXPECT_EQ(InTwo<Sha1>(path, v.data, 1), v.hex);
        for (const auto& v : kSha256Short) EXPECT_EQ(InTwo<Sha256>(path, v.data, 1), v.hex);
        const std::string all = GeneratedBytes(kShaGenerated[std::size(kShaGenerated) - 1].length);
        for (const auto& v : kShaGenerated) {
            const std::string data = all.substr(0, v.length);
            EXPECT_EQ(InTwo<Sha1>(path, data, 129), v.sha1) << "length " << v.length;
            EXPECT_EQ(InTwo<Sha256>(path, data, 55), v.sha256) << "length " << v.length;
        }
    }
}

TEST(ShaKernels, AgreeWithCryptoApi) {
    std::string data(70000, '\0');
    std::uint32_t x = 0xC0FFEEu;
    for (char& c : data) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    for (std::size_t n : {0u, 1u, 55u, 56u, 64u, 119u, 1000u, 65537u, 70000u}) {
        const std::string m = data.substr(0, n);
        EXPECT_EQ(SHA1Hex(m.data(), m.size()), testutil::CryptoApiHash(CALG_SHA1, m)) << n;
        EXPECT_EQ(SHA256Hex(m.data(), m.size()), testutil::CryptoApiHash(CALG_SHA_256, m)) << n;
    }
}

}  // namespace

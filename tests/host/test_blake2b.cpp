// BLAKE2b: RFC 7693's example and the BLAKE3 test-vector pattern at the
// 128-byte block edges, for 64 and 32 bytes of output, each fed whole, split
// and in random chunks from unaligned addresses.
#include <gtest/gtest.h>

#include <string>

#include "components/blake2b.h"
#include "tests/host/digest_ways.h"
#include "tests/vectors/wide_vectors.h"

namespace {

using digest_ways::EveryWay;
using digest_ways::Feed;

void CheckAllWays(const std::string& what, const std::string& data, std::size_t outLen, const char* hex) {
    EXPECT_EQ(Blake2bHex(data.data(), data.size(), outLen), hex) << what;
    EveryWay(
        data,
        [outLen](const unsigned char* p, std::size_t len, const std::vector<std::size_t>& chunks) {
            Blake2b b(outLen);
            Feed(b, p, len, chunks);
            return Blake2b::Hex(b.Final(), outLen);
        },
        [&](const std::string& got, const std::string& how) { EXPECT_EQ(got, hex) << what << " " << how; });
}

TEST(Blake2bVectors, Rfc7693AbcAndTheEmptyMessage) {
    // RFC 7693 Appendix A; the empty message as b2sum gives it.
    CheckAllWays(
        "abc", "abc", 64,
        "BA80A53F981C4D0D6A2797B69F12F6E94C212F14685AC4B74B12BB6FDBFFA2D17D87C5392AAB792DC252D5DE4533CC9518D3"
        "8AA8DBF1925AB92386EDD4009923");
    CheckAllWays(
        "empty", "", 64,
        "786A02F742015903C6C6FD852552D272912F4740E15847618A86E217F71F5419D25E1031AFEE585313896444934EB04B903A"
        "685B1448B755D56F701AFE9BE2CE");
}

TEST(Blake2bVectors, BlockEdgesOfThePatternAt512And256Bits) {
    for (const auto& v : wide_vectors::kPatterns) {
        const std::string data = wide_vectors::PatternBytes(v.length);
        CheckAllWays("BLAKE2b-512 length " + std::to_string(v.length), data, 64, v.blake2b512);
        CheckAllWays("BLAKE2b-256 length " + std::to_string(v.length), data, 32, v.blake2b256);
    }
}

TEST(Blake2bVectors, OutputLengthIsClampedAndLeavesTheRestZero) {
    Blake2b none(0), over(65), quarter(16);
    EXPECT_EQ(none.OutLen(), 1u);
    EXPECT_EQ(over.OutLen(), 64u);
    const Blake2b::Digest d = quarter.Final();
    for (std::size_t i = 16; i < d.size(); ++i) EXPECT_EQ(d[i], 0) << i;
    // The length is a parameter of the hash, not a cut of the longer one.
    EXPECT_NE(Blake2b::Hex(d, 16), Blake2bHex("", 0, 64).substr(0, 32));
}

}  // namespace

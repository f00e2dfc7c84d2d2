// BLAKE3: the test-vector pattern (byte i is i % 251) at lengths that make
// trees of one to seven levels, digested by b3sum, through every path this
// processor has, each fed whole, split and in random chunks from unaligned
// addresses; and every vector path against the portable one on larger
// messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/blake3.h"
#include "tests/host/digest_ways.h"
#include "tests/vectors/wide_vectors.h"

namespace {

using digest_ways::EveryWay;
using digest_ways::Feed;

const Blake3Path kAllPaths[] = {Blake3Path::Best, Blake3Path::Portable, Blake3Path::Sse41, Blake3Path::Avx2,
                                Blake3Path::Avx512};

const char* PathName(Blake3Path path) {
    switch (path) {
        case Blake3Path::Best:
            return "best";
        case Blake3Path::Portable:
            return "portable";
        case Blake3Path::Sse41:
            return "SSE4.1";
        case Blake3Path::Avx2:
            return "AVX2";
        case Blake3Path::Avx512:
            return "AVX-512";
    }
    return "?";
}

std::vector<Blake3Path> AvailablePaths() {
    std::vector<Blake3Path> paths;
    for (Blake3Path p : kAllPaths)
        if (blake3_detail::PathAvailable(p)) paths.push_back(p);
    return paths;
}

std::string Digest(Blake3Path path, const unsigned char* p, std::size_t len,
                   const std::vector<std::size_t>& chunks) {
    Blake3 b(path);
    Feed(b, p, len, chunks);
    return Blake3::Hex(b.Final());
}

TEST(Blake3Vectors, PathsOfThisProcessor) {
    const std::vector<Blake3Path> paths = AvailablePaths();
    std::string names;
    for (Blake3Path p : paths) names += std::string(" ") + PathName(p);
    std::printf("BLAKE3 paths on this processor:%s\n", names.c_str());
    EXPECT_TRUE(blake3_detail::PathAvailable(Blake3Path::Portable));
    // A wider path needs the narrower ones it hands its remainders to.
    if (blake3_detail::PathAvailable(Blake3Path::Avx512)) {
        EXPECT_TRUE(blake3_detail::PathAvailable(Blake3Path::Avx2));
    }
    if (blake3_detail::PathAvailable(Blake3Path::Avx2)) {
        EXPECT_TRUE(blake3_detail::PathAvailable(Blake3Path::Sse41));
    }
}

TEST(Blake3Vectors, TreesOfThePatternEveryPathEveryWay) {
    for (Blake3Path path : AvailablePaths()) {
        for (const auto& v : wide_vectors::kPatterns) {
            const std::string data = wide_vectors::PatternBytes(v.length);
            const std::string what = std::string(PathName(path)) + " length " + std::to_string(v.length);
            Blake3 whole(path);
            whole.Update(data.data(), data.size());
            EXPECT_EQ(Blake3::Hex(whole.Final()), v.blake3) << what;
            EveryWay(
                data,
                [path](const unsigned char* p, std::size_t len, const std::vector<std::size_t>& chunks) {
                    return Digest(path, p, len, chunks);
                },
                [&](const std::string& got, const std::string& how) {
                    EXPECT_EQ(got, v.blake3) << what << " " << how;
                });
        }
    }
    EXPECT_EQ(Blake3Hex("", 0), "AF1349B9F5F9A1A6A0404DEA36DCC9499BCB25C9ADC112B7CC9A93CAE41F3262");
}

// Lengths whose chunk counts have many set bits and batches that end at
// every width's remainder: each vector path must agree with the portable one.
TEST(Blake3Vectors, VectorPathsAgreeWithPortable) {
    std::string data(300 * 1024 + 5, '\0');
    std::uint32_t x = 0x9E3779B9u;
    for (char& c : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    const std::size_t chunk = 1024;
    const std::size_t lengths[] = {3 * chunk + 1,  5 * chunk,       7 * chunk + 1,    15 * chunk + 1,
                                   17 * chunk + 1, 31 * chunk + 1,  33 * chunk,       63 * chunk + 1,
                                   64 * chunk + 1, 127 * chunk + 1, 255 * chunk + 77, data.size() - 1};
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    for (std::size_t len : lengths) {
        const std::string portable = Digest(Blake3Path::Portable, p, len, {});
        const std::string portableOdd = Digest(Blake3Path::Portable, p + 1, len, {});
        for (Blake3Path path : AvailablePaths()) {
            if (path == Blake3Path::Portable) continue;
            const std::string what = std::string(PathName(path)) + " length " + std::to_string(len);
            EXPECT_EQ(Digest(path, p, len, {}), portable) << what;
            EXPECT_EQ(Digest(path, p + 1, len, {}), portableOdd) << what;
            EXPECT_EQ(Digest(path, p, len, digest_ways::RandomChunks(len, static_cast<std::uint32_t>(len))),
                      portable)
                << what << " in random chunks";
        }
    }
}

}  // namespace

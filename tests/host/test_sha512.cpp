// SHA-384 and SHA-512: the FIPS 180-4 examples and the BLAKE3 test-vector
// pattern at the 128-byte block edges, through every path this processor
// has, each fed whole, split and in random chunks from unaligned addresses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "components/sha512.h"
#include "tests/host/digest_ways.h"
#include "tests/vectors/wide_vectors.h"

namespace {

using digest_ways::EveryWay;
using digest_ways::Feed;

const Sha512Path kAllPaths[] = {Sha512Path::Best, Sha512Path::Portable, Sha512Path::Avx2};

const char* PathName(Sha512Path path) {
    switch (path) {
        case Sha512Path::Best:
            return "best";
        case Sha512Path::Portable:
            return "portable";
        case Sha512Path::Avx2:
            return "AVX2";
    }
    return "?";
}

std::vector<Sha512Path> AvailablePaths() {
    std::vector<Sha512Path> paths;
    for (Sha512Path p : kAllPaths)
        if (Sha512PathAvailable(p)) paths.push_back(p);
    return paths;
}

template <typename Sha>
digest_ways::FedDigest Digest(Sha512Path path) {
    return [path](const unsigned char* p, std::size_t len, const std::vector<std::size_t>& chunks) {
        Sha sha(path);
        Feed(sha, p, len, chunks);
        return Sha::Hex(sha.Final());
    };
}

void CheckAllWays(const std::string& what, const std::string& data, const char* sha384, const char* sha512) {
    EXPECT_EQ(SHA384Hex(data.data(), data.size()), sha384) << what;
    EXPECT_EQ(SHA512Hex(data.data(), data.size()), sha512) << what;
    for (Sha512Path path : AvailablePaths()) {
        const std::string where = what + " " + PathName(path);
        EveryWay(data, Digest<Sha384>(path), [&](const std::string& got, const std::string& how) {
            EXPECT_EQ(got, sha384) << where << " " << how;
        });
        EveryWay(data, Digest<Sha512>(path), [&](const std::string& got, const std::string& how) {
            EXPECT_EQ(got, sha512) << where << " " << how;
        });
    }
}

TEST(Sha512Vectors, PathsOfThisProcessor) {
    std::string names;
    for (Sha512Path p : AvailablePaths()) names += std::string(" ") + PathName(p);
    std::printf("SHA-512 paths on this processor:%s\n", names.c_str());
    EXPECT_TRUE(Sha512PathAvailable(Sha512Path::Portable));
}

// The vector path transforms blocks in pairs with the next pair's schedule
// between the rounds: every count of whole blocks from 0 to 9 in one Update,
// each against the portable path, so that odd and even counts, the last pair
// and the lone block all run.
TEST(Sha512Vectors, EveryPathAgreesOnRunsOfWholeBlocks) {
    for (std::size_t blocks = 0; blocks <= 9; ++blocks) {
        const std::string data = wide_vectors::PatternBytes(128 * blocks + 5);
        Sha512 portable(Sha512Path::Portable);
        portable.Update(data.data(), data.size());
        const std::string expected = Sha512::Hex(portable.Final());
        for (Sha512Path path : AvailablePaths()) {
            Sha512 sha(path);
            sha.Update(data.data(), data.size());
            EXPECT_EQ(Sha512::Hex(sha.Final()), expected) << PathName(path) << " " << blocks << " blocks";
        }
    }
}

// FIPS 180-4's examples (the NIST example files for SHA-384 and SHA-512).
struct Example {
    const char* name;
    std::string data;
    const char* sha384;
    const char* sha512;
};

TEST(Sha512Vectors, FipsExamplesWholeAndSplit) {
    const Example examples[] = {
        {"empty", "",
         "38B060A751AC96384CD9327EB1B1E36A21FDB71114BE07434C0CC7BF63F6E1DA274EDEBFE76F65FBD51AD2F14898B95B",
         "CF83E1357EEFB8BDF1542850D66D8007D620E4050B5715DC83F4A921D36CE9CE47D0D13C5D85F2B0FF8318D2877EEC2F63B"
         "931BD47"
         "417A81A538327AF927DA3E"},
        {"abc", "abc",
         "CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072BA1E7CC2358BAECA134C825A7",
         "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC1A836BA3C23A3FEEBBD454"
         "D4423643C"
         "E80E2A9AC94FA54CA49F"},
        {"896 bits",
         "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrstnopq"
         "rstu",
         "09330C33F71147E83D192FC782CD1B4753111B173B3B05D22FA08086E3B0F712FCC7C71A557E2DB966C3E9FA91746039",
         "8E959B75DAE313DA8CF4F72814FC143F8F7779C6EB9F7FA17299AEADB6889018501D289E4900F7E4331B99DEC4B5433AC7D"
         "329EEB6DD"
         "26545E96E55B874BE909"},
        {"a million a", std::string(1000000, 'a'),
         "9D0E1809716474CB086E834E310A4A1CED149E9C00F248527972CEC5704C2A5B07B8B3DC38ECC4EBAE97DDD87F3D8985",
         "E718483D0CE769644E2E42C7BC15B4638E1F98B13B2044285632A803AFA973EBDE0FF244877EA60A4CB0432CE577C31BEB0"
         "09C5C2C49"
         "AA2E4EADB217AD8CC09B"},
    };
    for (const auto& e : examples) CheckAllWays(e.name, e.data, e.sha384, e.sha512);
}

TEST(Sha512Vectors, BlockEdgesOfThePattern) {
    for (const auto& v : wide_vectors::kPatterns)
        CheckAllWays("length " + std::to_string(v.length), wide_vectors::PatternBytes(v.length), v.sha384,
                     v.sha512);
}

}  // namespace

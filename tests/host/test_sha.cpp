// SHA-1 and SHA-256: the FIPS 180-4 examples, NIST short messages and
// generated messages at the padding edges, through both block paths, each
// fed whole, split in two at odd offsets and in random chunks from unaligned
// addresses.
#include "components/sha.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/vectors/sha_vectors.h"

namespace {

using namespace sha_vectors;

const std::size_t kSplits[] = {1, 3, 55, 56, 63, 64, 65, 127, 128, 129};
const ShaPath kPaths[] = {ShaPath::Best, ShaPath::Portable};

const char* PathName(ShaPath path) { return path == ShaPath::Best ? "best" : "portable"; }

// Feeds `data` as the given chunk lengths (the rest in one last chunk).
template <typename Sha>
std::string Digest(ShaPath path, const unsigned char* p, std::size_t len,
                   const std::vector<std::size_t>& chunks) {
    Sha sha(path);
    for (std::size_t n : chunks) {
        n = std::min(n, len);
        sha.Update(p, n);
        p += n;
        len -= n;
    }
    sha.Update(p, len);
    return Sha::Hex(sha.Final());
}

std::vector<std::size_t> RandomChunks(std::size_t len, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::size_t> chunks;
    for (std::size_t total = 0; total < len;) {
        // Mostly small chunks, so that partial blocks meet every boundary,
        // with an occasional large one that runs the direct block path.
        const std::size_t n = (rng() % 8 == 0) ? rng() % 5000 : rng() % 130;
        chunks.push_back(n);
        total += n;
    }
    return chunks;
}

// Checks `data` against `sha1` and `sha256` (either may be null) in every
// way of feeding it, on both paths. Long messages are fed whole and in random
// chunks from one odd address only: their splits near the start add nothing
// that short messages do not cover, and cost seconds under the sanitizers.
void CheckAllWays(const std::string& what, const std::string& data, const char* sha1, const char* sha256) {
    const bool isLong = data.size() > 10000;
    for (std::size_t offset = 0; offset < (isLong ? 2u : 4u); ++offset) {
        std::vector<unsigned char> buf(offset + data.size() + 1);
        std::copy(data.begin(), data.end(), buf.begin() + static_cast<std::ptrdiff_t>(offset));
        const unsigned char* p = buf.data() + offset;
        std::vector<std::vector<std::size_t>> ways = {
            RandomChunks(data.size(), static_cast<std::uint32_t>(offset))};
        if (offset == 0) ways = {{}};
        if (offset == 0 && !isLong)
            for (std::size_t at : kSplits) ways.push_back({at});
        for (ShaPath path : kPaths) {
            for (const auto& chunks : ways) {
                const std::string how = what + " " + PathName(path) + " offset " + std::to_string(offset) +
                                        " in " + std::to_string(chunks.size() + 1) + " parts" +
                                        (chunks.size() == 1 ? " split at " + std::to_string(chunks[0]) : "");
                if (sha1) {
                    EXPECT_EQ(Digest<Sha1>(path, p, data.size(), chunks), sha1) << how;
                }
                if (sha256) {
                    EXPECT_EQ(Digest<Sha256>(path, p, data.size(), chunks), sha256) << how;
                }
            }
        }
    }
}

TEST(ShaVectors, FipsExamplesWholeAndSplit) {
    for (const auto& v : kShaMessages) {
        EXPECT_EQ(SHA1Hex(v.data.data(), v.data.size()), v.sha1) << v.name;
        EXPECT_EQ(SHA256Hex(v.data.data(), v.data.size()), v.sha256) << v.name;
        CheckAllWays(v.name, v.data, v.sha1, v.sha256);
    }
}

TEST(ShaVectors, NistShortMessages) {
    for (const auto& v : kSha1Short) CheckAllWays("SHA-1 short", v.data, v.hex, nullptr);
    for (const auto& v : kSha256Short) CheckAllWays("SHA-256 short", v.data, nullptr, v.hex);
}

TEST(ShaVectors, PaddingEdgesAndALongMessage) {
    const std::string all = GeneratedBytes(kShaGenerated[std::size(kShaGenerated) - 1].length);
    for (const auto& v : kShaGenerated)
        CheckAllWays("length " + std::to_string(v.length), all.substr(0, v.length), v.sha1, v.sha256);
}

TEST(ShaVectors, HexIsUpperCaseInDigestOrder) {
    Sha1::Digest d1{};
    for (std::size_t i = 0; i < d1.size(); ++i) d1[i] = static_cast<std::uint8_t>(0xF0 + i);
    EXPECT_EQ(Sha1::Hex(d1), "F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF00010203");
}

}  // namespace

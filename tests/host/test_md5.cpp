// MD5: the RFC 1321 suite, lengths around the padding boundaries and a
// multi-megabyte message, each fed whole, split at odd offsets and in random
// chunks from unaligned addresses.
#include "components/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Vector {
    std::string data;
    const char* hex;
};

const std::size_t kSplits[] = {1, 3, 55, 56, 63, 64, 65, 127, 128, 129};

std::string DigestInTwo(const std::string& data, std::size_t at) {
    at = std::min(at, data.size());
    Md5 md5;
    md5.Update(data.data(), at);
    md5.Update(data.data() + at, data.size() - at);
    return Md5::Hex(md5.Final());
}

std::string DigestInRandomChunks(const unsigned char* p, std::size_t len, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Md5 md5;
    while (len > 0) {
        // Mostly small chunks, so that partial blocks meet every boundary,
        // with an occasional large one that runs the direct block path.
        std::size_t n = (rng() % 8 == 0) ? rng() % 5000 : rng() % 130;
        n = std::min(n, len);
        md5.Update(p, n);
        p += n;
        len -= n;
    }
    return Md5::Hex(md5.Final());
}

TEST(Md5Rfc1321, TestSuiteWholeAndSplit) {
    const Vector suite[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& v : suite) {
        EXPECT_EQ(MD5Hex(v.data.data(), v.data.size()), v.hex) << '"' << v.data << '"';
        for (std::size_t at : kSplits) EXPECT_EQ(DigestInTwo(v.data, at), v.hex) << '"' << v.data << "\" split at " << at;
        EXPECT_EQ(DigestInRandomChunks(reinterpret_cast<const unsigned char*>(v.data.data()), v.data.size(), 1), v.hex)
            << '"' << v.data << '"';
    }
}

// Message bytes from a xorshift32 generator, so that the vectors below can be
// reproduced by any tool.
std::string Generated(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 0x12345678u;
    for (auto& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// Digests of Generated(length), computed with md5sum.
struct LengthVector {
    std::size_t length;
    const char* hex;
};

const LengthVector kGenerated[] = {
    {1, "8FEC378760F1E7E708E9F57EDAFC28FC"},
    {55, "1B9BC15A9F865A2097CC2F8E9CD06BC2"},
    {56, "2BBA75DDB85B6E95FBE1D1C0A79C3D83"},
    {57, "FFECA98DFC879CB4DA8DC62DFA423BEA"},
    {63, "20627F05E2C15EC1EB92F1BFA971E2B8"},
    {64, "27F9E9DA676F64CAA8D1138E2378362A"},
    {65, "20DC6EEE1BB4852749DBB6433310AD22"},
    {119, "FDC5E3919B247240A7DB9C5566A3767A"},
    {120, "2E57683011B70154C7F8FBCC3DA85F95"},
    {127, "F02DCC74FA6A4019778E3CA6288172B1"},
    {128, "7C9C636C1DE86DAEA8637B39F66A6596"},
    {129, "CCE400851E5F713385170036A0EC8236"},
    {1000, "1B5F59530681F22A4EE6D36F40589CEA"},
    {4109, "4A36AF7818C03A4B7A81D42BD8B5EC7D"},
    {3145735, "07E7EFC784B95F68B789F7A1D5B94301"},
};

TEST(Md5Lengths, PaddingBoundariesAndLargeMessage) {
    const std::string all = Generated(kGenerated[std::size(kGenerated) - 1].length);
    for (const auto& v : kGenerated) {
        const std::string data = all.substr(0, v.length);
        EXPECT_EQ(MD5Hex(data.data(), data.size()), v.hex) << "length " << v.length;
        for (std::size_t at : kSplits) EXPECT_EQ(DigestInTwo(data, at), v.hex) << "length " << v.length << " split at " << at;
    }
}

TEST(Md5Lengths, UnalignedSourceInRandomChunks) {
    const auto& v = kGenerated[std::size(kGenerated) - 1];
    const std::string data = Generated(v.length);
    for (std::size_t offset = 0; offset < 4; ++offset) {
        std::vector<unsigned char> buf(offset + data.size());
        std::copy(data.begin(), data.end(), buf.begin() + static_cast<std::ptrdiff_t>(offset));
        EXPECT_EQ(DigestInRandomChunks(buf.data() + offset, data.size(), static_cast<std::uint32_t>(offset)), v.hex)
            << "offset " << offset;
    }
}

TEST(Md5Streaming, EmptyUpdatesChangeNothing) {
    const std::string data = Generated(200);
    Md5 md5;
    md5.Update(nullptr, 0);
    md5.Update(data.data(), 70);
    md5.Update(data.data() + 70, 0);
    md5.Update(data.data() + 70, 130);
    md5.Update(nullptr, 0);
    EXPECT_EQ(Md5::Hex(md5.Final()), MD5Hex(data.data(), data.size()));
}

TEST(Md5Hex, HighNibbleFirstUpperCaseLeadingZerosKept) {
    const Md5::Digest d = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                           0x00, 0x0F, 0xF0, 0xFF, 0xFE, 0xDC, 0xBA, 0x98};
    EXPECT_EQ(Md5::Hex(d), "0123456789ABCDEF000FF0FFFEDCBA98");
}

}  // namespace

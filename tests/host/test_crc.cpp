// CRC kernels: catalogue check values, every CRC-32 path against a bit-by-bit
// computation from the polynomial (any length, alignment and split), and the
// two 16-bit kernels against their bitwise definitions.
#include "components/crc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Bit-at-a-time definitions, written from the polynomials and not from any
// table, so that a wrong table entry shows up.
std::uint32_t BitwiseCRC32(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}

// Plain remainder: each data bit enters at the bottom, and the polynomial is
// subtracted whenever a 1 leaves the top.
std::uint16_t BitwiseCRC16(std::uint16_t crc, const unsigned char* p, std::size_t len) {
    std::uint32_t r = crc;
    for (std::size_t i = 0; i < len; ++i)
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = (r & 0x8000u) != 0;
            r = ((r << 1) | ((p[i] >> bit) & 1u)) & 0xFFFFu;
            if (top) r ^= 0x1021u;
        }
    return static_cast<std::uint16_t>(r);
}

std::uint16_t BitwiseArc(std::uint16_t crc, const unsigned char* p, std::size_t len) {
    std::uint32_t r = crc;
    for (std::size_t i = 0; i < len; ++i) {
        r ^= p[i];
        for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
    }
    return static_cast<std::uint16_t>(r);
}

// CRC-16/XMODEM in its usual augmented form, used to check the stated
// relation between it and CRC16Buffer.
std::uint16_t Xmodem(const unsigned char* p, std::size_t len) {
    std::uint32_t r = 0;
    for (std::size_t i = 0; i < len; ++i) {
        r ^= static_cast<std::uint32_t>(p[i]) << 8;
        for (int k = 0; k < 8; ++k) r = (r & 0x8000u) ? ((r << 1) ^ 0x1021u) & 0xFFFFu : (r << 1) & 0xFFFFu;
    }
    return static_cast<std::uint16_t>(r);
}

std::vector<unsigned char> RandomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<unsigned char> v(n);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
}

const unsigned char* Bytes(const char* s) {
    return reinterpret_cast<const unsigned char*>(s);
}

// Split points used for every streaming check; those beyond the data's
// length are clamped.
const std::size_t kSplits[] = {0, 1, 3, 15, 16, 17, 63, 64, 65, 127, 128, 129, 4097};

// ---------------------------------------------------------------------------

struct CatalogueCase {
    TdcFileCRCMethod method;
    std::string data;
    std::uint32_t expected;
};

const CatalogueCase kCatalogue[] = {
    {TdcFileCRCMethod::crc32, "123456789", 873187033u},
    {TdcFileCRCMethod::crc32, "", 4294967295u},
    {TdcFileCRCMethod::crc16, "123456789", 48879u},
    {TdcFileCRCMethod::crc16, "a", 97u},
    {TdcFileCRCMethod::crc16, "", 0u},
    {TdcFileCRCMethod::crcArc, "123456789", 47933u},
    {TdcFileCRCMethod::crcArc, "", 0u},
};

TEST(CrcCatalogue, CheckValuesWholeAndSplit) {
    for (const auto& c : kCatalogue) {
        for (std::size_t split : kSplits) {
            const std::size_t at = std::min(split, c.data.size());
            std::uint32_t crc = CRCInitialValue(c.method);
            crc = CRCUpdate(c.method, crc, c.data.data(), at);
            crc = CRCUpdate(c.method, crc, c.data.data() + at, c.data.size() - at);
            EXPECT_EQ(crc, c.expected) << "method " << static_cast<int>(c.method) << " data \"" << c.data
                                       << "\" split at " << at;
        }
    }
}

TEST(CrcCatalogue, NamedKernelsGiveTheCheckValues) {
    const unsigned char* nine = Bytes("123456789");
    EXPECT_EQ(CRC32Buffer(0xFFFFFFFFu, nine, 9), 0x340BC6D9u);
    EXPECT_EQ(CRC32Buffer(0xFFFFFFFFu, nine, 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
    EXPECT_EQ(CRC16Buffer(0, nine, 9), 0xBEEF);
    EXPECT_EQ(CRCArcBuffer(0, nine, 9), 0xBB3D);
}

TEST(CrcCatalogue, EmptyInputReturnsTheStartValue) {
    for (std::uint32_t start : {0u, 1u, 0x1234u, 0xFFFFu, 0xDEADBEEFu}) {
        EXPECT_EQ(CRC32Buffer(start, nullptr, 0), start);
        EXPECT_EQ(CRC16Buffer(static_cast<std::uint16_t>(start), nullptr, 0), static_cast<std::uint16_t>(start));
        EXPECT_EQ(CRCArcBuffer(static_cast<std::uint16_t>(start), nullptr, 0), static_cast<std::uint16_t>(start));
    }
}

// ---------------------------------------------------------------------------
// Every CRC-32 path, run through the same cases.

using Crc32Fn = std::uint32_t (*)(std::uint32_t, const unsigned char*, std::size_t);

struct Crc32Path {
    const char* name;
    Crc32Fn fn;
    bool needsClmul;
};

std::uint32_t ViaReference(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    return crc_reference::CRC32(crc, p, len);
}
std::uint32_t ViaBuffer(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    return CRC32Buffer(crc, p, len);
}

class Crc32Paths : public ::testing::TestWithParam<Crc32Path> {
protected:
    void SetUp() override {
        if (GetParam().needsClmul && !crc_detail::HaveCarrylessMultiply())
            GTEST_SKIP() << "CPU has no carry-less multiply";
    }
    std::uint32_t Run(std::uint32_t crc, const unsigned char* p, std::size_t len) const {
        return GetParam().fn(crc, p, len);
    }
};

TEST_P(Crc32Paths, CheckValue) {
    EXPECT_EQ(Run(0xFFFFFFFFu, Bytes("123456789"), 9), 873187033u);
    EXPECT_EQ(Run(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
}

TEST_P(Crc32Paths, MatchesBitwiseForEveryLengthAndAlignment) {
    const auto data = RandomBytes(5200, 1);
    std::mt19937 rng(2);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
    for (std::size_t n = 301; n <= 5000; n += 37) lengths.push_back(n);
    for (std::size_t len : lengths) {
        const std::size_t offsets = len <= 300 ? 16 : 4;
        for (std::size_t off = 0; off < offsets; ++off) {
            const std::uint32_t start = (off & 1) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rng());
            const unsigned char* p = data.data() + off;
            ASSERT_EQ(Run(start, p, len), BitwiseCRC32(start, p, len))
                << GetParam().name << " length " << len << " offset " << off;
        }
    }
}

TEST_P(Crc32Paths, SplitAnywhereGivesTheWholeResult) {
    const auto data = RandomBytes(20011, 3);
    const std::uint32_t whole = BitwiseCRC32(0xFFFFFFFFu, data.data(), data.size());
    for (std::size_t first : kSplits) {
        for (std::size_t second : kSplits) {
            const std::size_t a = std::min(first, data.size());
            const std::size_t b = std::min(a + second + 1, data.size());
            std::uint32_t crc = Run(0xFFFFFFFFu, data.data(), a);
            crc = Run(crc, data.data() + a, b - a);
            crc = Run(crc, data.data() + b, data.size() - b);
            ASSERT_EQ(crc, whole) << GetParam().name << " split at " << a << " and " << b;
        }
    }
}

TEST_P(Crc32Paths, LargeBuffer) {
    const auto data = RandomBytes((1u << 20) + 13, 4);
    EXPECT_EQ(Run(0xFFFFFFFFu, data.data() + 1, data.size() - 1),
              BitwiseCRC32(0xFFFFFFFFu, data.data() + 1, data.size() - 1));
}

INSTANTIATE_TEST_SUITE_P(All, Crc32Paths,
                         ::testing::Values(Crc32Path{"reference", &ViaReference, false},
                                           Crc32Path{"slice16", &crc_detail::CRC32Slice16, false},
                                           Crc32Path{"clmul", &crc_detail::CRC32Clmul, true},
                                           Crc32Path{"buffer", &ViaBuffer, false}),
                         [](const ::testing::TestParamInfo<Crc32Path>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST(Crc16Kernels, MatchBitwiseDefinitions) {
    const auto data = RandomBytes(700, 5);
    std::mt19937 rng(6);
    for (std::size_t len = 0; len <= 600; len += (len < 40 ? 1 : 23)) {
        const auto start = static_cast<std::uint16_t>(rng());
        const unsigned char* p = data.data() + (len % 7);
        EXPECT_EQ(CRC16Buffer(start, p, len), BitwiseCRC16(start, p, len)) << "length " << len;
        EXPECT_EQ(CRCArcBuffer(start, p, len), BitwiseArc(start, p, len)) << "length " << len;
        EXPECT_EQ(crc_reference::CRC16(start, p, len), BitwiseCRC16(start, p, len)) << "length " << len;
        EXPECT_EQ(crc_reference::CRCArc(start, p, len), BitwiseArc(start, p, len)) << "length " << len;
    }
}

// Without augmentation, the last two bytes pass through unreduced: the result
// is the XMODEM CRC of the rest XOR those two bytes read big-endian.
TEST(Crc16Kernels, IsXmodemOfAllButTheLastTwoBytesXorThem) {
    const auto data = RandomBytes(300, 7);
    for (std::size_t len : {2u, 3u, 9u, 64u, 65u, 299u}) {
        const auto tail = static_cast<std::uint16_t>((data[len - 2] << 8) | data[len - 1]);
        EXPECT_EQ(CRC16Buffer(0, data.data(), len), Xmodem(data.data(), len - 2) ^ tail) << "length " << len;
    }
}

}  // namespace

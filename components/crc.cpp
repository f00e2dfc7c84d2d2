// CRC kernels: the three table-driven definitions, the slicing-by-16 path of
// the 32-bit CRC, and the choice between it and the carry-less multiply path.
//
// All tables are built at compile time from their polynomials, so they are
// constant data with no start-up cost and no initialisation order to mind.
#include "components/crc.h"

#include <array>

#include "components/cpufeatures.h"


namespace {

using Table32 = std::array<std::uint32_t, 256>;
using Table16 = std::array<std::uint16_t, 256>;

constexpr Table32 MakeT32() {
    Table32 t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[i] = c;
    }
    return t;
}

constexpr Table16 MakeT16() {
    Table16 t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i << 8;
        for (int k = 0; k < 8; ++k) c = (c & 0x8000u) ? ((c << 1) ^ 0x1021u) & 0xFFFFu : (c << 1) & 0xFFFFu;
        t[i] = static_cast<std::uint16_t>(c);
    }
    return t;
}

constexpr Table16 MakeTA() {
    Table16 t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
        t[i] = static_cast<std::uint16_t>(c);
    }
    return t;
}

constexpr Table32 T32 = MakeT32();
constexpr Table16 T16 = MakeT16();
constexpr Table16 TA = MakeTA();

// S[k][i] is the register after byte i followed by k zero bytes, starting
// from 0. Sixteen bytes then cost sixteen independent lookups instead of a
// chain of sixteen dependent ones.
using SliceTables = std::array<Table32, 16>;

constexpr SliceTables MakeSlice() {
    SliceTables s{};
    s[0] = T32;
    for (std::size_t k = 1; k < 16; ++k)
        for (std::size_t i = 0; i < 256; ++i) s[k][i] = (s[k - 1][i] >> 8) ^ T32[s[k - 1][i] & 0xFF];
    return s;
}

constexpr SliceTables S = MakeSlice();

inline std::uint32_t Bytewise32(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) crc = (crc >> 8) ^ T32[(crc ^ p[i]) & 0xFF];
    return crc;
}

// Below this length the set-up and final reduction of the carry-less path
// cost more than they save.
constexpr std::size_t kClmulMinLength = 128;

}  // namespace

namespace crc_reference {

std::uint32_t CRC32(std::uint32_t crc, const void* data, std::size_t len) {
    return Bytewise32(crc, static_cast<const unsigned char*>(data), len);
}

std::uint16_t CRC16(std::uint16_t crc, const void* data, std::size_t len) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t c = crc;
    for (std::size_t i = 0; i < len; ++i) c = (((c << 8) | p[i]) ^ T16[c >> 8]) & 0xFFFFu;
    return static_cast<std::uint16_t>(c);
}

std::uint16_t CRCArc(std::uint16_t crc, const void* data, std::size_t len) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t c = crc;
    for (std::size_t i = 0; i < len; ++i) c = (c >> 8) ^ TA[(c ^ p[i]) & 0xFF];
    return static_cast<std::uint16_t>(c);
}

}  // namespace crc_reference

namespace crc_detail {

std::uint32_t CRC32Slice16(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    // Bytes are combined one by one rather than loaded as words, so the
    // result does not depend on the machine's byte order or on alignment.
    while (len >= 16) {
        const std::uint32_t c = crc;
        crc = S[15][(c ^ p[0]) & 0xFF] ^ S[14][((c >> 8) ^ p[1]) & 0xFF] ^
              S[13][((c >> 16) ^ p[2]) & 0xFF] ^ S[12][(c >> 24) ^ p[3]] ^
              S[11][p[4]] ^ S[10][p[5]] ^ S[9][p[6]] ^ S[8][p[7]] ^
              S[7][p[8]] ^ S[6][p[9]] ^ S[5][p[10]] ^ S[4][p[11]] ^
              S[3][p[12]] ^ S[2][p[13]] ^ S[1][p[14]] ^ S[0][p[15]];
        p += 16;
        len -= 16;
    }
    return Bytewise32(crc, p, len);
}

bool HaveCarrylessMultiply() {
    // The folding path needs PCLMULQDQ and SSE4.1.
    return Cpu().pclmul && Cpu().sse41;
}

}  // namespace crc_detail

std::uint32_t CRC32Buffer(std::uint32_t crc, const void* data, std::size_t len) {
    const auto* p = static_cast<const unsigned char*>(data);
    if (len >= kClmulMinLength && crc_detail::HaveCarrylessMultiply()) return crc_detail::CRC32Clmul(crc, p, len);
    return crc_detail::CRC32Slice16(crc, p, len);
}

std::uint16_t CRC16Buffer(std::uint16_t crc, const void* data, std::size_t len) {
    return crc_reference::CRC16(crc, data, len);
}

std::uint16_t CRCArcBuffer(std::uint16_t crc, const void* data, std::size_t len) {
    return crc_reference::CRCArc(crc, data, len);
}

std::uint32_t CRCInitialValue(TdcFileCRCMethod method) {
    return method == TdcFileCRCMethod::crc32 ? 0xFFFFFFFFu : 0u;
}

std::uint32_t CRCUpdate(TdcFileCRCMethod method, std::uint32_t crc, const void* data, std::size_t len) {
    switch (method) {
    case TdcFileCRCMethod::crc16:
        return CRC16Buffer(static_cast<std::uint16_t>(crc), data, len);
    case TdcFileCRCMethod::crcArc:
        return CRCArcBuffer(static_cast<std::uint16_t>(crc), data, len);
    case TdcFileCRCMethod::crc32:
        break;
    }
    return CRC32Buffer(crc, data, len);
}

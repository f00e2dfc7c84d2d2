// Differential fuzz target for the checksum kernels. Every CRC path (the
// dispatcher, slicing-by-16, carry-less multiply where the CPU has it, the
// table-driven references) and the streaming MD5 are compared with
// definitions written here from first principles: CRCs one bit at a time
// from their polynomials, MD5 as RFC 1321 states it. Each is run on the whole
// input, from unaligned starts and in chunks whose lengths the input chooses.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "components/crc.h"
#include "components/md5.h"
#include "fuzz/check.h"

namespace {

// --- Bit-at-a-time CRC definitions ---

FUZZ_NO_COVERAGE std::uint32_t BitwiseCRC32(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}

// Message bits enter at the bottom, most significant bit of each byte first;
// the polynomial is subtracted whenever a one leaves the top.
FUZZ_NO_COVERAGE std::uint16_t BitwiseCRC16(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = crc;
    for (std::size_t i = 0; i < n; ++i) {
        for (int k = 7; k >= 0; --k) {
            const bool top = (c & 0x8000u) != 0;
            c = ((c << 1) | ((p[i] >> k) & 1u)) & 0xFFFFu;
            if (top) c ^= 0x1021u;
        }
    }
    return static_cast<std::uint16_t>(c);
}

FUZZ_NO_COVERAGE std::uint16_t BitwiseCRCArc(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = crc;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
    }
    return static_cast<std::uint16_t>(c);
}

// --- MD5 as RFC 1321 describes it: pad the whole message, then 64 steps per
// block with the sine table, the per-round shifts and word orders. ---

FUZZ_NO_COVERAGE std::uint32_t Rotl(std::uint32_t v, unsigned s) { return (v << s) | (v >> (32 - s)); }

FUZZ_NO_COVERAGE Md5::Digest PlainMd5(const std::uint8_t* data, std::size_t n) {
    std::vector<std::uint8_t> msg(data, data + n);
    msg.push_back(0x80);
    while (msg.size() % 64 != 56) msg.push_back(0);
    const std::uint64_t bits = static_cast<std::uint64_t>(n) * 8;
    for (int i = 0; i < 8; ++i) msg.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));

    static const auto T = [] {
        std::array<std::uint32_t, 64> t{};
        for (int i = 0; i < 64; ++i) t[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
        return t;
    }();
    static const unsigned kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

    std::uint32_t A = 0x67452301u, B = 0xefcdab89u, C = 0x98badcfeu, D = 0x10325476u;
    for (std::size_t block = 0; block < msg.size(); block += 64) {
        std::uint32_t X[16];
        for (int j = 0; j < 16; ++j) {
            const std::uint8_t* w = &msg[block + 4 * j];
            X[j] = w[0] | static_cast<std::uint32_t>(w[1]) << 8 | static_cast<std::uint32_t>(w[2]) << 16 |
                   static_cast<std::uint32_t>(w[3]) << 24;
        }
        const std::uint32_t AA = A, BB = B, CC = C, DD = D;
        for (int i = 0; i < 64; ++i) {
            const int round = i / 16;
            std::uint32_t f = 0;
            int k = 0;
            switch (round) {
            case 0: f = (B & C) | (~B & D); k = i; break;
            case 1: f = (B & D) | (C & ~D); k = (1 + 5 * i) % 16; break;
            case 2: f = B ^ C ^ D; k = (5 + 3 * i) % 16; break;
            default: f = C ^ (B | ~D); k = (7 * i) % 16; break;
            }
            const std::uint32_t next = B + Rotl(A + f + X[k] + T[i], kShift[round][i % 4]);
            A = D;
            D = C;
            C = B;
            B = next;
        }
        A += AA;
        B += BB;
        C += CC;
        D += DD;
    }
    Md5::Digest out{};
    const std::uint32_t words[4] = {A, B, C, D};
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < 4; ++i) out[4 * w + i] = static_cast<std::uint8_t>(words[w] >> (8 * i));
    return out;
}

// --- Split points chosen by the input ---

// Chunk lengths that add up to n, read from the input's own bytes starting
// at salt: runs of a few bytes, whole blocks' worth, and empty chunks all
// occur, so the fuzzer steers the splits together with the content.
std::vector<std::size_t> ChunkLengths(const std::uint8_t* data, std::size_t n, std::size_t salt) {
    std::vector<std::size_t> out;
    std::size_t done = 0;
    std::size_t empties = 0;
    for (std::size_t i = salt; done < n; ++i) {
        const std::uint8_t b = data[i % n];
        std::size_t len = b < 0x40 ? b % 8 : b < 0xC0 ? b : static_cast<std::size_t>(b - 0xBF) * 64;
        if (len == 0 && ++empties > 8) len = 1;
        if (len > n - done) len = n - done;
        out.push_back(len);
        done += len;
    }
    return out;
}

template <typename Kernel>
std::uint32_t Chunked(Kernel kernel, std::uint32_t crc, const std::uint8_t* data,
                      const std::vector<std::size_t>& chunks) {
    for (std::size_t len : chunks) {
        crc = kernel(crc, data, len);
        data += len;
    }
    return crc;
}

void CheckCRC32(const std::uint8_t* data, std::size_t n, std::uint32_t start, bool unaligned) {
    const bool clmul = crc_detail::HaveCarrylessMultiply();
    const std::uint32_t expected = BitwiseCRC32(start, data, n);
    FUZZ_CHECK(crc_reference::CRC32(start, data, n) == expected);
    FUZZ_CHECK(CRC32Buffer(start, data, n) == expected);
    FUZZ_CHECK(crc_detail::CRC32Slice16(start, data, n) == expected);
    if (clmul) FUZZ_CHECK(crc_detail::CRC32Clmul(start, data, n) == expected);

    // Starts off the allocation's alignment; the end stays at the end of the
    // input, so an over-read is still caught.
    for (std::size_t off = 1; unaligned && off < 16 && off <= n; ++off) {
        const std::uint32_t tail = crc_reference::CRC32(start, data + off, n - off);
        FUZZ_CHECK(CRC32Buffer(start, data + off, n - off) == tail);
        FUZZ_CHECK(crc_detail::CRC32Slice16(start, data + off, n - off) == tail);
        if (clmul) FUZZ_CHECK(crc_detail::CRC32Clmul(start, data + off, n - off) == tail);
    }

    for (std::size_t salt = 0; salt < 3; ++salt) {
        const std::vector<std::size_t> chunks = ChunkLengths(data, n, salt);
        FUZZ_CHECK(Chunked(CRC32Buffer, start, data, chunks) == expected);
        FUZZ_CHECK(Chunked(
                       [](std::uint32_t c, const std::uint8_t* p, std::size_t len) {
                           return crc_detail::CRC32Slice16(c, p, len);
                       },
                       start, data, chunks) == expected);
        if (clmul)
            FUZZ_CHECK(Chunked(
                           [](std::uint32_t c, const std::uint8_t* p, std::size_t len) {
                               return crc_detail::CRC32Clmul(c, p, len);
                           },
                           start, data, chunks) == expected);
    }
}

void CheckCRC16(const std::uint8_t* data, std::size_t n, std::uint16_t start) {
    const std::uint16_t crc16 = BitwiseCRC16(start, data, n);
    const std::uint16_t arc = BitwiseCRCArc(start, data, n);
    FUZZ_CHECK(crc_reference::CRC16(start, data, n) == crc16);
    FUZZ_CHECK(CRC16Buffer(start, data, n) == crc16);
    FUZZ_CHECK(crc_reference::CRCArc(start, data, n) == arc);
    FUZZ_CHECK(CRCArcBuffer(start, data, n) == arc);
}

// The component's view: start value, chunks through CRCUpdate.
void CheckMethods(const std::uint8_t* data, std::size_t n) {
    const std::vector<std::size_t> chunks = ChunkLengths(data, n, 1);
    for (TdcFileCRCMethod method : {TdcFileCRCMethod::crc32, TdcFileCRCMethod::crc16, TdcFileCRCMethod::crcArc}) {
        const std::uint32_t start = CRCInitialValue(method);
        std::uint32_t expected = 0;
        switch (method) {
        case TdcFileCRCMethod::crc32: expected = BitwiseCRC32(start, data, n); break;
        case TdcFileCRCMethod::crc16: expected = BitwiseCRC16(static_cast<std::uint16_t>(start), data, n); break;
        case TdcFileCRCMethod::crcArc: expected = BitwiseCRCArc(static_cast<std::uint16_t>(start), data, n); break;
        }
        const std::uint32_t got = Chunked(
            [method](std::uint32_t c, const std::uint8_t* p, std::size_t len) { return CRCUpdate(method, c, p, len); },
            start, data, chunks);
        FUZZ_CHECK(got == expected);
    }
}

FUZZ_NO_COVERAGE std::string PlainHex(const Md5::Digest& d) {
    std::string s;
    for (std::uint8_t b : d) {
        s += "0123456789ABCDEF"[b >> 4];
        s += "0123456789ABCDEF"[b & 15];
    }
    return s;
}

void CheckMd5(const std::uint8_t* data, std::size_t n) {
    const Md5::Digest expected = PlainMd5(data, n);

    Md5 whole;
    whole.Update(data, n);
    FUZZ_CHECK(whole.Final() == expected);
    FUZZ_CHECK(MD5Hex(data, n) == PlainHex(expected));

    for (std::size_t salt = 0; salt < 2; ++salt) {
        Md5 streamed;
        streamed.Update(nullptr, 0);
        const std::uint8_t* p = data;
        for (std::size_t len : ChunkLengths(data, n, salt)) {
            streamed.Update(p, len);
            p += len;
        }
        FUZZ_CHECK(streamed.Final() == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t seed = 0;
    for (std::size_t i = 0; i < 4 && i < size; ++i) seed |= static_cast<std::uint32_t>(data[i]) << (8 * i);

    CheckCRC32(data, size, 0xFFFFFFFFu, false);
    CheckCRC32(data, size, 0u, false);
    CheckCRC32(data, size, seed, true);
    for (std::uint16_t start : {std::uint16_t{0}, static_cast<std::uint16_t>(seed)}) CheckCRC16(data, size, start);
    CheckMethods(data, size);
    CheckMd5(data, size);
    return 0;
}

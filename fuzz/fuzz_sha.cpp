// Differential fuzz target for SHA-1 and SHA-256. Both block paths (the SHA
// extensions where the CPU has them, and the portable transform) and the
// streaming are compared with digests written here from FIPS 180-4 as it
// reads: the whole message padded first, the full message schedule, the
// working variables moved one by one each round. Each is run on the whole
// input, from an unaligned start and in chunks whose lengths the input
// chooses (empty chunks included).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "components/sha.h"
#include "fuzz/check.h"

namespace {

FUZZ_NO_COVERAGE std::uint32_t Rotr(std::uint32_t v, unsigned s) { return (v >> s) | (v << (32 - s)); }
FUZZ_NO_COVERAGE std::uint32_t Rotl(std::uint32_t v, unsigned s) { return (v << s) | (v >> (32 - s)); }

// Section 5.1.1: a one bit, zeros to 56 mod 64, the bit length big-endian.
FUZZ_NO_COVERAGE std::vector<std::uint8_t> Padded(const std::uint8_t* data, std::size_t n) {
    std::vector<std::uint8_t> msg(data, data + n);
    msg.push_back(0x80);
    while (msg.size() % 64 != 56) msg.push_back(0);
    const std::uint64_t bits = static_cast<std::uint64_t>(n) * 8;
    for (int i = 7; i >= 0; --i) msg.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return msg;
}

FUZZ_NO_COVERAGE std::uint32_t Word(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

template <std::size_t N>
FUZZ_NO_COVERAGE std::array<std::uint8_t, 4 * N> Bytes(const std::uint32_t (&h)[N]) {
    std::array<std::uint8_t, 4 * N> out{};
    for (std::size_t i = 0; i < 4 * N; ++i)
        out[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    return out;
}

// Section 6.1.2.
FUZZ_NO_COVERAGE Sha1::Digest PlainSha1(const std::uint8_t* data, std::size_t n) {
    const std::vector<std::uint8_t> msg = Padded(data, n);
    std::uint32_t h[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
    for (std::size_t block = 0; block < msg.size(); block += 64) {
        std::uint32_t w[80];
        for (int t = 0; t < 16; ++t) w[t] = Word(&msg[block + 4 * t]);
        for (int t = 16; t < 80; ++t) w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int t = 0; t < 80; ++t) {
            std::uint32_t f, k;
            if (t < 20) {
                f = (b & c) ^ (~b & d);
                k = 0x5a827999;
            } else if (t < 40) {
                f = b ^ c ^ d;
                k = 0x6ed9eba1;
            } else if (t < 60) {
                f = (b & c) ^ (b & d) ^ (c & d);
                k = 0x8f1bbcdc;
            } else {
                f = b ^ c ^ d;
                k = 0xca62c1d6;
            }
            const std::uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
            e = d;
            d = c;
            c = Rotl(b, 30);
            b = a;
            a = temp;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }
    return Bytes(h);
}

// Section 4.2.2: the first 32 bits of the fractional parts of the cube roots
// of the first 64 primes.
const std::uint32_t kK[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// Section 6.2.2.
FUZZ_NO_COVERAGE Sha256::Digest PlainSha256(const std::uint8_t* data, std::size_t n) {
    const std::vector<std::uint8_t> msg = Padded(data, n);
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    for (std::size_t block = 0; block < msg.size(); block += 64) {
        std::uint32_t w[64];
        for (int t = 0; t < 16; ++t) w[t] = Word(&msg[block + 4 * t]);
        for (int t = 16; t < 64; ++t) {
            const std::uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
            const std::uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = s1 + w[t - 7] + s0 + w[t - 16];
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int t = 0; t < 64; ++t) {
            const std::uint32_t S1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
            const std::uint32_t ch = (e & f) ^ (~e & g);
            const std::uint32_t t1 = hh + S1 + ch + kK[t] + w[t];
            const std::uint32_t S0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
            const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
            const std::uint32_t t2 = S0 + maj;
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        h[5] += f;
        h[6] += g;
        h[7] += hh;
    }
    return Bytes(h);
}

// Chunk lengths that add up to n, read from the input's own bytes starting at
// salt: runs of a few bytes, whole blocks' worth, and empty chunks.
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

template <typename Sha>
void Check(const std::uint8_t* data, std::size_t n, const typename Sha::Digest& expected) {
    // One byte off every alignment the caller's buffer had.
    std::vector<std::uint8_t> shifted(n + 1);
    if (n) std::memcpy(shifted.data() + 1, data, n);
    for (ShaPath path : {ShaPath::Best, ShaPath::Portable}) {
        Sha whole(path);
        whole.Update(data, n);
        FUZZ_CHECK(whole.Final() == expected);
        Sha unaligned(path);
        unaligned.Update(shifted.data() + 1, n);
        FUZZ_CHECK(unaligned.Final() == expected);
        for (std::size_t salt = 0; salt < 2; ++salt) {
            Sha streamed(path);
            streamed.Update(nullptr, 0);
            const std::uint8_t* p = data;
            for (std::size_t len : ChunkLengths(data, n, salt)) {
                streamed.Update(p, len);
                p += len;
            }
            FUZZ_CHECK(streamed.Final() == expected);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Sha1::Digest sha1 = PlainSha1(data, size);
    const Sha256::Digest sha256 = PlainSha256(data, size);
    Check<Sha1>(data, size, sha1);
    Check<Sha256>(data, size, sha256);
    FUZZ_CHECK(SHA1Hex(data, size) == Sha1::Hex(sha1));
    FUZZ_CHECK(SHA256Hex(data, size) == Sha256::Hex(sha256));
    return 0;
}

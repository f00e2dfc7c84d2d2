// SHA-1 and SHA-256: the portable transforms, the streaming shared by both,
// and the run-time choice of the SHA-extensions path (sha_ni.cpp).
//
// The portable rounds keep the message schedule in a ring of 16 words and
// rename the working variables from round to round instead of moving them.
#include "components/sha.h"

#include <cstring>

#include "components/cpufeatures.h"


namespace {

inline std::uint32_t Rotl(std::uint32_t v, int s) { return (v << s) | (v >> (32 - s)); }
inline std::uint32_t Rotr(std::uint32_t v, int s) { return (v >> s) | (v << (32 - s)); }

inline std::uint32_t LoadBE(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}


// Schedule word i >= 16 of the current block, computed in place in the ring.
inline std::uint32_t Extend256(std::uint32_t* w, int i) {
    const std::uint32_t w15 = w[(i - 15) & 15], w2 = w[(i - 2) & 15];
    const std::uint32_t s0 = Rotr(w15, 7) ^ Rotr(w15, 18) ^ (w15 >> 3);
    const std::uint32_t s1 = Rotr(w2, 17) ^ Rotr(w2, 19) ^ (w2 >> 10);
    return w[i & 15] += s0 + w[(i - 7) & 15] + s1;
}

inline void Round256(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t& d, std::uint32_t e,
                     std::uint32_t f, std::uint32_t g, std::uint32_t& h, std::uint32_t kw) {
    const std::uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + (g ^ (e & (f ^ g))) + kw;
    const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) | (c & (a | b)));
    d += t1;
    h = t1 + t2;
}

inline std::uint32_t Extend1(std::uint32_t* w, int i) {
    return w[i & 15] = Rotl(w[(i - 3) & 15] ^ w[(i - 8) & 15] ^ w[(i - 14) & 15] ^ w[i & 15], 1);
}

inline std::uint32_t Ch(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return d ^ (b & (c ^ d)); }
inline std::uint32_t Parity(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return b ^ c ^ d; }
inline std::uint32_t Maj(std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return (b & c) | (d & (b | c));
}

// One SHA-1 round: e takes the new a, b is rotated in place.
inline void Round1(std::uint32_t a, std::uint32_t& b, std::uint32_t& e, std::uint32_t f, std::uint32_t k,
                   std::uint32_t w) {
    e += Rotl(a, 5) + f + k + w;
    b = Rotl(b, 30);
}

}  // namespace

namespace sha_detail {

// The round constants, aligned for the SHA-extensions path's 16-byte loads.
alignas(16) const std::uint32_t kK256[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};


void Sha256Portable(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    for (; blocks > 0; --blocks, p += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = LoadBE(p + 4 * i);
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        // Eight rounds starting at round i; the first sixteen take the words
        // as loaded, the others extend the schedule in the ring.
#define VANTREL_SHA256_EIGHT(i, W)                                  \
    Round256(a, b, c, d, e, f, g, h, kK256[(i) + 0] + W((i) + 0)); \
    Round256(h, a, b, c, d, e, f, g, kK256[(i) + 1] + W((i) + 1)); \
    Round256(g, h, a, b, c, d, e, f, kK256[(i) + 2] + W((i) + 2)); \
    Round256(f, g, h, a, b, c, d, e, kK256[(i) + 3] + W((i) + 3)); \
    Round256(e, f, g, h, a, b, c, d, kK256[(i) + 4] + W((i) + 4)); \
    Round256(d, e, f, g, h, a, b, c, kK256[(i) + 5] + W((i) + 5)); \
    Round256(c, d, e, f, g, h, a, b, kK256[(i) + 6] + W((i) + 6)); \
    Round256(b, c, d, e, f, g, h, a, kK256[(i) + 7] + W((i) + 7))
#define VANTREL_LOADED(i) w[i]
#define VANTREL_EXTENDED(i) Extend256(w, i)
        VANTREL_SHA256_EIGHT(0, VANTREL_LOADED);
        VANTREL_SHA256_EIGHT(8, VANTREL_LOADED);
        for (int i = 16; i < 64; i += 16) {
            VANTREL_SHA256_EIGHT(i, VANTREL_EXTENDED);
            VANTREL_SHA256_EIGHT(i + 8, VANTREL_EXTENDED);
        }
#undef VANTREL_SHA256_EIGHT
#undef VANTREL_LOADED
#undef VANTREL_EXTENDED
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

void Sha1Portable(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    for (; blocks > 0; --blocks, p += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = LoadBE(p + 4 * i);
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
        // Five rounds with the variables renamed from round to round, so the
        // five-way rotation of the definition costs no moves.
#define VANTREL_SHA1_FIVE(F, k, i, W)      \
    Round1(a, b, e, F(b, c, d), k, W(i));     \
    Round1(e, a, d, F(a, b, c), k, W(i + 1)); \
    Round1(d, e, c, F(e, a, b), k, W(i + 2)); \
    Round1(c, d, b, F(d, e, a), k, W(i + 3)); \
    Round1(b, c, a, F(c, d, e), k, W(i + 4))
#define VANTREL_LOADED(i) w[i]
#define VANTREL_EXTENDED(i) Extend1(w, i)
        VANTREL_SHA1_FIVE(Ch, 0x5a827999u, 0, VANTREL_LOADED);
        VANTREL_SHA1_FIVE(Ch, 0x5a827999u, 5, VANTREL_LOADED);
        VANTREL_SHA1_FIVE(Ch, 0x5a827999u, 10, VANTREL_LOADED);
        Round1(a, b, e, Ch(b, c, d), 0x5a827999u, w[15]);
        Round1(e, a, d, Ch(a, b, c), 0x5a827999u, Extend1(w, 16));
        Round1(d, e, c, Ch(e, a, b), 0x5a827999u, Extend1(w, 17));
        Round1(c, d, b, Ch(d, e, a), 0x5a827999u, Extend1(w, 18));
        Round1(b, c, a, Ch(c, d, e), 0x5a827999u, Extend1(w, 19));
        for (int i = 20; i < 40; i += 5) {
            VANTREL_SHA1_FIVE(Parity, 0x6ed9eba1u, i, VANTREL_EXTENDED);
        }
        for (int i = 40; i < 60; i += 5) {
            VANTREL_SHA1_FIVE(Maj, 0x8f1bbcdcu, i, VANTREL_EXTENDED);
        }
        for (int i = 60; i < 80; i += 5) {
            VANTREL_SHA1_FIVE(Parity, 0xca62c1d6u, i, VANTREL_EXTENDED);
        }
#undef VANTREL_SHA1_FIVE
#undef VANTREL_LOADED
#undef VANTREL_EXTENDED
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

bool HaveShaExtensions() {
    // The extension paths shuffle and blend with SSSE3 and SSE4.1.
    return Cpu().sha && Cpu().ssse3 && Cpu().sse41;
}

}  // namespace sha_detail

namespace {

template <std::size_t N>
std::array<std::uint8_t, 4 * N> BigEndianBytes(const std::uint32_t (&state)[N]) {
    std::array<std::uint8_t, 4 * N> out{};
    for (std::size_t w = 0; w < N; ++w)
        for (std::size_t i = 0; i < 4; ++i)
            out[4 * w + i] = static_cast<std::uint8_t>(state[w] >> (24 - 8 * i));
    return out;
}

BlockFn Sha1Blocks(ShaPath path) {
    return path == ShaPath::Best && sha_detail::HaveShaExtensions() ? sha_detail::Sha1ShaNi
                                                                     : sha_detail::Sha1Portable;
}

BlockFn Sha256Blocks(ShaPath path) {
    return path == ShaPath::Best && sha_detail::HaveShaExtensions() ? sha_detail::Sha256ShaNi
                                                                     : sha_detail::Sha256Portable;
}

}  // namespace

Sha1::Sha1(ShaPath path)
    : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u, 0xc3d2e1f0u}, stream_(Sha1Blocks(path), BlockStream::LengthOrder::BigEndian) {}

Sha1::Digest Sha1::Final() {
    stream_.Finish(state_);
    return BigEndianBytes(state_);
}

Sha256::Sha256(ShaPath path)
    : state_{0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au,
             0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u},
      stream_(Sha256Blocks(path), BlockStream::LengthOrder::BigEndian) {}

Sha256::Digest Sha256::Final() {
    stream_.Finish(state_);
    return BigEndianBytes(state_);
}

std::string SHA1Hex(const void* data, std::size_t len) {
    Sha1 sha;
    sha.Update(data, len);
    return Sha1::Hex(sha.Final());
}

std::string SHA256Hex(const void* data, std::size_t len) {
    Sha256 sha;
    sha.Update(data, len);
    return Sha256::Hex(sha.Final());
}

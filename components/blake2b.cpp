// BLAKE2b: the compression function and the streaming of RFC 7693.
//
// Unlike the SHA family, the final block is compressed with a flag rather
// than padded with a length, so a full block waits in the buffer until more
// input shows that it is not the last.
#include "components/blake2b.h"

#include <cstring>
#include <utility>

#include "components/blockstream.h"

#if defined(_MSC_VER)
#define VANTREL_FORCE_INLINE __forceinline
#else
#define VANTREL_FORCE_INLINE inline __attribute__((always_inline))
#endif

namespace {

// Section 2.6: the SHA-512 initial values.
const std::uint64_t kIv[8] = {0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull,
                              0xa54ff53a5f1d36f1ull, 0x510e527fade682d1ull, 0x9b05688c2b3e6c1full,
                              0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull};

// Section 2.7: the message word order of each of the ten rounds (rounds 10
// and 11 repeat rounds 0 and 1).
constexpr std::uint8_t kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
    {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
    {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
    {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
    {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

inline std::uint64_t Rotr(std::uint64_t v, int s) { return (v >> s) | (v << (64 - s)); }

// Written out so that compilers see one 64-bit load.
inline std::uint64_t LoadLE64(const unsigned char* p) {
    return static_cast<std::uint64_t>(p[0]) | (static_cast<std::uint64_t>(p[1]) << 8) |
           (static_cast<std::uint64_t>(p[2]) << 16) | (static_cast<std::uint64_t>(p[3]) << 24) |
           (static_cast<std::uint64_t>(p[4]) << 32) | (static_cast<std::uint64_t>(p[5]) << 40) |
           (static_cast<std::uint64_t>(p[6]) << 48) | (static_cast<std::uint64_t>(p[7]) << 56);
}

// Section 3.1: the mixing function G. Forced inline, as are the rounds: in
// twelve rounds written out compilers stop inlining it, and G becomes a call
// on a state kept in memory, at two thirds of the speed.
VANTREL_FORCE_INLINE void G(std::uint64_t* v, int a, int b, int c, int d, std::uint64_t x, std::uint64_t y) {
    v[a] = v[a] + v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 32);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 24);
    v[a] = v[a] + v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 63);
}

// One round with its message order known at compile time, so that the
// message words are picked without a table lookup.
template <int R>
VANTREL_FORCE_INLINE void Round(std::uint64_t* v, const std::uint64_t* m) {
    constexpr const std::uint8_t* s = kSigma[R % 10];
    G(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
    G(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
    G(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
    G(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
    G(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
    G(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
    G(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
    G(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
}

template <int... R>
VANTREL_FORCE_INLINE void Rounds(std::uint64_t* v, const std::uint64_t* m, std::integer_sequence<int, R...>) {
    (Round<R>(v, m), ...);
}

}  // namespace

namespace blake2b_detail {

void Compress(std::uint64_t* h, const unsigned char* block, std::uint64_t t, bool last) {
    std::uint64_t m[16], v[16];
    for (int i = 0; i < 16; ++i) m[i] = LoadLE64(block + 8 * i);
    for (int i = 0; i < 8; ++i) {
        v[i] = h[i];
        v[i + 8] = kIv[i];
    }
    v[12] ^= t;  // the high half of the 128-bit counter stays zero
    if (last) v[14] = ~v[14];
    Rounds(v, m, std::make_integer_sequence<int, 12>());
    for (int i = 0; i < 8; ++i) h[i] ^= v[i] ^ v[i + 8];
}

}  // namespace blake2b_detail

Blake2b::Blake2b(std::size_t outLen) : outLen_(outLen < 1 ? 1 : outLen > kMaxOutLen ? kMaxOutLen : outLen) {
    std::memcpy(h_, kIv, sizeof h_);
    // Parameter block word 0: digest length, key length 0, fanout 1, depth 1.
    h_[0] ^= 0x01010000ull ^ outLen_;
}

void Blake2b::Update(const void* data, std::size_t len) {
    if (len == 0) return;  // data may then be null, which memcpy must not see
    const auto* p = static_cast<const unsigned char*>(data);
    if (used_ == 128) {
        length_ += 128;
        blake2b_detail::Compress(h_, block_, length_, false);
        used_ = 0;
    }
    if (used_ > 0) {
        const std::size_t take = len < 128 - used_ ? len : 128 - used_;
        std::memcpy(block_ + used_, p, take);
        used_ += take;
        p += take;
        len -= take;
        if (len == 0) return;  // a full block_ may be the last
        length_ += 128;
        blake2b_detail::Compress(h_, block_, length_, false);
        used_ = 0;
    }
    // Whole blocks straight from the input, all but one that may be the last.
    while (len > 128) {
        length_ += 128;
        blake2b_detail::Compress(h_, p, length_, false);
        p += 128;
        len -= 128;
    }
    std::memcpy(block_, p, len);
    used_ = len;
}

Blake2b::Digest Blake2b::Final() {
    length_ += used_;
    std::memset(block_ + used_, 0, 128 - used_);
    blake2b_detail::Compress(h_, block_, length_, true);
    Digest d{};
    for (std::size_t i = 0; i < outLen_; ++i) d[i] = static_cast<std::uint8_t>(h_[i / 8] >> (8 * (i % 8)));
    return d;
}

std::string Blake2b::Hex(const Digest& digest, std::size_t outLen) {
    return HexUpper(digest.data(), outLen < digest.size() ? outLen : digest.size());
}

std::string Blake2bHex(const void* data, std::size_t len, std::size_t outLen) {
    Blake2b b(outLen);
    b.Update(data, len);
    return Blake2b::Hex(b.Final(), b.OutLen());
}

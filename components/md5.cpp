// MD5 (RFC 1321), streamed.
//
// Whole 64-byte blocks are transformed straight from the caller's buffer;
// the block stream only holds a partial block between calls and the padding.
//
// The round steps are written so that as little as possible waits for b, the
// result of the step before: a + x[k] + t is summed first, and the parts of
// the round function that do not involve b are added separately.
#include "components/md5.h"

#include <cstring>

namespace {

inline std::uint32_t Rotl(std::uint32_t v, int s) {
    return (v << s) | (v >> (32 - s));
}

inline std::uint32_t Load32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// F(b,c,d) = (b & c) | (~b & d) = d ^ (b & (c ^ d)).
inline void StepF(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xt, int s) {
    a += xt;
    a += d ^ (b & (c ^ d));
    a = Rotl(a, s) + b;
}

// G(b,c,d) = (b & d) | (c & ~d); the two terms never share a set bit, so
// they can be added separately, and c & ~d does not wait for b.
inline void StepG(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xt, int s) {
    a += xt;
    a += c & ~d;
    a += b & d;
    a = Rotl(a, s) + b;
}

inline void StepH(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xt, int s) {
    a += xt;
    a += (c ^ d) ^ b;
    a = Rotl(a, s) + b;
}

// I(b,c,d) = c ^ (b | ~d).
inline void StepI(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t xt, int s) {
    a += xt;
    a += c ^ (b | ~d);
    a = Rotl(a, s) + b;
}

void Transform(std::uint32_t state[4], const unsigned char* p, std::size_t blocks) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, p += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = Load32(p + 4 * i);
        const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        StepF(a, b, c, d, x[0] + 0xd76aa478u, 7);
        StepF(d, a, b, c, x[1] + 0xe8c7b756u, 12);
        StepF(c, d, a, b, x[2] + 0x242070dbu, 17);
        StepF(b, c, d, a, x[3] + 0xc1bdceeeu, 22);
        StepF(a, b, c, d, x[4] + 0xf57c0fafu, 7);
        StepF(d, a, b, c, x[5] + 0x4787c62au, 12);
        StepF(c, d, a, b, x[6] + 0xa8304613u, 17);
        StepF(b, c, d, a, x[7] + 0xfd469501u, 22);
        StepF(a, b, c, d, x[8] + 0x698098d8u, 7);
        StepF(d, a, b, c, x[9] + 0x8b44f7afu, 12);
        StepF(c, d, a, b, x[10] + 0xffff5bb1u, 17);
        StepF(b, c, d, a, x[11] + 0x895cd7beu, 22);
        StepF(a, b, c, d, x[12] + 0x6b901122u, 7);
        StepF(d, a, b, c, x[13] + 0xfd987193u, 12);
        StepF(c, d, a, b, x[14] + 0xa679438eu, 17);
        StepF(b, c, d, a, x[15] + 0x49b40821u, 22);

        StepG(a, b, c, d, x[1] + 0xf61e2562u, 5);
        StepG(d, a, b, c, x[6] + 0xc040b340u, 9);
        StepG(c, d, a, b, x[11] + 0x265e5a51u, 14);
        StepG(b, c, d, a, x[0] + 0xe9b6c7aau, 20);
        StepG(a, b, c, d, x[5] + 0xd62f105du, 5);
        StepG(d, a, b, c, x[10] + 0x02441453u, 9);
        StepG(c, d, a, b, x[15] + 0xd8a1e681u, 14);
        StepG(b, c, d, a, x[4] + 0xe7d3fbc8u, 20);
        StepG(a, b, c, d, x[9] + 0x21e1cde6u, 5);
        StepG(d, a, b, c, x[14] + 0xc33707d6u, 9);
        StepG(c, d, a, b, x[3] + 0xf4d50d87u, 14);
        StepG(b, c, d, a, x[8] + 0x455a14edu, 20);
        StepG(a, b, c, d, x[13] + 0xa9e3e905u, 5);
        StepG(d, a, b, c, x[2] + 0xfcefa3f8u, 9);
        StepG(c, d, a, b, x[7] + 0x676f02d9u, 14);
        StepG(b, c, d, a, x[12] + 0x8d2a4c8au, 20);

        StepH(a, b, c, d, x[5] + 0xfffa3942u, 4);
        StepH(d, a, b, c, x[8] + 0x8771f681u, 11);
        StepH(c, d, a, b, x[11] + 0x6d9d6122u, 16);
        StepH(b, c, d, a, x[14] + 0xfde5380cu, 23);
        StepH(a, b, c, d, x[1] + 0xa4beea44u, 4);
        StepH(d, a, b, c, x[4] + 0x4bdecfa9u, 11);
        StepH(c, d, a, b, x[7] + 0xf6bb4b60u, 16);
        StepH(b, c, d, a, x[10] + 0xbebfbc70u, 23);
        StepH(a, b, c, d, x[13] + 0x289b7ec6u, 4);
        StepH(d, a, b, c, x[0] + 0xeaa127fau, 11);
        StepH(c, d, a, b, x[3] + 0xd4ef3085u, 16);
        StepH(b, c, d, a, x[6] + 0x04881d05u, 23);
        StepH(a, b, c, d, x[9] + 0xd9d4d039u, 4);
        StepH(d, a, b, c, x[12] + 0xe6db99e5u, 11);
        StepH(c, d, a, b, x[15] + 0x1fa27cf8u, 16);
        StepH(b, c, d, a, x[2] + 0xc4ac5665u, 23);

        StepI(a, b, c, d, x[0] + 0xf4292244u, 6);
        StepI(d, a, b, c, x[7] + 0x432aff97u, 10);
        StepI(c, d, a, b, x[14] + 0xab9423a7u, 15);
        StepI(b, c, d, a, x[5] + 0xfc93a039u, 21);
        StepI(a, b, c, d, x[12] + 0x655b59c3u, 6);
        StepI(d, a, b, c, x[3] + 0x8f0ccc92u, 10);
        StepI(c, d, a, b, x[10] + 0xffeff47du, 15);
        StepI(b, c, d, a, x[1] + 0x85845dd1u, 21);
        StepI(a, b, c, d, x[8] + 0x6fa87e4fu, 6);
        StepI(d, a, b, c, x[15] + 0xfe2ce6e0u, 10);
        StepI(c, d, a, b, x[6] + 0xa3014314u, 15);
        StepI(b, c, d, a, x[13] + 0x4e0811a1u, 21);
        StepI(a, b, c, d, x[4] + 0xf7537e82u, 6);
        StepI(d, a, b, c, x[11] + 0xbd3af235u, 10);
        StepI(c, d, a, b, x[2] + 0x2ad7d2bbu, 15);
        StepI(b, c, d, a, x[9] + 0xeb86d391u, 21);

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

}  // namespace

Md5::Md5()
    : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u},
      stream_(Transform, BlockStream::LengthOrder::LittleEndian) {}

Md5::Digest Md5::Final() {
    stream_.Finish(state_);
    Digest out{};
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < 4; ++i) out[4 * w + i] = static_cast<std::uint8_t>(state_[w] >> (8 * i));
    return out;
}

std::string Md5::Hex(const Digest& digest) { return HexUpper(digest.data(), digest.size()); }

std::string MD5Hex(const void* data, std::size_t len) {
    Md5 md5;
    md5.Update(data, len);
    return Md5::Hex(md5.Final());
}

// SHA-512 and SHA-384: the portable 64-bit transform and the streaming.
//
// The rounds keep the message schedule in a ring of 16 words and rename the
// working variables from round to round instead of moving them, as the
// SHA-256 transform does.
#include "components/sha512.h"

#include <cstring>

#include "components/blockstream.h"
#include "components/cpufeatures.h"
#include "components/sha512_impl.h"

namespace sha512_detail {

// Section 4.2.3: the first 64 bits of the fractional parts of the cube roots
// of the first 80 primes.
const std::uint64_t kK512[80] = {
    0x428a2f98d728ae22ull, 0x7137449123ef65cdull, 0xb5c0fbcfec4d3b2full, 0xe9b5dba58189dbbcull,
    0x3956c25bf348b538ull, 0x59f111f1b605d019ull, 0x923f82a4af194f9bull, 0xab1c5ed5da6d8118ull,
    0xd807aa98a3030242ull, 0x12835b0145706fbeull, 0x243185be4ee4b28cull, 0x550c7dc3d5ffb4e2ull,
    0x72be5d74f27b896full, 0x80deb1fe3b1696b1ull, 0x9bdc06a725c71235ull, 0xc19bf174cf692694ull,
    0xe49b69c19ef14ad2ull, 0xefbe4786384f25e3ull, 0x0fc19dc68b8cd5b5ull, 0x240ca1cc77ac9c65ull,
    0x2de92c6f592b0275ull, 0x4a7484aa6ea6e483ull, 0x5cb0a9dcbd41fbd4ull, 0x76f988da831153b5ull,
    0x983e5152ee66dfabull, 0xa831c66d2db43210ull, 0xb00327c898fb213full, 0xbf597fc7beef0ee4ull,
    0xc6e00bf33da88fc2ull, 0xd5a79147930aa725ull, 0x06ca6351e003826full, 0x142929670a0e6e70ull,
    0x27b70a8546d22ffcull, 0x2e1b21385c26c926ull, 0x4d2c6dfc5ac42aedull, 0x53380d139d95b3dfull,
    0x650a73548baf63deull, 0x766a0abb3c77b2a8ull, 0x81c2c92e47edaee6ull, 0x92722c851482353bull,
    0xa2bfe8a14cf10364ull, 0xa81a664bbc423001ull, 0xc24b8b70d0f89791ull, 0xc76c51a30654be30ull,
    0xd192e819d6ef5218ull, 0xd69906245565a910ull, 0xf40e35855771202aull, 0x106aa07032bbd1b8ull,
    0x19a4c116b8d2d0c8ull, 0x1e376c085141ab53ull, 0x2748774cdf8eeb99ull, 0x34b0bcb5e19b48a8ull,
    0x391c0cb3c5c95a63ull, 0x4ed8aa4ae3418acbull, 0x5b9cca4f7763e373ull, 0x682e6ff3d6b2b8a3ull,
    0x748f82ee5defb2fcull, 0x78a5636f43172f60ull, 0x84c87814a1f0ab72ull, 0x8cc702081a6439ecull,
    0x90befffa23631e28ull, 0xa4506cebde82bde9ull, 0xbef9a3f7b2c67915ull, 0xc67178f2e372532bull,
    0xca273eceea26619cull, 0xd186b8c721c0c207ull, 0xeada7dd6cde0eb1eull, 0xf57d4f7fee6ed178ull,
    0x06f067aa72176fbaull, 0x0a637dc5a2c898a6ull, 0x113f9804bef90daeull, 0x1b710b35131c471bull,
    0x28db77f523047d84ull, 0x32caab7b40c72493ull, 0x3c9ebe0a15c9bebcull, 0x431d67c49c100d4cull,
    0x4cc5d4becb3e42b6ull, 0x597f299cfc657e2aull, 0x5fcb6fab3ad6faecull, 0x6c44198c4a475817ull,
};

}  // namespace sha512_detail

namespace {

using sha512_detail::kK512;

// Section 5.3.5 and 5.3.4.
const std::uint64_t kIv512[8] = {0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull,
                                 0xa54ff53a5f1d36f1ull, 0x510e527fade682d1ull, 0x9b05688c2b3e6c1full,
                                 0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull};
const std::uint64_t kIv384[8] = {0xcbbb9d5dc1059ed8ull, 0x629a292a367cd507ull, 0x9159015a3070dd17ull,
                                 0x152fecd8f70e5939ull, 0x67332667ffc00b31ull, 0x8eb44a8768581511ull,
                                 0xdb0c2e0d64f98fa7ull, 0x47b5481dbefa4fa4ull};

inline std::uint64_t Rotr(std::uint64_t v, int s) { return (v >> s) | (v << (64 - s)); }

// Written out so that compilers see one 64-bit load and a byte swap.
inline std::uint64_t LoadBE64(const unsigned char* p) {
    return (static_cast<std::uint64_t>(p[0]) << 56) | (static_cast<std::uint64_t>(p[1]) << 48) |
           (static_cast<std::uint64_t>(p[2]) << 40) | (static_cast<std::uint64_t>(p[3]) << 32) |
           (static_cast<std::uint64_t>(p[4]) << 24) | (static_cast<std::uint64_t>(p[5]) << 16) |
           (static_cast<std::uint64_t>(p[6]) << 8) | static_cast<std::uint64_t>(p[7]);
}

inline std::uint64_t Extend(std::uint64_t* w, int i) {
    const std::uint64_t w15 = w[(i - 15) & 15], w2 = w[(i - 2) & 15];
    const std::uint64_t s0 = Rotr(w15, 1) ^ Rotr(w15, 8) ^ (w15 >> 7);
    const std::uint64_t s1 = Rotr(w2, 19) ^ Rotr(w2, 61) ^ (w2 >> 6);
    return w[i & 15] += s0 + w[(i - 7) & 15] + s1;
}

inline void Round(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t& d, std::uint64_t e,
                  std::uint64_t f, std::uint64_t g, std::uint64_t& h, std::uint64_t kw) {
    const std::uint64_t t1 = h + (Rotr(e, 14) ^ Rotr(e, 18) ^ Rotr(e, 41)) + (g ^ (e & (f ^ g))) + kw;
    const std::uint64_t t2 = (Rotr(a, 28) ^ Rotr(a, 34) ^ Rotr(a, 39)) + ((a & b) | (c & (a | b)));
    d += t1;
    h = t1 + t2;
}

}  // namespace

namespace sha512_detail {

void Sha512Portable(std::uint64_t* state, const unsigned char* p, std::size_t blocks) {
    for (; blocks > 0; --blocks, p += 128) {
        std::uint64_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = LoadBE64(p + 8 * i);
        std::uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
        // Eight rounds per step, so that the names come back to where they began.
        for (int i = 0; i < 80; i += 8) {
            auto W = [&](int j) { return i + j < 16 ? w[i + j] : Extend(w, i + j); };
            Round(a, b, c, d, e, f, g, h, kK512[i + 0] + W(0));
            Round(h, a, b, c, d, e, f, g, kK512[i + 1] + W(1));
            Round(g, h, a, b, c, d, e, f, kK512[i + 2] + W(2));
            Round(f, g, h, a, b, c, d, e, kK512[i + 3] + W(3));
            Round(e, f, g, h, a, b, c, d, kK512[i + 4] + W(4));
            Round(d, e, f, g, h, a, b, c, kK512[i + 5] + W(5));
            Round(c, d, e, f, g, h, a, b, kK512[i + 6] + W(6));
            Round(b, c, d, e, f, g, h, a, kK512[i + 7] + W(7));
        }
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

Sha512Stream::Sha512Stream(const std::uint64_t (&iv)[8], Sha512Path path)
    : transform_(path != Sha512Path::Portable && Sha512PathAvailable(Sha512Path::Avx2) ? Sha512Avx2
                                                                                       : Sha512Portable) {
    std::memcpy(state_, iv, sizeof state_);
}

void Sha512Stream::Update(const void* data, std::size_t len) {
    if (len == 0) return;  // data may then be null, which memcpy must not see
    const auto* p = static_cast<const unsigned char*>(data);
    length_ += len;
    if (used_ > 0) {
        const std::size_t take = len < 128 - used_ ? len : 128 - used_;
        std::memcpy(block_ + used_, p, take);
        used_ += take;
        p += take;
        len -= take;
        if (used_ < 128) return;
        transform_(state_, block_, 1);
        used_ = 0;
    }
    if (len >= 128) {
        transform_(state_, p, len / 128);
        p += len & ~static_cast<std::size_t>(127);
        len &= 127;
    }
    if (len > 0) {
        std::memcpy(block_, p, len);
        used_ = len;
    }
}

void Sha512Stream::Finish(std::uint8_t* out, std::size_t n) {
    // Section 5.1.2: a one bit, zeros to 112 mod 128, the bit length in 128 bits.
    block_[used_++] = 0x80;
    if (used_ > 112) {
        std::memset(block_ + used_, 0, 128 - used_);
        transform_(state_, block_, 1);
        used_ = 0;
    }
    std::memset(block_ + used_, 0, 128 - used_);
    block_[119] = static_cast<unsigned char>(length_ >> 61);  // the bits that the shift below drops
    const std::uint64_t bits = length_ << 3;
    for (int i = 0; i < 8; ++i) block_[120 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    transform_(state_, block_, 1);
    used_ = 0;
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(state_[i / 8] >> (56 - 8 * (i % 8)));
}

}  // namespace sha512_detail

bool Sha512PathAvailable(Sha512Path path) {
    switch (path) {
        case Sha512Path::Best:
        case Sha512Path::Portable:
            return true;
        case Sha512Path::Avx2:
            return Cpu().avx2 && Cpu().bmi1 && Cpu().bmi2;
    }
    return false;
}

Sha512::Sha512(Sha512Path path) : stream_(kIv512, path) {}

Sha512::Digest Sha512::Final() {
    Digest d{};
    stream_.Finish(d.data(), d.size());
    return d;
}

std::string Sha512::Hex(const Digest& digest) { return HexUpper(digest.data(), digest.size()); }

Sha384::Sha384(Sha512Path path) : stream_(kIv384, path) {}

Sha384::Digest Sha384::Final() {
    Digest d{};
    stream_.Finish(d.data(), d.size());
    return d;
}

std::string Sha384::Hex(const Digest& digest) { return HexUpper(digest.data(), digest.size()); }

std::string SHA512Hex(const void* data, std::size_t len) {
    Sha512 sha;
    sha.Update(data, len);
    return Sha512::Hex(sha.Final());
}

std::string SHA384Hex(const void* data, std::size_t len) {
    Sha384 sha;
    sha.Update(data, len);
    return Sha384::Hex(sha.Final());
}

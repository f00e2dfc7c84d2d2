// Differential fuzz target for SHA-512 and SHA-384. The streaming, on every
// path this processor has, is compared
// with a digest written here from FIPS 180-4 as it reads: the whole message
// padded first, the full 80-word schedule, the working variables moved one by
// one each round. Each is run on the whole input, from an unaligned start and
// in chunks whose lengths the input chooses (empty chunks included).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "components/blockstream.h"
#include "components/sha512.h"
#include "fuzz/check.h"

namespace {

FUZZ_NO_COVERAGE std::uint64_t Rotr(std::uint64_t v, unsigned s) { return (v >> s) | (v << (64 - s)); }

// Section 4.2.3.
const std::uint64_t kK[80] = {
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

// Section 6.4.2 with the initial values of 5.3.5 (SHA-512) or 5.3.4 (SHA-384).
FUZZ_NO_COVERAGE std::vector<std::uint8_t> PlainSha512(const std::uint8_t* data, std::size_t n,
                                                       const std::uint64_t (&iv)[8], std::size_t outLen) {
    // Section 5.1.2: a one bit, zeros to 112 mod 128, the bit length in 128 bits.
    std::vector<std::uint8_t> msg(data, data + n);
    msg.push_back(0x80);
    while (msg.size() % 128 != 112) msg.push_back(0);
    for (int i = 0; i < 8; ++i) msg.push_back(0);
    const std::uint64_t bits = static_cast<std::uint64_t>(n) * 8;
    for (int i = 7; i >= 0; --i) msg.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    std::uint64_t h[8];
    std::memcpy(h, iv, sizeof h);
    for (std::size_t block = 0; block < msg.size(); block += 128) {
        std::uint64_t w[80];
        for (int t = 0; t < 16; ++t) {
            w[t] = 0;
            for (int i = 0; i < 8; ++i) w[t] = (w[t] << 8) | msg[block + 8 * t + i];
        }
        for (int t = 16; t < 80; ++t) {
            const std::uint64_t s0 = Rotr(w[t - 15], 1) ^ Rotr(w[t - 15], 8) ^ (w[t - 15] >> 7);
            const std::uint64_t s1 = Rotr(w[t - 2], 19) ^ Rotr(w[t - 2], 61) ^ (w[t - 2] >> 6);
            w[t] = s1 + w[t - 7] + s0 + w[t - 16];
        }
        std::uint64_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int t = 0; t < 80; ++t) {
            const std::uint64_t t1 =
                hh + (Rotr(e, 14) ^ Rotr(e, 18) ^ Rotr(e, 41)) + ((e & f) ^ (~e & g)) + kK[t] + w[t];
            const std::uint64_t t2 =
                (Rotr(a, 28) ^ Rotr(a, 34) ^ Rotr(a, 39)) + ((a & b) ^ (a & c) ^ (b & c));
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
    std::vector<std::uint8_t> out(outLen);
    for (std::size_t i = 0; i < outLen; ++i)
        out[i] = static_cast<std::uint8_t>(h[i / 8] >> (56 - 8 * (i % 8)));
    return out;
}

const std::uint64_t kIv512[8] = {0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull,
                                 0xa54ff53a5f1d36f1ull, 0x510e527fade682d1ull, 0x9b05688c2b3e6c1full,
                                 0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull};
const std::uint64_t kIv384[8] = {0xcbbb9d5dc1059ed8ull, 0x629a292a367cd507ull, 0x9159015a3070dd17ull,
                                 0x152fecd8f70e5939ull, 0x67332667ffc00b31ull, 0x8eb44a8768581511ull,
                                 0xdb0c2e0d64f98fa7ull, 0x47b5481dbefa4fa4ull};

// Chunk lengths that add up to n, read from the input's own bytes starting at
// salt: runs of a few bytes, whole blocks' worth, and empty chunks.
std::vector<std::size_t> ChunkLengths(const std::uint8_t* data, std::size_t n, std::size_t salt) {
    std::vector<std::size_t> out;
    std::size_t done = 0;
    std::size_t empties = 0;
    for (std::size_t i = salt; done < n; ++i) {
        const std::uint8_t b = data[i % n];
        std::size_t len = b < 0x40 ? b % 8 : b < 0xC0 ? b : static_cast<std::size_t>(b - 0xBF) * 128;
        if (len == 0 && ++empties > 8) len = 1;
        if (len > n - done) len = n - done;
        out.push_back(len);
        done += len;
    }
    return out;
}

template <typename Sha>
void Check(Sha512Path path, const std::uint8_t* data, std::size_t n,
           const std::vector<std::uint8_t>& expected) {
    auto same = [&](const typename Sha::Digest& d) {
        return std::equal(d.begin(), d.end(), expected.begin(), expected.end());
    };
    // One byte off every alignment the caller's buffer had.
    std::vector<std::uint8_t> shifted(n + 1);
    if (n) std::memcpy(shifted.data() + 1, data, n);
    Sha whole(path);
    whole.Update(data, n);
    FUZZ_CHECK(same(whole.Final()));
    Sha unaligned(path);
    unaligned.Update(shifted.data() + 1, n);
    FUZZ_CHECK(same(unaligned.Final()));
    for (std::size_t salt = 0; salt < 2; ++salt) {
        Sha streamed(path);
        streamed.Update(nullptr, 0);
        const std::uint8_t* p = data;
        for (std::size_t len : ChunkLengths(data, n, salt)) {
            streamed.Update(p, len);
            p += len;
        }
        FUZZ_CHECK(same(streamed.Final()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> sha512 = PlainSha512(data, size, kIv512, 64);
    const std::vector<std::uint8_t> sha384 = PlainSha512(data, size, kIv384, 48);
    for (Sha512Path path : {Sha512Path::Best, Sha512Path::Portable, Sha512Path::Avx2}) {
        if (!Sha512PathAvailable(path)) continue;
        Check<Sha512>(path, data, size, sha512);
        Check<Sha384>(path, data, size, sha384);
    }
    FUZZ_CHECK(SHA512Hex(data, size) == HexUpper(sha512.data(), sha512.size()));
    FUZZ_CHECK(SHA384Hex(data, size) == HexUpper(sha384.data(), sha384.size()));
    return 0;
}

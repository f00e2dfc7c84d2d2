// Differential fuzz target for BLAKE2b. The streaming is compared with
// BLAKE2b written here from RFC 7693 section 3.3 as it reads: the message cut
// into padded blocks first, the working vector mixed with the sigma table
// indexed per round. The first input byte chooses the output length (1 to 64
// bytes); each is run on the whole input, from an unaligned start and in
// chunks whose lengths the input chooses (empty chunks included).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "components/blake2b.h"
#include "components/blockstream.h"
#include "fuzz/check.h"

namespace {

const std::uint64_t kIv[8] = {0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull,
                              0xa54ff53a5f1d36f1ull, 0x510e527fade682d1ull, 0x9b05688c2b3e6c1full,
                              0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull};

const int kSigma[12][16] = {
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
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
};

FUZZ_NO_COVERAGE std::uint64_t Rotr(std::uint64_t v, unsigned s) { return (v >> s) | (v << (64 - s)); }

FUZZ_NO_COVERAGE void Mix(std::uint64_t* v, int a, int b, int c, int d, std::uint64_t x, std::uint64_t y) {
    v[a] += v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 32);
    v[c] += v[d];
    v[b] = Rotr(v[b] ^ v[c], 24);
    v[a] += v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] += v[d];
    v[b] = Rotr(v[b] ^ v[c], 63);
}

FUZZ_NO_COVERAGE std::vector<std::uint8_t> PlainBlake2b(const std::uint8_t* data, std::size_t n,
                                                        std::size_t nn) {
    std::uint64_t h[8];
    std::memcpy(h, kIv, sizeof h);
    h[0] ^= 0x01010000ull ^ nn;
    const std::size_t blocks = n == 0 ? 1 : (n + 127) / 128;
    for (std::size_t i = 0; i < blocks; ++i) {
        std::uint8_t block[128] = {};
        const std::size_t from = 128 * i, len = std::min<std::size_t>(128, n - std::min(n, from));
        if (len) std::memcpy(block, data + from, len);
        const bool last = i + 1 == blocks;
        const std::uint64_t t = last ? n : 128 * (i + 1);
        std::uint64_t m[16], v[16];
        for (int w = 0; w < 16; ++w) {
            m[w] = 0;
            for (int b = 7; b >= 0; --b) m[w] = (m[w] << 8) | block[8 * w + b];
        }
        for (int w = 0; w < 8; ++w) {
            v[w] = h[w];
            v[w + 8] = kIv[w];
        }
        v[12] ^= t;
        if (last) v[14] ^= ~0ull;
        for (const auto& s : kSigma) {
            Mix(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
            Mix(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
            Mix(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
            Mix(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
            Mix(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
            Mix(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
            Mix(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
            Mix(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
        }
        for (int w = 0; w < 8; ++w) h[w] ^= v[w] ^ v[w + 8];
    }
    std::vector<std::uint8_t> out(nn);
    for (std::size_t i = 0; i < nn; ++i) out[i] = static_cast<std::uint8_t>(h[i / 8] >> (8 * (i % 8)));
    return out;
}

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t outLen = size == 0 ? 64 : 1 + data[0] % 64;
    const std::vector<std::uint8_t> expected = PlainBlake2b(data, size, outLen);
    auto same = [&](const Blake2b::Digest& d) {
        if (!std::equal(expected.begin(), expected.end(), d.begin())) return false;
        return std::all_of(d.begin() + static_cast<std::ptrdiff_t>(outLen), d.end(),
                           [](std::uint8_t b) { return b == 0; });
    };
    std::vector<std::uint8_t> shifted(size + 1);
    if (size) std::memcpy(shifted.data() + 1, data, size);
    Blake2b whole(outLen);
    whole.Update(data, size);
    FUZZ_CHECK(same(whole.Final()));
    Blake2b unaligned(outLen);
    unaligned.Update(shifted.data() + 1, size);
    FUZZ_CHECK(same(unaligned.Final()));
    for (std::size_t salt = 0; salt < 2; ++salt) {
        Blake2b streamed(outLen);
        streamed.Update(nullptr, 0);
        const std::uint8_t* p = data;
        for (std::size_t len : ChunkLengths(data, size, salt)) {
            streamed.Update(p, len);
            p += len;
        }
        FUZZ_CHECK(same(streamed.Final()));
    }
    FUZZ_CHECK(Blake2bHex(data, size, outLen) == HexUpper(expected.data(), expected.size()));
    return 0;
}

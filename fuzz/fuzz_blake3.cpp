// Differential fuzz target for BLAKE3. Every path this processor has
// (portable, SSE4.1, AVX2, AVX-512F) and the streaming are compared with
// BLAKE3 written here from its specification as it reads: the tree split
// recursively (the left subtree the largest power of two of whole chunks that
// leaves input for the right), each chunk's blocks compressed in turn, the
// message words permuted after each round.
//
// So that inputs of a few KiB reach trees of many levels and the many-chunk
// batches, the message is the input repeated 1 + (first byte % 64) times.
// Each path is run on the whole message, from an unaligned start and in
// chunks whose lengths the input chooses (empty chunks included).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "components/blake3.h"
#include "fuzz/check.h"

namespace {

const std::uint32_t kIv[8] = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au,
                              0x510E527Fu, 0x9B05688Cu, 0x1F83D9ABu, 0x5BE0CD19u};
const int kPermutation[16] = {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14, 15, 8};
enum : std::uint32_t { kChunkStart = 1, kChunkEnd = 2, kParent = 4, kRoot = 8 };

FUZZ_NO_COVERAGE std::uint32_t Rotr(std::uint32_t v, unsigned s) { return (v >> s) | (v << (32 - s)); }

FUZZ_NO_COVERAGE void Mix(std::uint32_t* v, int a, int b, int c, int d, std::uint32_t x, std::uint32_t y) {
    v[a] = v[a] + v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 12);
    v[a] = v[a] + v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 8);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 7);
}

// A node before compression: what the compression function takes.
struct Node {
    std::array<std::uint32_t, 8> cv;
    std::array<std::uint8_t, 64> block;
    std::uint32_t blockLen;
    std::uint64_t counter;
    std::uint32_t flags;
};

// The first 8 words of the compression function's output.
FUZZ_NO_COVERAGE std::array<std::uint32_t, 8> Compress(const Node& n, std::uint32_t extraFlags) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = n.block[4 * i] | (n.block[4 * i + 1] << 8) | (n.block[4 * i + 2] << 16) |
               (static_cast<std::uint32_t>(n.block[4 * i + 3]) << 24);
    std::uint32_t v[16];
    for (int i = 0; i < 8; ++i) v[i] = n.cv[i];
    for (int i = 0; i < 4; ++i) v[8 + i] = kIv[i];
    v[12] = static_cast<std::uint32_t>(n.counter);
    v[13] = static_cast<std::uint32_t>(n.counter >> 32);
    v[14] = n.blockLen;
    v[15] = n.flags | extraFlags;
    for (int round = 0; round < 7; ++round) {
        Mix(v, 0, 4, 8, 12, m[0], m[1]);
        Mix(v, 1, 5, 9, 13, m[2], m[3]);
        Mix(v, 2, 6, 10, 14, m[4], m[5]);
        Mix(v, 3, 7, 11, 15, m[6], m[7]);
        Mix(v, 0, 5, 10, 15, m[8], m[9]);
        Mix(v, 1, 6, 11, 12, m[10], m[11]);
        Mix(v, 2, 7, 8, 13, m[12], m[13]);
        Mix(v, 3, 4, 9, 14, m[14], m[15]);
        std::uint32_t permuted[16];
        for (int i = 0; i < 16; ++i) permuted[i] = m[kPermutation[i]];
        std::memcpy(m, permuted, sizeof m);
    }
    std::array<std::uint32_t, 8> out{};
    for (int i = 0; i < 8; ++i) out[i] = v[i] ^ v[i + 8];
    return out;
}

FUZZ_NO_COVERAGE Node TreeNode(const std::uint8_t* p, std::size_t n, std::uint64_t firstChunk) {
    Node node{};
    if (n <= 1024) {
        std::copy(kIv, kIv + 8, node.cv.begin());
        const std::size_t blocks = n == 0 ? 1 : (n + 63) / 64;
        for (std::size_t b = 0; b < blocks; ++b) {
            node.block.fill(0);
            const std::size_t len = std::min<std::size_t>(64, n - 64 * b);
            if (len) std::memcpy(node.block.data(), p + 64 * b, len);
            node.blockLen = static_cast<std::uint32_t>(len);
            node.counter = firstChunk;
            node.flags = (b == 0 ? kChunkStart : 0) | (b + 1 == blocks ? kChunkEnd : 0);
            if (b + 1 < blocks) node.cv = Compress(node, 0);
        }
        return node;
    }
    std::size_t leftChunks = 1;
    while (2 * leftChunks * 1024 < n) leftChunks *= 2;
    const std::array<std::uint32_t, 8> left = Compress(TreeNode(p, leftChunks * 1024, firstChunk), 0);
    const std::array<std::uint32_t, 8> right =
        Compress(TreeNode(p + leftChunks * 1024, n - leftChunks * 1024, firstChunk + leftChunks), 0);
    std::copy(kIv, kIv + 8, node.cv.begin());
    for (int i = 0; i < 8; ++i)
        for (int b = 0; b < 4; ++b) {
            node.block[4 * i + b] = static_cast<std::uint8_t>(left[i] >> (8 * b));
            node.block[32 + 4 * i + b] = static_cast<std::uint8_t>(right[i] >> (8 * b));
        }
    node.blockLen = 64;
    node.counter = 0;
    node.flags = kParent;
    return node;
}

FUZZ_NO_COVERAGE Blake3::Digest PlainBlake3(const std::uint8_t* p, std::size_t n) {
    const std::array<std::uint32_t, 8> h = Compress(TreeNode(p, n, 0), kRoot);
    Blake3::Digest d{};
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(h[i / 4] >> (8 * (i % 4)));
    return d;
}

// Chunk lengths that add up to n, read from the input's own bytes starting at
// salt: runs of a few bytes, blocks' and chunks' worth, and empty chunks.
std::vector<std::size_t> ChunkLengths(const std::uint8_t* data, std::size_t size, std::size_t n,
                                      std::size_t salt) {
    std::vector<std::size_t> out;
    std::size_t done = 0;
    std::size_t empties = 0;
    for (std::size_t i = salt; done < n; ++i) {
        const std::uint8_t b = data[i % size];
        std::size_t len = b < 0x40   ? b % 8
                          : b < 0xC0 ? b
                          : b < 0xF0 ? static_cast<std::size_t>(b - 0xBF) * 64
                                     : static_cast<std::size_t>(b - 0xEF) * 4096;
        if (len == 0 && ++empties > 8) len = 1;
        if (len > n - done) len = n - done;
        out.push_back(len);
        done += len;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t repeats = size == 0 ? 1 : 1 + data[0] % 64;
    std::vector<std::uint8_t> message;
    for (std::size_t r = 0; r < repeats; ++r) message.insert(message.end(), data, data + size);
    const std::size_t n = message.size();
    const Blake3::Digest expected = PlainBlake3(message.data(), n);
    std::vector<std::uint8_t> shifted(n + 1);
    if (n) std::memcpy(shifted.data() + 1, message.data(), n);
    for (Blake3Path path :
         {Blake3Path::Best, Blake3Path::Portable, Blake3Path::Sse41, Blake3Path::Avx2, Blake3Path::Avx512}) {
        if (!blake3_detail::PathAvailable(path)) continue;
        Blake3 whole(path);
        whole.Update(message.data(), n);
        FUZZ_CHECK(whole.Final() == expected);
        Blake3 unaligned(path);
        unaligned.Update(shifted.data() + 1, n);
        FUZZ_CHECK(unaligned.Final() == expected);
        if (size == 0) continue;
        Blake3 streamed(path);
        streamed.Update(nullptr, 0);
        const std::uint8_t* p = message.data();
        for (std::size_t len : ChunkLengths(data, size, n, path == Blake3Path::Best ? 0 : 1)) {
            streamed.Update(p, len);
            p += len;
        }
        FUZZ_CHECK(streamed.Final() == expected);
    }
    FUZZ_CHECK(Blake3Hex(message.data(), n) == Blake3::Hex(expected));
    return 0;
}

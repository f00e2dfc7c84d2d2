// BLAKE3: the portable compression function, the chunk being fed, the stack
// of subtree chaining values, and the run-time choice of the routine that
// hashes many chunks at once (blake3_sse41.cpp, blake3_avx2.cpp,
// blake3_avx512.cpp).
#include "components/blake3.h"

#include <cstring>

#include "components/blake3_impl.h"
#include "components/blockstream.h"
#include "components/cpufeatures.h"

namespace blake3_detail {

const uint32_t kIv[8] = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au,
                         0x510E527Fu, 0x9B05688Cu, 0x1F83D9ABu, 0x5BE0CD19u};

const uint8_t kSchedule[7][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14, 15, 8},
    {3, 4, 10, 12, 13, 2, 7, 14, 6, 5, 9, 0, 11, 15, 8, 1},
    {10, 7, 12, 9, 14, 3, 13, 15, 4, 0, 11, 2, 5, 8, 1, 6},
    {12, 13, 9, 11, 15, 10, 14, 8, 7, 2, 5, 3, 0, 1, 6, 4},
    {9, 14, 11, 5, 8, 12, 15, 1, 13, 3, 0, 10, 2, 6, 4, 7},
    {11, 15, 5, 0, 1, 9, 8, 6, 14, 10, 2, 12, 3, 4, 7, 13},
};

}  // namespace blake3_detail

namespace {

using namespace blake3_detail;

constexpr std::size_t kChunkLen = 1024;
// Chunks hashed side by side before their subtree joins the stack: a power
// of two, several times the widest vector so that parents fill it too.
constexpr std::size_t kMaxBatch = 64;

inline std::uint32_t Rotr(std::uint32_t v, int s) { return (v >> s) | (v << (32 - s)); }

inline std::uint32_t LoadLE32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void StoreLE32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void G(std::uint32_t* v, int a, int b, int c, int d, std::uint32_t x, std::uint32_t y) {
    v[a] = v[a] + v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 12);
    v[a] = v[a] + v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 8);
    v[c] = v[c] + v[d];
    v[b] = Rotr(v[b] ^ v[c], 7);
}

// The compression function: the new chaining value is the first 8 words of
// `out`; the root's output is all 16.
void Compress(const std::uint32_t* cv, const unsigned char* block, std::uint32_t blockLen,
              std::uint64_t counter, std::uint32_t flags, std::uint32_t* out) {
    std::uint32_t m[16], in[8];
    for (int i = 0; i < 16; ++i) m[i] = LoadLE32(block + 4 * i);
    std::memcpy(in, cv, sizeof in);  // `out` may be `cv`
    std::uint32_t v[16] = {in[0],
                           in[1],
                           in[2],
                           in[3],
                           in[4],
                           in[5],
                           in[6],
                           in[7],
                           kIv[0],
                           kIv[1],
                           kIv[2],
                           kIv[3],
                           static_cast<std::uint32_t>(counter),
                           static_cast<std::uint32_t>(counter >> 32),
                           blockLen,
                           flags};
    for (const auto& s : kSchedule) {
        G(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
        G(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
        G(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
        G(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
        G(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
        G(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
        G(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
        G(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
    }
    for (int i = 0; i < 8; ++i) {
        out[i] = v[i] ^ v[i + 8];
        out[i + 8] = v[i + 8] ^ in[i];
    }
}

void CvBytes(const std::uint32_t* words, unsigned char* out) {
    for (int i = 0; i < 8; ++i) StoreLE32(out + 4 * i, words[i]);
}

// The chaining value of the parent of two subtrees (or its root output).
void Parent(const unsigned char* left, const unsigned char* right, std::uint32_t flags, std::uint32_t* out) {
    unsigned char block[64];
    std::memcpy(block, left, 32);
    std::memcpy(block + 32, right, 32);
    Compress(kIv, block, 64, 0, kParent | flags, out);
}

}  // namespace

namespace blake3_detail {

void HashManyPortable(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                      bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                      unsigned char* out) {
    for (size_t i = 0; i < count; ++i) {
        std::uint32_t cv[16];
        std::memcpy(cv, kIv, sizeof kIv);
        for (size_t b = 0; b < blocks; ++b) {
            const std::uint32_t f = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
            Compress(cv, inputs[i] + 64 * b, 64, counter + (incrementCounter ? i : 0), f, cv);
        }
        CvBytes(cv, out + 32 * i);
    }
}

bool PathAvailable(Blake3Path path) {
    const CpuFeatures& cpu = Cpu();
    switch (path) {
        case Blake3Path::Best:
        case Blake3Path::Portable:
            return true;
        case Blake3Path::Sse41:
            return cpu.ssse3 && cpu.sse41;
        case Blake3Path::Avx2:
            return cpu.ssse3 && cpu.sse41 && cpu.avx2;
        case Blake3Path::Avx512:
            return cpu.ssse3 && cpu.sse41 && cpu.avx2 && cpu.avx512f;
    }
    return false;
}

}  // namespace blake3_detail

namespace {

Blake3Path Resolve(Blake3Path path) {
    if (path == Blake3Path::Best) {
        for (Blake3Path p : {Blake3Path::Avx512, Blake3Path::Avx2, Blake3Path::Sse41})
            if (PathAvailable(p)) return p;
        return Blake3Path::Portable;
    }
    return PathAvailable(path) ? path : Blake3Path::Portable;
}

}  // namespace

Blake3::Blake3(Blake3Path path) {
    switch (Resolve(path)) {
        case Blake3Path::Avx512:
            hashMany_ = HashManyAvx512;
            break;
        case Blake3Path::Avx2:
            hashMany_ = HashManyAvx2;
            break;
        case Blake3Path::Sse41:
            hashMany_ = HashManySse41;
            break;
        default:
            hashMany_ = HashManyPortable;
            break;
    }
    std::memcpy(chunkCv_, kIv, sizeof chunkCv_);
}

void Blake3::FeedChunk(const unsigned char* p, std::size_t n) {
    while (n > 0) {
        if (blockUsed_ == 64) {
            std::uint32_t out[16];
            Compress(chunkCv_, block_, 64, chunks_, chunkBlocks_ == 0 ? kChunkStart : 0, out);
            std::memcpy(chunkCv_, out, sizeof chunkCv_);
            ++chunkBlocks_;
            blockUsed_ = 0;
        }
        const std::size_t take = n < 64 - blockUsed_ ? n : 64 - blockUsed_;
        std::memcpy(block_ + blockUsed_, p, take);
        blockUsed_ += take;
        p += take;
        n -= take;
    }
}

void Blake3::PushSubtree(const unsigned char* cv, std::uint64_t chunks) {
    std::memcpy(stack_[stackLen_++], cv, 32);
    chunks_ += chunks;
    // Join equal subtrees as a binary counter carries. A join can never make
    // the root: it is only reached with more input still to come.
    std::size_t bits = 0;
    for (std::uint64_t c = chunks_; c != 0; c &= c - 1) ++bits;
    while (stackLen_ > bits) {
        std::uint32_t out[16];
        Parent(stack_[stackLen_ - 2], stack_[stackLen_ - 1], 0, out);
        CvBytes(out, stack_[stackLen_ - 2]);
        --stackLen_;
    }
}

void Blake3::HashWholeChunks(const unsigned char*& p, std::size_t& len) {
    const unsigned char* inputs[kMaxBatch];
    unsigned char cvs[2][kMaxBatch * 32];
    // Only chunks with input after them: the last chunk may be the root.
    while (len > kChunkLen) {
        // The largest batch that is a whole subtree where it stands in the tree.
        std::size_t size = kMaxBatch;
        while (size > (len - 1) / kChunkLen || (chunks_ & (size - 1)) != 0) size /= 2;
        for (std::size_t i = 0; i < size; ++i) inputs[i] = p + i * kChunkLen;
        hashMany_(inputs, size, kChunkLen / 64, chunks_, true, 0, kChunkStart, kChunkEnd, cvs[0]);
        int from = 0;
        for (std::size_t n = size; n > 1; n /= 2, from ^= 1) {
            for (std::size_t i = 0; i < n / 2; ++i) inputs[i] = cvs[from] + 64 * i;
            hashMany_(inputs, n / 2, 1, 0, false, kParent, 0, 0, cvs[from ^ 1]);
        }
        PushSubtree(cvs[from], size);
        p += size * kChunkLen;
        len -= size * kChunkLen;
    }
}

void Blake3::Update(const void* data, std::size_t len) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (len > 0) {
        if (ChunkLen() == kChunkLen) {
            // Full, and more input follows: the chunk is done.
            std::uint32_t out[16];
            Compress(chunkCv_, block_, 64, chunks_, kChunkEnd | (chunkBlocks_ == 0 ? kChunkStart : 0), out);
            unsigned char cv[32];
            CvBytes(out, cv);
            PushSubtree(cv, 1);
            std::memcpy(chunkCv_, kIv, sizeof chunkCv_);
            chunkBlocks_ = 0;
            blockUsed_ = 0;
        }
        if (ChunkLen() == 0 && len > kChunkLen) {
            HashWholeChunks(p, len);
            continue;
        }
        const std::size_t room = kChunkLen - ChunkLen();
        const std::size_t take = len < room ? len : room;
        FeedChunk(p, take);
        p += take;
        len -= take;
    }
}

Blake3::Digest Blake3::Final() {
    std::memset(block_ + blockUsed_, 0, 64 - blockUsed_);
    const std::uint32_t chunkFlags = kChunkEnd | (chunkBlocks_ == 0 ? kChunkStart : 0);
    std::uint32_t out[16];
    if (stackLen_ == 0) {
        Compress(chunkCv_, block_, static_cast<std::uint32_t>(blockUsed_), chunks_, chunkFlags | kRoot, out);
    } else {
        // The last chunk joins the stack from its top down; the bottom join is the root.
        Compress(chunkCv_, block_, static_cast<std::uint32_t>(blockUsed_), chunks_, chunkFlags, out);
        unsigned char cv[32];
        for (std::size_t i = stackLen_; i-- > 0;) {
            CvBytes(out, cv);
            Parent(stack_[i], cv, i == 0 ? kRoot : 0, out);
        }
    }
    Digest d{};
    CvBytes(out, d.data());
    return d;
}

std::string Blake3::Hex(const Digest& digest) { return HexUpper(digest.data(), digest.size()); }

std::string Blake3Hex(const void* data, std::size_t len) {
    Blake3 b;
    b.Update(data, len);
    return Blake3::Hex(b.Final());
}

// BLAKE3 in its default hash mode with 32 bytes of output (b3sum's default).
//
// Streaming contract, as for the SHA digests: construct, Update with the
// message in chunks of any size, then Final once. The digest does not depend
// on how the message was split.
//
// The message is cut into 1 KiB chunks, each hashed on its own, and their
// chaining values are joined pairwise in a binary tree. Whole chunks that
// are known not to be the last are hashed many at a time, side by side in
// the lanes of the widest vector unit the processor has (checked once at run
// time); the same batch then joins its parents level by level the same way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Which routine hashes many chunks and parents side by side.
enum class Blake3Path : std::uint8_t {
    Best,      // the widest of those below that the processor has
    Portable,  // one input at a time, no vector instructions
    Sse41,     // four inputs per pass
    Avx2,      // eight
    Avx512,    // sixteen
};

namespace blake3_detail {

// True when the processor (and the operating system, for the wide
// registers) can run `path`; always true for Best and Portable.
bool PathAvailable(Blake3Path path);

}  // namespace blake3_detail

class Blake3 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    // A path that PathAvailable() refuses falls back to Portable.
    explicit Blake3(Blake3Path path = Blake3Path::Best);
    void Update(const void* data, std::size_t len);
    Digest Final();

    // 64 upper-case hexadecimal digits.
    static std::string Hex(const Digest& digest);

private:
    using HashManyFn = void (*)(const unsigned char* const* inputs, std::size_t count, std::size_t blocks,
                                std::uint64_t counter, bool incrementCounter, std::uint32_t flags,
                                std::uint32_t flagsStart, std::uint32_t flagsEnd, unsigned char* out);

    std::size_t ChunkLen() const { return chunkBlocks_ * 64 + blockUsed_; }
    void FeedChunk(const unsigned char* p, std::size_t n);
    void HashWholeChunks(const unsigned char*& p, std::size_t& len);
    void PushSubtree(const unsigned char* cv, std::uint64_t chunks);

    HashManyFn hashMany_;
    // The chunk being fed: its chaining value, its pending block (held back
    // until more input shows it is not the chunk's last) and its blocks done.
    std::uint32_t chunkCv_[8];
    unsigned char block_[64] = {};
    std::size_t blockUsed_ = 0;
    std::size_t chunkBlocks_ = 0;
    // Chunks before the one being fed; also that chunk's counter.
    std::uint64_t chunks_ = 0;
    // Chaining values of complete subtrees, largest first, one per set bit of
    // chunks_ (64-bit lengths need at most 54 levels of 1 KiB chunks).
    unsigned char stack_[54][32] = {};
    std::size_t stackLen_ = 0;
};

// BLAKE3 of one buffer, as upper-case hex.
std::string Blake3Hex(const void* data, std::size_t len);

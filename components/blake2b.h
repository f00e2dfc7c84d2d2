// BLAKE2b (RFC 7693), unkeyed, with an output length of 1 to 64 bytes:
// 64 for BLAKE2b-512 (b2sum's default), 32 for BLAKE2b-256 and so on. The
// output length is part of the parameter block, so BLAKE2b-256 is not a cut
// BLAKE2b-512.
//
// Streaming contract, as for the SHA digests: construct, Update with the
// message in chunks of any size, then Final once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace blake2b_detail {

// The compression function F of RFC 7693 section 3.2 over one 128-byte block;
// `t` is the byte count so far including this block, `last` marks the final one.
void Compress(std::uint64_t* h, const unsigned char* block, std::uint64_t t, bool last);

}  // namespace blake2b_detail

class Blake2b {
public:
    static constexpr std::size_t kMaxOutLen = 64;
    using Digest = std::array<std::uint8_t, kMaxOutLen>;

    // `outLen` is clamped to 1 .. 64.
    explicit Blake2b(std::size_t outLen = kMaxOutLen);
    void Update(const void* data, std::size_t len);
    // The first OutLen() bytes are the digest; the rest are zero.
    Digest Final();
    std::size_t OutLen() const { return outLen_; }

    // Upper-case hex of the first `outLen` bytes.
    static std::string Hex(const Digest& digest, std::size_t outLen = kMaxOutLen);

private:
    std::uint64_t h_[8];
    std::uint64_t length_ = 0;  // bytes fed so far; 2^64 is more than any file
    unsigned char block_[128] = {};
    std::size_t used_ = 0;  // bytes waiting in block_ (the last block is held back)
    std::size_t outLen_;
};

// BLAKE2b of one buffer with `outLen` bytes of output, as upper-case hex.
std::string Blake2bHex(const void* data, std::size_t len, std::size_t outLen = Blake2b::kMaxOutLen);

// The streaming part shared by the 64-byte-block digests (MD5, SHA-1,
// SHA-256): whole blocks go to the transform straight from the caller's
// buffer, a partial block waits between calls, and the end is padded with
// 0x80, zeros and the message length in bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Transforms `blocks` 64-byte blocks at `p` into `state`.
using BlockFn = void (*)(std::uint32_t* state, const unsigned char* p, std::size_t blocks);

class BlockStream {
public:
    enum class LengthOrder { LittleEndian, BigEndian };  // MD5; the SHA family

    BlockStream(BlockFn fn, LengthOrder order) : fn_(fn), order_(order) {}
    void Update(std::uint32_t* state, const void* data, std::size_t len);
    // Pads and transforms the last block(s); once, after the last Update.
    void Finish(std::uint32_t* state);

private:
    BlockFn fn_;
    LengthOrder order_;
    std::uint64_t length_ = 0;  // bytes fed so far
    unsigned char block_[64] = {};
    std::size_t used_ = 0;      // bytes waiting in block_
};

// Upper-case hex of `n` bytes.
std::string HexUpper(const std::uint8_t* bytes, std::size_t n);

// MD5 message digest (RFC 1321).
//
// Streaming contract: construct, Update with the message in chunks of any
// size, then Final once. The digest does not depend on how the message was
// split. The length is counted in 64 bits, so messages above 4 GiB digest
// correctly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Md5 {
public:
    using Digest = std::array<std::uint8_t, 16>;

    Md5();
    void Update(const void* data, std::size_t len);
    Digest Final();

    // 32 upper-case hexadecimal digits, the digest bytes in RFC order.
    static std::string Hex(const Digest& digest);

private:
    std::uint32_t state_[4];
    std::uint64_t length_ = 0;  // bytes fed so far
    std::uint8_t block_[64];
    std::size_t used_ = 0;      // bytes waiting in block_
};

// Digest of one buffer, as upper-case hex.
std::string MD5Hex(const void* data, std::size_t len);

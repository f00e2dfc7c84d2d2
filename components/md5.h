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

#include "components/blockstream.h"

class Md5 {
public:
    using Digest = std::array<std::uint8_t, 16>;

    Md5();
    void Update(const void* data, std::size_t len) { stream_.Update(state_, data, len); }
    Digest Final();

    // 32 upper-case hexadecimal digits, the digest bytes in RFC order.
    static std::string Hex(const Digest& digest);

private:
    std::uint32_t state_[4];
    BlockStream stream_;
};

// Digest of one buffer, as upper-case hex.
std::string MD5Hex(const void* data, std::size_t len);

// SHA-1 and SHA-256 message digests (FIPS 180-4).
//
// Streaming contract, as for Md5: construct, Update with the message in chunks
// of any size, then Final once. The digest does not depend on how the message
// was split; the length is counted in 64 bits.
//
// Whole blocks go to the processor's SHA extensions where it has them (checked
// once at run time), else to a portable transform; both give the same digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "components/blockstream.h"

// Which block transform a digest object uses.
enum class ShaPath : std::uint8_t {
    Best,      // the SHA extensions when the processor has them, else portable
    Portable,  // always the portable transform (tests, benchmarks)
};

namespace sha_detail {

// The 64 round constants of SHA-256.
extern const std::uint32_t kK256[64];


void Sha1Portable(std::uint32_t* state, const unsigned char* p, std::size_t blocks);
void Sha256Portable(std::uint32_t* state, const unsigned char* p, std::size_t blocks);
// True when the processor has the SHA extensions and the SSE levels they need.
bool HaveShaExtensions();
// Require HaveShaExtensions().
void Sha1ShaNi(std::uint32_t* state, const unsigned char* p, std::size_t blocks);
void Sha256ShaNi(std::uint32_t* state, const unsigned char* p, std::size_t blocks);

}  // namespace sha_detail

class Sha1 {
public:
    using Digest = std::array<std::uint8_t, 20>;

    explicit Sha1(ShaPath path = ShaPath::Best);
    void Update(const void* data, std::size_t len) { stream_.Update(state_, data, len); }
    Digest Final();

    // 40 upper-case hexadecimal digits.
    static std::string Hex(const Digest& digest) { return HexUpper(digest.data(), digest.size()); }

private:
    std::uint32_t state_[5];
    BlockStream stream_;
};

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    explicit Sha256(ShaPath path = ShaPath::Best);
    void Update(const void* data, std::size_t len) { stream_.Update(state_, data, len); }
    Digest Final();

    // 64 upper-case hexadecimal digits.
    static std::string Hex(const Digest& digest) { return HexUpper(digest.data(), digest.size()); }

private:
    std::uint32_t state_[8];
    BlockStream stream_;
};

// Digests of one buffer, as upper-case hex.
std::string SHA1Hex(const void* data, std::size_t len);
std::string SHA256Hex(const void* data, std::size_t len);

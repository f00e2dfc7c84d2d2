// SHA-512 and SHA-384 message digests (FIPS 180-4), one 64-bit core.
//
// Streaming contract, as for Sha256: construct, Update with the message in
// chunks of any size, then Final once. The digest does not depend on how the
// message was split. The length is counted in bytes in 64 bits, which covers
// any file; the 128-bit length field is written with its high half zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Which routine transforms the blocks.
enum class Sha512Path : std::uint8_t {
    Best,      // the fastest of those below that the processor has
    Portable,  // no vector instructions
    Avx2,      // the message schedule of two blocks at once in AVX2, BMI1 and BMI2 in the rounds
};

// True when the processor (and the operating system, for the wide
// registers) can run `path`; always true for Best and Portable.
bool Sha512PathAvailable(Sha512Path path);

namespace sha512_detail {

// The streaming shared by SHA-512 and SHA-384: they differ only in the
// initial state and in how much of the final state is output.
class Sha512Stream {
public:
    // A path that Sha512PathAvailable() refuses falls back to Portable.
    Sha512Stream(const std::uint64_t (&iv)[8], Sha512Path path);
    void Update(const void* data, std::size_t len);
    // Pads and transforms the last block(s), then writes the first `n` bytes of
    // the state big-endian; once, after the last Update.
    void Finish(std::uint8_t* out, std::size_t n);

private:
    using TransformFn = void (*)(std::uint64_t* state, const unsigned char* p, std::size_t blocks);

    TransformFn transform_;
    std::uint64_t state_[8];
    std::uint64_t length_ = 0;  // bytes fed so far
    unsigned char block_[128] = {};
    std::size_t used_ = 0;  // bytes waiting in block_
};

}  // namespace sha512_detail

class Sha512 {
public:
    using Digest = std::array<std::uint8_t, 64>;

    explicit Sha512(Sha512Path path = Sha512Path::Best);
    void Update(const void* data, std::size_t len) { stream_.Update(data, len); }
    Digest Final();

    // 128 upper-case hexadecimal digits.
    static std::string Hex(const Digest& digest);

private:
    sha512_detail::Sha512Stream stream_;
};

class Sha384 {
public:
    using Digest = std::array<std::uint8_t, 48>;

    explicit Sha384(Sha512Path path = Sha512Path::Best);
    void Update(const void* data, std::size_t len) { stream_.Update(data, len); }
    Digest Final();

    // 96 upper-case hexadecimal digits.
    static std::string Hex(const Digest& digest);

private:
    sha512_detail::Sha512Stream stream_;
};

// Digests of one buffer, as upper-case hex.
std::string SHA512Hex(const void* data, std::size_t len);
std::string SHA384Hex(const void* data, std::size_t len);

// CRC-32 by carry-less multiplication (PCLMULQDQ), folding four 128-bit lanes
// at a time, then reducing to 32 bits with Barrett's method.
//
// This file is compiled for PCLMULQDQ and SSE4.1, so nothing in it may run
// before crc_detail::HaveCarrylessMultiply() has said yes. It therefore
// defines no inline function that another file could end up sharing, and
// leaves short inputs and tails to the portable path in crc.cpp.
//
// The constants are x^n mod P for the reflected polynomial, bit-reversed and
// shifted as the folding steps need them:
//   k1 = x^(4*128+32) mod P, k2 = x^(4*128-32) mod P   (fold by 512 bits)
//   k3 = x^(128+32) mod P,   k4 = x^(128-32) mod P     (fold by 128 bits)
//   k5 = x^64 mod P                                     (fold 96 to 64 bits)
//   mu = floor(x^64 / P), and P itself                  (Barrett reduction)
#include "components/crc.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)

#include <immintrin.h>
#include <wmmintrin.h>

namespace crc_detail {

std::uint32_t CRC32Clmul(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    if (len < 64) return CRC32Slice16(crc, p, len);

    const __m128i k1k2 = _mm_set_epi64x(0x01C6E41596LL, 0x0154442BD4LL);
    const __m128i k3k4 = _mm_set_epi64x(0x00CCAA009ELL, 0x01751997D0LL);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163CD6124LL);
    const __m128i poly = _mm_set_epi64x(0x01F7011641LL, 0x01DB710641LL);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(crc)));
    p += 64;
    len -= 64;

    while (len >= 64) {
        const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i y2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i y3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        const __m128i y4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k1k2, 0x00), y1),
                           _mm_clmulepi64_si128(x1, k1k2, 0x11));
        x2 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x2, k1k2, 0x00), y2),
                           _mm_clmulepi64_si128(x2, k1k2, 0x11));
        x3 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x3, k1k2, 0x00), y3),
                           _mm_clmulepi64_si128(x3, k1k2, 0x11));
        x4 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x4, k1k2, 0x00), y4),
                           _mm_clmulepi64_si128(x4, k1k2, 0x11));
        p += 64;
        len -= 64;
    }

    // Four lanes into one.
    x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k3k4, 0x00), x2),
                       _mm_clmulepi64_si128(x1, k3k4, 0x11));
    x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k3k4, 0x00), x3),
                       _mm_clmulepi64_si128(x1, k3k4, 0x11));
    x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k3k4, 0x00), x4),
                       _mm_clmulepi64_si128(x1, k3k4, 0x11));

    while (len >= 16) {
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, k3k4, 0x00), y),
                           _mm_clmulepi64_si128(x1, k3k4, 0x11));
        p += 16;
        len -= 16;
    }

    // 128 bits to 64: fold the low half onto the high half, then the low 32
    // bits of the result onto the rest.
    __m128i t = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
    t = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), t);

    // Barrett: q = (low 32 bits * mu), r = data ^ (low 32 bits of q) * P.
    t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly, 0x00);
    x1 = _mm_xor_si128(x1, t);
    crc = static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));

    return CRC32Slice16(crc, p, len);
}

}  // namespace crc_detail

#else

namespace crc_detail {

// No carry-less multiply on this architecture; HaveCarrylessMultiply() is
// always false here, so this only keeps the interface complete.
std::uint32_t CRC32Clmul(std::uint32_t crc, const unsigned char* p, std::size_t len) {
    return CRC32Slice16(crc, p, len);
}

}  // namespace crc_detail

#endif

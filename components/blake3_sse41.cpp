// BLAKE3 over four inputs at once with SSE4.1 (and the SSSE3 byte shuffle
// it implies): each 128-bit register holds one state word of four inputs.
//
// Compiled for SSE4.1, so nothing in it may run before
// blake3_detail::PathAvailable(Blake3Path::Sse41) has said yes; its helpers
// have internal linkage, and it includes no library header that could lend
// its code to other files.
#include "components/blake3_impl.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)

#include <immintrin.h>

namespace {

using blake3_detail::kIv;
using blake3_detail::kSchedule;

inline __m128i Add(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
inline __m128i Xor(__m128i a, __m128i b) { return _mm_xor_si128(a, b); }
// Rotations right of each 32-bit lane; 16 and 8 move whole bytes.
inline __m128i Rot16(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_set_epi8(13, 12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2));
}
inline __m128i Rot8(__m128i x) {
    return _mm_shuffle_epi8(x, _mm_set_epi8(12, 15, 14, 13, 8, 11, 10, 9, 4, 7, 6, 5, 0, 3, 2, 1));
}
inline __m128i Rot12(__m128i x) { return _mm_or_si128(_mm_srli_epi32(x, 12), _mm_slli_epi32(x, 20)); }
inline __m128i Rot7(__m128i x) { return _mm_or_si128(_mm_srli_epi32(x, 7), _mm_slli_epi32(x, 25)); }

inline void G(__m128i* v, int a, int b, int c, int d, __m128i x, __m128i y) {
    v[a] = Add(Add(v[a], v[b]), x);
    v[d] = Rot16(Xor(v[d], v[a]));
    v[c] = Add(v[c], v[d]);
    v[b] = Rot12(Xor(v[b], v[c]));
    v[a] = Add(Add(v[a], v[b]), y);
    v[d] = Rot8(Xor(v[d], v[a]));
    v[c] = Add(v[c], v[d]);
    v[b] = Rot7(Xor(v[b], v[c]));
}

// Rows r[0..3] become columns: lane j of r[i] moves to lane i of r[j].
inline void Transpose(__m128i* r) {
    const __m128i t0 = _mm_unpacklo_epi32(r[0], r[1]), t1 = _mm_unpacklo_epi32(r[2], r[3]);
    const __m128i t2 = _mm_unpackhi_epi32(r[0], r[1]), t3 = _mm_unpackhi_epi32(r[2], r[3]);
    r[0] = _mm_unpacklo_epi64(t0, t1);
    r[1] = _mm_unpackhi_epi64(t0, t1);
    r[2] = _mm_unpacklo_epi64(t2, t3);
    r[3] = _mm_unpackhi_epi64(t2, t3);
}

void Hash4(const unsigned char* const* in, size_t blocks, uint64_t counter, bool increment, uint32_t flags,
           uint32_t flagsStart, uint32_t flagsEnd, unsigned char* out) {
    uint32_t lo[4], hi[4];
    for (int j = 0; j < 4; ++j) {
        const uint64_t c = counter + (increment ? static_cast<uint64_t>(j) : 0);
        lo[j] = static_cast<uint32_t>(c);
        hi[j] = static_cast<uint32_t>(c >> 32);
    }
    const __m128i counterLo = _mm_set_epi32(static_cast<int>(lo[3]), static_cast<int>(lo[2]),
                                            static_cast<int>(lo[1]), static_cast<int>(lo[0]));
    const __m128i counterHi = _mm_set_epi32(static_cast<int>(hi[3]), static_cast<int>(hi[2]),
                                            static_cast<int>(hi[1]), static_cast<int>(hi[0]));
    __m128i h[8];
    for (int i = 0; i < 8; ++i) h[i] = _mm_set1_epi32(static_cast<int>(kIv[i]));
    for (size_t b = 0; b < blocks; ++b) {
        __m128i m[16];
        for (int q = 0; q < 4; ++q) {
            for (int j = 0; j < 4; ++j)
                m[4 * q + j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in[j] + 64 * b + 16 * q));
            Transpose(m + 4 * q);
        }
        const uint32_t f = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
        __m128i v[16] = {h[0],
                         h[1],
                         h[2],
                         h[3],
                         h[4],
                         h[5],
                         h[6],
                         h[7],
                         _mm_set1_epi32(static_cast<int>(kIv[0])),
                         _mm_set1_epi32(static_cast<int>(kIv[1])),
                         _mm_set1_epi32(static_cast<int>(kIv[2])),
                         _mm_set1_epi32(static_cast<int>(kIv[3])),
                         counterLo,
                         counterHi,
                         _mm_set1_epi32(64),
                         _mm_set1_epi32(static_cast<int>(f))};
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
        for (int i = 0; i < 8; ++i) h[i] = Xor(v[i], v[i + 8]);
    }
    Transpose(h);
    Transpose(h + 4);
    for (int j = 0; j < 4; ++j) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * j), h[j]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * j + 16), h[4 + j]);
    }
}

}  // namespace

namespace blake3_detail {

void HashManySse41(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                   bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                   unsigned char* out) {
    while (count >= 4) {
        Hash4(inputs, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
        inputs += 4;
        count -= 4;
        out += 4 * 32;
        if (incrementCounter) counter += 4;
    }
    HashManyPortable(inputs, count, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace blake3_detail

#else

namespace blake3_detail {

// Not an x86 processor: PathAvailable() refuses this path, so this only keeps
// the interface complete.
void HashManySse41(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                   bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                   unsigned char* out) {
    HashManyPortable(inputs, count, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace blake3_detail

#endif

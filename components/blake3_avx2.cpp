// BLAKE3 over eight inputs at once with AVX2: each 256-bit register holds
// one state word of eight inputs.
//
// Compiled for AVX2, so nothing in it may run before
// blake3_detail::PathAvailable(Blake3Path::Avx2) has said yes; its helpers
// have internal linkage, and it includes no library header that could lend
// its code to other files.
#include "components/blake3_impl.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)

#include <immintrin.h>

namespace {

using blake3_detail::kIv;
using blake3_detail::kSchedule;

inline __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
inline __m256i Xor(__m256i a, __m256i b) { return _mm256_xor_si256(a, b); }
// Rotations right of each 32-bit lane; 16 and 8 move whole bytes.
inline __m256i Rot16(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_set_epi8(13, 12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2, 13,
                                                  12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2));
}
inline __m256i Rot8(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_set_epi8(12, 15, 14, 13, 8, 11, 10, 9, 4, 7, 6, 5, 0, 3, 2, 1, 12,
                                                  15, 14, 13, 8, 11, 10, 9, 4, 7, 6, 5, 0, 3, 2, 1));
}
inline __m256i Rot12(__m256i x) {
    return _mm256_or_si256(_mm256_srli_epi32(x, 12), _mm256_slli_epi32(x, 20));
}
inline __m256i Rot7(__m256i x) { return _mm256_or_si256(_mm256_srli_epi32(x, 7), _mm256_slli_epi32(x, 25)); }

inline void G(__m256i* v, int a, int b, int c, int d, __m256i x, __m256i y) {
    v[a] = Add(Add(v[a], v[b]), x);
    v[d] = Rot16(Xor(v[d], v[a]));
    v[c] = Add(v[c], v[d]);
    v[b] = Rot12(Xor(v[b], v[c]));
    v[a] = Add(Add(v[a], v[b]), y);
    v[d] = Rot8(Xor(v[d], v[a]));
    v[c] = Add(v[c], v[d]);
    v[b] = Rot7(Xor(v[b], v[c]));
}

// Rows r[0..7] become columns: lane j of r[i] moves to lane i of r[j]. The
// unpacks work within 128-bit halves; the last step swaps the halves.
inline void Transpose(__m256i* r) {
    const __m256i a0 = _mm256_unpacklo_epi32(r[0], r[1]), a1 = _mm256_unpackhi_epi32(r[0], r[1]);
    const __m256i a2 = _mm256_unpacklo_epi32(r[2], r[3]), a3 = _mm256_unpackhi_epi32(r[2], r[3]);
    const __m256i a4 = _mm256_unpacklo_epi32(r[4], r[5]), a5 = _mm256_unpackhi_epi32(r[4], r[5]);
    const __m256i a6 = _mm256_unpacklo_epi32(r[6], r[7]), a7 = _mm256_unpackhi_epi32(r[6], r[7]);
    const __m256i b0 = _mm256_unpacklo_epi64(a0, a2), b1 = _mm256_unpackhi_epi64(a0, a2);
    const __m256i b2 = _mm256_unpacklo_epi64(a1, a3), b3 = _mm256_unpackhi_epi64(a1, a3);
    const __m256i b4 = _mm256_unpacklo_epi64(a4, a6), b5 = _mm256_unpackhi_epi64(a4, a6);
    const __m256i b6 = _mm256_unpacklo_epi64(a5, a7), b7 = _mm256_unpackhi_epi64(a5, a7);
    r[0] = _mm256_permute2x128_si256(b0, b4, 0x20);
    r[1] = _mm256_permute2x128_si256(b1, b5, 0x20);
    r[2] = _mm256_permute2x128_si256(b2, b6, 0x20);
    r[3] = _mm256_permute2x128_si256(b3, b7, 0x20);
    r[4] = _mm256_permute2x128_si256(b0, b4, 0x31);
    r[5] = _mm256_permute2x128_si256(b1, b5, 0x31);
    r[6] = _mm256_permute2x128_si256(b2, b6, 0x31);
    r[7] = _mm256_permute2x128_si256(b3, b7, 0x31);
}

void Hash8(const unsigned char* const* in, size_t blocks, uint64_t counter, bool increment, uint32_t flags,
           uint32_t flagsStart, uint32_t flagsEnd, unsigned char* out) {
    int lo[8], hi[8];
    for (int j = 0; j < 8; ++j) {
        const uint64_t c = counter + (increment ? static_cast<uint64_t>(j) : 0);
        lo[j] = static_cast<int>(static_cast<uint32_t>(c));
        hi[j] = static_cast<int>(static_cast<uint32_t>(c >> 32));
    }
    const __m256i counterLo = _mm256_set_epi32(lo[7], lo[6], lo[5], lo[4], lo[3], lo[2], lo[1], lo[0]);
    const __m256i counterHi = _mm256_set_epi32(hi[7], hi[6], hi[5], hi[4], hi[3], hi[2], hi[1], hi[0]);
    __m256i h[8];
    for (int i = 0; i < 8; ++i) h[i] = _mm256_set1_epi32(static_cast<int>(kIv[i]));
    for (size_t b = 0; b < blocks; ++b) {
        __m256i m[16];
        for (int half = 0; half < 2; ++half) {
            for (int j = 0; j < 8; ++j)
                m[8 * half + j] =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in[j] + 64 * b + 32 * half));
            Transpose(m + 8 * half);
        }
        const uint32_t f = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
        __m256i v[16] = {h[0],
                         h[1],
                         h[2],
                         h[3],
                         h[4],
                         h[5],
                         h[6],
                         h[7],
                         _mm256_set1_epi32(static_cast<int>(kIv[0])),
                         _mm256_set1_epi32(static_cast<int>(kIv[1])),
                         _mm256_set1_epi32(static_cast<int>(kIv[2])),
                         _mm256_set1_epi32(static_cast<int>(kIv[3])),
                         counterLo,
                         counterHi,
                         _mm256_set1_epi32(64),
                         _mm256_set1_epi32(static_cast<int>(f))};
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
    for (int j = 0; j < 8; ++j) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * j), h[j]);
}

}  // namespace

namespace blake3_detail {

void HashManyAvx2(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                  bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                  unsigned char* out) {
    while (count >= 8) {
        Hash8(inputs, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
        inputs += 8;
        count -= 8;
        out += 8 * 32;
        if (incrementCounter) counter += 8;
    }
    HashManySse41(inputs, count, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace blake3_detail

#else

namespace blake3_detail {

// Not an x86 processor: PathAvailable() refuses this path, so this only keeps
// the interface complete.
void HashManyAvx2(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                  bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                  unsigned char* out) {
    HashManyPortable(inputs, count, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace blake3_detail

#endif

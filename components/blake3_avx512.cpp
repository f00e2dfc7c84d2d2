// BLAKE3 over sixteen inputs at once with AVX-512F: each 512-bit register
// holds one state word of sixteen inputs, and the rotations are single
// instructions.
//
// Compiled for AVX-512F, so nothing in it may run before
// blake3_detail::PathAvailable(Blake3Path::Avx512) has said yes; its helpers
// have internal linkage, and it includes no library header that could lend
// its code to other files.
#include "components/blake3_impl.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)

#include <immintrin.h>

// GCC's _mm512_ror_epi32 passes an "undefined" vector that its 32-bit
// builds then report as maybe uninitialized; the instruction ignores it.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace {

using blake3_detail::kIv;
using blake3_detail::kSchedule;

inline __m512i Add(__m512i a, __m512i b) { return _mm512_add_epi32(a, b); }
inline __m512i Xor(__m512i a, __m512i b) { return _mm512_xor_si512(a, b); }

inline void G(__m512i* v, int a, int b, int c, int d, __m512i x, __m512i y) {
    v[a] = Add(Add(v[a], v[b]), x);
    v[d] = _mm512_ror_epi32(Xor(v[d], v[a]), 16);
    v[c] = Add(v[c], v[d]);
    v[b] = _mm512_ror_epi32(Xor(v[b], v[c]), 12);
    v[a] = Add(Add(v[a], v[b]), y);
    v[d] = _mm512_ror_epi32(Xor(v[d], v[a]), 8);
    v[c] = Add(v[c], v[d]);
    v[b] = _mm512_ror_epi32(Xor(v[b], v[c]), 7);
}

// Rows r[0..15] become columns: lane j of r[i] moves to lane i of r[j]. The
// unpacks transpose 4x4 within each 128-bit quarter; the two shuffles of
// quarters then gather each column's four quarters.
inline void Transpose(__m512i* r) {
    __m512i b[16];
    for (int g = 0; g < 4; ++g) {
        const __m512i* q = r + 4 * g;
        const __m512i t0 = _mm512_unpacklo_epi32(q[0], q[1]), t1 = _mm512_unpackhi_epi32(q[0], q[1]);
        const __m512i t2 = _mm512_unpacklo_epi32(q[2], q[3]), t3 = _mm512_unpackhi_epi32(q[2], q[3]);
        // b[4k + g]: in quarter L, word 4L + k of rows 4g .. 4g + 3.
        b[0 + g] = _mm512_unpacklo_epi64(t0, t2);
        b[4 + g] = _mm512_unpackhi_epi64(t0, t2);
        b[8 + g] = _mm512_unpacklo_epi64(t1, t3);
        b[12 + g] = _mm512_unpackhi_epi64(t1, t3);
    }
    for (int k = 0; k < 4; ++k) {
        const __m512i* B = b + 4 * k;
        const __m512i lo01 = _mm512_shuffle_i32x4(B[0], B[1], 0x44),
                      hi01 = _mm512_shuffle_i32x4(B[0], B[1], 0xEE);
        const __m512i lo23 = _mm512_shuffle_i32x4(B[2], B[3], 0x44),
                      hi23 = _mm512_shuffle_i32x4(B[2], B[3], 0xEE);
        r[0 + k] = _mm512_shuffle_i32x4(lo01, lo23, 0x88);
        r[4 + k] = _mm512_shuffle_i32x4(lo01, lo23, 0xDD);
        r[8 + k] = _mm512_shuffle_i32x4(hi01, hi23, 0x88);
        r[12 + k] = _mm512_shuffle_i32x4(hi01, hi23, 0xDD);
    }
}

void Hash16(const unsigned char* const* in, size_t blocks, uint64_t counter, bool increment, uint32_t flags,
            uint32_t flagsStart, uint32_t flagsEnd, unsigned char* out) {
    alignas(64) uint32_t lo[16], hi[16];
    for (int j = 0; j < 16; ++j) {
        const uint64_t c = counter + (increment ? static_cast<uint64_t>(j) : 0);
        lo[j] = static_cast<uint32_t>(c);
        hi[j] = static_cast<uint32_t>(c >> 32);
    }
    const __m512i counterLo = _mm512_loadu_si512(lo);
    const __m512i counterHi = _mm512_loadu_si512(hi);
    __m512i h[8];
    for (int i = 0; i < 8; ++i) h[i] = _mm512_set1_epi32(static_cast<int>(kIv[i]));
    for (size_t b = 0; b < blocks; ++b) {
        __m512i m[16];
        for (int j = 0; j < 16; ++j) m[j] = _mm512_loadu_si512(in[j] + 64 * b);
        Transpose(m);
        const uint32_t f = flags | (b == 0 ? flagsStart : 0) | (b + 1 == blocks ? flagsEnd : 0);
        __m512i v[16] = {h[0],
                         h[1],
                         h[2],
                         h[3],
                         h[4],
                         h[5],
                         h[6],
                         h[7],
                         _mm512_set1_epi32(static_cast<int>(kIv[0])),
                         _mm512_set1_epi32(static_cast<int>(kIv[1])),
                         _mm512_set1_epi32(static_cast<int>(kIv[2])),
                         _mm512_set1_epi32(static_cast<int>(kIv[3])),
                         counterLo,
                         counterHi,
                         _mm512_set1_epi32(64),
                         _mm512_set1_epi32(static_cast<int>(f))};
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
    // Eight words of sixteen inputs: through memory rather than a transpose,
    // as it happens once per input.
    alignas(64) uint32_t words[8][16];
    for (int i = 0; i < 8; ++i) _mm512_storeu_si512(words[i], h[i]);
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 8; ++i) {
            unsigned char* p = out + 32 * j + 4 * i;
            p[0] = static_cast<unsigned char>(words[i][j]);
            p[1] = static_cast<unsigned char>(words[i][j] >> 8);
            p[2] = static_cast<unsigned char>(words[i][j] >> 16);
            p[3] = static_cast<unsigned char>(words[i][j] >> 24);
        }
}

}  // namespace

namespace blake3_detail {

void HashManyAvx512(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                    bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                    unsigned char* out) {
    while (count >= 16) {
        Hash16(inputs, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
        inputs += 16;
        count -= 16;
        out += 16 * 32;
        if (incrementCounter) counter += 16;
    }
    HashManyAvx2(inputs, count, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace blake3_detail

#else

namespace blake3_detail {

// Not an x86 processor: PathAvailable() refuses this path, so this only keeps
// the interface complete.
void HashManyAvx512(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                    bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                    unsigned char* out) {
    HashManyPortable(inputs, count, blocks, counter, incrementCounter, flags, flagsStart, flagsEnd, out);
}

}  // namespace blake3_detail

#endif

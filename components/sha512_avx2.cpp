// SHA-512 with the message schedule in AVX2 registers and the rounds in
// general registers (BMI2's RORX rotates into a new register without touching
// the flags, so the three rotations of a sigma run side by side; BMI1's ANDN
// gives Ch's ~e & g in one instruction).
//
// The schedule of two blocks is computed together: each 128-bit lane holds
// two consecutive words of one block, the low lane the first block and the
// high lane the second. The words plus their round constants are stored,
// then the rounds of the first block and of the second read them back. The
// rounds are the portable transform's, ordered for short dependency chains.
// The schedule of the next pair is computed two steps at a time between the
// rounds of this one, where the rounds' long chains leave the vector unit
// idle; computed apart, it cost as much as the rounds.
//
// Compiled for AVX2, BMI1 and BMI2, so nothing in it may run before
// Sha512PathAvailable(Sha512Path::Avx2) has said yes; its helpers have
// internal linkage, and it includes no library header that could lend its
// code to other files.
#include "components/sha512_impl.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)

#include <immintrin.h>

namespace {

using sha512_detail::kK512;

inline __m256i Rotr(__m256i x, int s) {
    return _mm256_or_si256(_mm256_srli_epi64(x, s), _mm256_slli_epi64(x, 64 - s));
}

inline __m256i Sigma0(__m256i x) {
    return _mm256_xor_si256(_mm256_xor_si256(Rotr(x, 1), Rotr(x, 8)), _mm256_srli_epi64(x, 7));
}
inline __m256i Sigma1(__m256i x) {
    return _mm256_xor_si256(_mm256_xor_si256(Rotr(x, 19), Rotr(x, 61)), _mm256_srli_epi64(x, 6));
}

// The schedule of two blocks, one step (two words of each) at a time, so
// that its steps can be spread among the rounds of the blocks before, whose
// chains leave the vector unit idle. Step k stores words 2k and 2k+1 plus
// their constants as the rounds read them: wk[4k + 0..1] for the first
// block, wk[4k + 2..3] for the second.
class Schedule {
public:
    Schedule(const unsigned char* first, const unsigned char* second, uint64_t* wk)
        : first_(first), second_(second), wk_(wk) {}

    // Step k of 40, in order; inlined with a constant k, x_ stays in registers.
    void Step(int k) {
        if (k < 8) {
            // Reverses the bytes of each 64-bit word: the message is big-endian.
            const __m256i swap = _mm256_set_epi8(8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9,
                                                 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7);
            const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first_ + 16 * k));
            const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second_ + 16 * k));
            x_[k] = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1), swap);
        } else {
            // W[t] = s1(W[t-2]) + W[t-7] + s0(W[t-15]) + W[t-16] for t = 2k, 2k+1.
            const __m256i w16 = x_[k & 7], w15 = _mm256_alignr_epi8(x_[(k - 7) & 7], x_[k & 7], 8);
            const __m256i w7 = _mm256_alignr_epi8(x_[(k - 3) & 7], x_[(k - 4) & 7], 8);
            x_[k & 7] = _mm256_add_epi64(_mm256_add_epi64(w16, Sigma0(w15)),
                                         _mm256_add_epi64(w7, Sigma1(x_[(k - 1) & 7])));
        }
        const __m128i k2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kK512 + 2 * k));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(wk_ + 4 * k),
                            _mm256_add_epi64(x_[k & 7], _mm256_broadcastsi128_si256(k2)));
    }

private:
    const unsigned char* first_;
    const unsigned char* second_;
    uint64_t* wk_;
    __m256i x_[8];  // the last 16 words, 2k and 2k+1 in x_[k % 8]
};

inline uint64_t Rotr(uint64_t v, int s) { return (v >> s) | (v << (64 - s)); }

// Ordered for the shortest chains through e and a: d + h + kw waits for
// neither, Ch's two halves are disjoint and so added one by one, Sigma1 comes
// last into the new e; Maj(a, b, c) is (a & (b | c)) | (b & c), whose second
// half does not wait for a, and Sigma0 comes last into the new a.
inline void Round(uint64_t a, uint64_t b, uint64_t c, uint64_t& d, uint64_t e, uint64_t f, uint64_t g,
                  uint64_t& h, uint64_t kw) {
    const uint64_t s1 = Rotr(e, 14) ^ Rotr(e, 18) ^ Rotr(e, 41);
    const uint64_t ch = (h + kw + (e & f)) + (~e & g);
    const uint64_t t1 = ch + s1;
    d = ((d + h + kw + (e & f)) + (~e & g)) + s1;
    const uint64_t maj = (a & (b | c)) | (b & c);
    h = (t1 + maj) + (Rotr(a, 28) ^ Rotr(a, 34) ^ Rotr(a, 39));
}

// The 80 rounds of one block whose words plus constants are wk[4k + lane..],
// with two steps of `next` after each eight when `schedule`: steps FirstStep
// to FirstStep + 19.
template <int FirstStep>
void Rounds(uint64_t* state, const uint64_t* wk, Schedule& next, bool schedule) {
    uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 10
#endif
    for (int i = 0; i < 80; i += 8, wk += 16) {
        Round(a, b, c, d, e, f, g, h, wk[0]);
        Round(h, a, b, c, d, e, f, g, wk[1]);
        Round(g, h, a, b, c, d, e, f, wk[4]);
        Round(f, g, h, a, b, c, d, e, wk[5]);
        Round(e, f, g, h, a, b, c, d, wk[8]);
        Round(d, e, f, g, h, a, b, c, wk[9]);
        Round(c, d, e, f, g, h, a, b, wk[12]);
        Round(b, c, d, e, f, g, h, a, wk[13]);
        if (schedule) {
            next.Step(FirstStep + i / 4);
            next.Step(FirstStep + i / 4 + 1);
        }
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

}  // namespace

namespace sha512_detail {

void Sha512Avx2(uint64_t* state, const unsigned char* p, size_t blocks) {
    // Two pairs' words: the rounds read one while the next pair's schedule
    // fills the other. Not over-aligned: MinGW cannot align the stack past 16.
    uint64_t wk[2][160];
    if (blocks == 0) return;
    int current = 0;
    Schedule first(p, blocks >= 2 ? p + 128 : p, wk[0]);  // one block: the high lane repeats it unread
    for (int k = 0; k < 40; ++k) first.Step(k);
    for (;;) {
        const bool pair = blocks >= 2;
        const unsigned char* next = p + (pair ? 256 : 128);
        const size_t left = blocks - (pair ? 2 : 1);
        Schedule after(next, left >= 2 ? next + 128 : next, wk[current ^ 1]);  // read only when left > 0
        Rounds<0>(state, wk[current], after, left > 0);
        if (pair) Rounds<20>(state, wk[current] + 2, after, left > 0);  // else left is 0
        if (left == 0) return;
        blocks = left;
        p = next;
        current ^= 1;
    }
}

}  // namespace sha512_detail

#else

namespace sha512_detail {

// Not an x86 processor: Sha512PathAvailable() refuses this path, so this only
// keeps the interface complete.
void Sha512Avx2(uint64_t* state, const unsigned char* p, size_t blocks) { Sha512Portable(state, p, blocks); }

}  // namespace sha512_detail

#endif

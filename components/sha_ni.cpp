// SHA-1 and SHA-256 block transforms with the SHA extensions (SHA-NI).
//
// This file is compiled for SHA, SSSE3 and SSE4.1, so nothing in it may run
// before sha_detail::HaveShaExtensions() has said yes. Its helpers therefore
// have internal linkage: no other file can end up sharing their code.
//
// SHA-256 keeps the state as ABEF / CDGH, the order sha256rnds2 works on;
// SHA-1 keeps ABCD in one register and E in the top lane of another. Message
// vectors live in a ring of four; group g of four rounds uses the vector of
// words 4g .. 4g+3, computed from the four before it.
#include "components/sha.h"

#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)

#include <immintrin.h>

#include <utility>

namespace {

using sha_detail::kK256;


// Four rounds of SHA-256, group G; w holds the message ring.
template <int G>
inline void Sha256Group(__m128i& abef, __m128i& cdgh, __m128i (&w)[4], const unsigned char* p, __m128i mask) {
    __m128i& cur = w[G % 4];
    if constexpr (G < 4) {
        cur = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * G)), mask);
    } else {
        // W[t] = s1(W[t-2]) + W[t-7] + s0(W[t-15]) + W[t-16], four at a time.
        __m128i t = _mm_sha256msg1_epu32(cur, w[(G + 1) % 4]);
        t = _mm_add_epi32(t, _mm_alignr_epi8(w[(G + 3) % 4], w[(G + 2) % 4], 4));
        cur = _mm_sha256msg2_epu32(t, w[(G + 3) % 4]);
    }
    __m128i msg = _mm_add_epi32(cur, _mm_load_si128(reinterpret_cast<const __m128i*>(kK256 + 4 * G)));
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, msg);
    msg = _mm_shuffle_epi32(msg, 0x0E);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, msg);
}

template <int... G>
inline void Sha256Groups(__m128i& abef, __m128i& cdgh, __m128i (&w)[4], const unsigned char* p, __m128i mask,
                         std::integer_sequence<int, G...>) {
    (Sha256Group<G>(abef, cdgh, w, p, mask), ...);
}

// Four rounds of SHA-1, group G. `e` enters as the E input of this group's
// rounds before the message is added (the ABCD that preceded the last group,
// or E itself for the first); it leaves as the ABCD before these rounds.
template <int G>
inline void Sha1Group(__m128i& abcd, __m128i& e, __m128i (&w)[4], const unsigned char* p, __m128i mask) {
    __m128i& cur = w[G % 4];
    if constexpr (G < 4) {
        cur = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * G)), mask);
    } else {
        // W[t] = rotl1(W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]), four at a time.
        __m128i t = _mm_sha1msg1_epu32(cur, w[(G + 1) % 4]);
        t = _mm_xor_si128(t, w[(G + 2) % 4]);
        cur = _mm_sha1msg2_epu32(t, w[(G + 3) % 4]);
    }
    const __m128i input = G == 0 ? _mm_add_epi32(e, cur) : _mm_sha1nexte_epu32(e, cur);
    e = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, input, G / 5);
}

template <int... G>
inline void Sha1Groups(__m128i& abcd, __m128i& e, __m128i (&w)[4], const unsigned char* p, __m128i mask,
                       std::integer_sequence<int, G...>) {
    (Sha1Group<G>(abcd, e, w, p, mask), ...);
}

}  // namespace

namespace sha_detail {

void Sha256ShaNi(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    // Byte order of each 32-bit word reversed.
    const __m128i mask = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));       // DCBA
    __m128i cdgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));  // HGFE
    t = _mm_shuffle_epi32(t, 0xB1);                                                // CDAB
    cdgh = _mm_shuffle_epi32(cdgh, 0x1B);                                          // EFGH
    __m128i abef = _mm_alignr_epi8(t, cdgh, 8);                                    // ABEF
    cdgh = _mm_blend_epi16(cdgh, t, 0xF0);                                         // CDGH

    for (; blocks > 0; --blocks, p += 64) {
        const __m128i abefSave = abef, cdghSave = cdgh;
        __m128i w[4];
        Sha256Groups(abef, cdgh, w, p, mask, std::make_integer_sequence<int, 16>());
        abef = _mm_add_epi32(abef, abefSave);
        cdgh = _mm_add_epi32(cdgh, cdghSave);
    }

    t = _mm_shuffle_epi32(abef, 0x1B);      // FEBA
    cdgh = _mm_shuffle_epi32(cdgh, 0xB1);   // DCHG
    abef = _mm_blend_epi16(t, cdgh, 0xF0);  // DCBA
    cdgh = _mm_alignr_epi8(cdgh, t, 8);     // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), abef);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), cdgh);
}

void Sha1ShaNi(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    // Byte order of the whole 128 bits reversed: big-endian words, word 0 on top.
    const __m128i mask = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);

    for (; blocks > 0; --blocks, p += 64) {
        const __m128i abcdSave = abcd, eSave = e0;
        __m128i w[4];
        __m128i e = e0;
        Sha1Groups(abcd, e, w, p, mask, std::make_integer_sequence<int, 20>());
        e0 = _mm_sha1nexte_epu32(e, eSave);
        abcd = _mm_add_epi32(abcd, abcdSave);
    }

    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e0, 3));
}

}  // namespace sha_detail

#else

namespace sha_detail {

// No SHA extensions on this architecture; HaveShaExtensions() is always false
// here, so these only keep the interface complete.
void Sha256ShaNi(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    Sha256Portable(state, p, blocks);
}
void Sha1ShaNi(std::uint32_t* state, const unsigned char* p, std::size_t blocks) {
    Sha1Portable(state, p, blocks);
}

}  // namespace sha_detail

#endif

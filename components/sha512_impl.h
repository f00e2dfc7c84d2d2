// The pieces of SHA-512 that its vector file shares with the portable one.
// Free of standard-library headers for the reason blake3_impl.h gives: the
// vector file is compiled for instruction sets the processor may lack.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace sha512_detail {

// Section 4.2.3: the 80 round constants.
extern const uint64_t kK512[80];

// Each transforms `blocks` 128-byte blocks at `p` into `state`.
void Sha512Portable(uint64_t* state, const unsigned char* p, size_t blocks);
// The message schedule of two blocks at a time in AVX2 registers, the
// rounds in general registers with BMI1's ANDN and BMI2's flagless rotates;
// needs all three.
void Sha512Avx2(uint64_t* state, const unsigned char* p, size_t blocks);

}  // namespace sha512_detail

// The pieces of BLAKE3 that its vector files share with the portable one.
// Deliberately free of standard-library headers: the vector files are
// compiled for instruction sets the processor may lack, and must not emit
// copies of inline library code that the linker could pick for everyone.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace blake3_detail {

// Domain flags of the compression function.
constexpr uint32_t kChunkStart = 1;
constexpr uint32_t kChunkEnd = 2;
constexpr uint32_t kParent = 4;
constexpr uint32_t kRoot = 8;

// The SHA-256 initial values, which are also the key of the hash mode.
extern const uint32_t kIv[8];

// Message word order of each of the 7 rounds: the permutation
// {2, 6, 3, 10, 7, 0, 4, 13, 1, 11, 12, 5, 9, 14, 15, 8} applied once more
// for each round.
extern const uint8_t kSchedule[7][16];

// Hashes `count` inputs of `blocks` 64-byte blocks each, all with the key
// kIv, and writes each one's 32-byte chaining value (little-endian words)
// to out + 32 * i. Input i uses the counter `counter + i` when
// incrementCounter, else `counter`; every block has `flags`, the first also
// `flagsStart`, the last also `flagsEnd`. Chunks: 16 blocks, counter = the
// first chunk's index, start/end flags. Parents: 1 block (two chaining values
// side by side), counter 0, kParent. `out` must not overlap the inputs.
void HashManyPortable(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                      bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                      unsigned char* out);
// Each needs its instruction set; each hands a remainder smaller than its
// width to the next narrower one.
void HashManySse41(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                   bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                   unsigned char* out);
void HashManyAvx2(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                  bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                  unsigned char* out);
void HashManyAvx512(const unsigned char* const* inputs, size_t count, size_t blocks, uint64_t counter,
                    bool incrementCounter, uint32_t flags, uint32_t flagsStart, uint32_t flagsEnd,
                    unsigned char* out);

}  // namespace blake3_detail

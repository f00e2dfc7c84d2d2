// The processor's instruction-set extensions that the checksum kernels choose
// their paths by, read once with CPUID. All false where CPUID is not there.
#pragma once

struct CpuFeatures {
    bool pclmul = false;  // leaf 1 ECX bit 1: carry-less multiply
    bool ssse3 = false;   // leaf 1 ECX bit 9
    bool sse41 = false;   // leaf 1 ECX bit 19
    bool sha = false;     // leaf 7 EBX bit 29: the SHA extensions
    bool bmi1 = false;    // leaf 7 EBX bit 3: ANDN ...
    bool bmi2 = false;    // leaf 7 EBX bit 8: flagless rotates and shifts (RORX ...)
    // The wide registers count only when the operating system saves them
    // (XGETBV): AVX2 needs the YMM state, AVX-512 also the opmask and ZMM state.
    bool avx2 = false;     // leaf 7 EBX bit 5
    bool avx512f = false;  // leaf 7 EBX bit 16
};

const CpuFeatures& Cpu();

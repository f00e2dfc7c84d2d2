#include "components/cpufeatures.h"

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <intrin.h>
#define VANTREL_CPUID_MSVC 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#define VANTREL_CPUID_GNU 1
#endif

namespace {

// XCR0, the register states the operating system saves; needs OSXSAVE.
unsigned long long ReadXcr0() {
#if defined(VANTREL_CPUID_MSVC)
    return _xgetbv(0);
#elif defined(VANTREL_CPUID_GNU)
    unsigned lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<unsigned long long>(hi) << 32) | lo;
#else
    return 0;
#endif
}

CpuFeatures Read() {
    CpuFeatures f;
    unsigned maxLeaf = 0, ecx1 = 0, ebx7 = 0;
#if defined(VANTREL_CPUID_MSVC)
    int regs[4] = {0, 0, 0, 0};
    __cpuid(regs, 0);
    maxLeaf = static_cast<unsigned>(regs[0]);
    if (maxLeaf >= 1) {
        __cpuid(regs, 1);
        ecx1 = static_cast<unsigned>(regs[2]);
    }
    if (maxLeaf >= 7) {
        __cpuidex(regs, 7, 0);
        ebx7 = static_cast<unsigned>(regs[1]);
    }
#elif defined(VANTREL_CPUID_GNU)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    maxLeaf = __get_cpuid_max(0, nullptr);
    if (maxLeaf >= 1 && __get_cpuid(1, &eax, &ebx, &ecx, &edx)) ecx1 = ecx;
    if (maxLeaf >= 7) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        ebx7 = ebx;
    }
#endif
    f.pclmul = (ecx1 & (1u << 1)) != 0;
    f.ssse3 = (ecx1 & (1u << 9)) != 0;
    f.sse41 = (ecx1 & (1u << 19)) != 0;
    f.sha = (ebx7 & (1u << 29)) != 0;
    f.bmi1 = (ebx7 & (1u << 3)) != 0;
    f.bmi2 = (ebx7 & (1u << 8)) != 0;
    const bool osxsave = (ecx1 & (1u << 27)) != 0, avx = (ecx1 & (1u << 28)) != 0;
    const unsigned long long xcr0 = osxsave ? ReadXcr0() : 0;
    const bool ymm = avx && (xcr0 & 0x6) == 0x6;    // SSE and AVX state
    const bool zmm = ymm && (xcr0 & 0xE0) == 0xE0;  // opmask, ZMM0-15 upper halves, ZMM16-31
    f.avx2 = ymm && (ebx7 & (1u << 5)) != 0;
    f.avx512f = zmm && (ebx7 & (1u << 16)) != 0;
    return f;
}

}  // namespace

const CpuFeatures& Cpu() {
    static const CpuFeatures features = Read();
    return features;
}

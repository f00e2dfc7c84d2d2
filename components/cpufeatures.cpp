#include "components/cpufeatures.h"

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <intrin.h>
#define VANTREL_CPUID_MSVC 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#define VANTREL_CPUID_GNU 1
#endif

namespace {

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
    return f;
}

}  // namespace

const CpuFeatures& Cpu() {
    static const CpuFeatures features = Read();
    return features;
}

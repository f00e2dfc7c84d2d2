// Throughput of the checksum kernels on a 256 MiB buffer: the CRC-32 paths
// (byte-at-a-time, slicing-by-16, carry-less multiply) and MD5, ours and,
// where it is linked in, OpenSSL's. Each figure is the best of several runs;
// MB/s counts 10^6 bytes. Every path's result is checked against the
// byte-at-a-time one, so a fast wrong kernel cannot pass unnoticed.
//
// Usage: vantrel_bench_kernels [MiB]
#include "components/crc.h"
#include "components/md5.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(VANTREL_BENCH_OPENSSL)
#include <openssl/evp.h>
#endif

namespace {

constexpr int kRuns = 5;

template <typename F>
double BestSeconds(F&& f) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        if (s < best) best = s;
    }
    return best;
}

double MBps(std::size_t bytes, double seconds) {
    return static_cast<double>(bytes) / seconds / 1e6;
}

void Row(const char* name, double mbps, const char* target, bool ok) {
    std::printf("%-26s %10.0f MB/s   %-22s %s\n", name, mbps, target, ok ? "" : "WRONG RESULT");
}

#if defined(VANTREL_BENCH_OPENSSL)
std::string OpenSslMd5Hex(const unsigned char* p, std::size_t len) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(p, len, md, &n, EVP_md5(), nullptr);
    Md5::Digest d{};
    for (std::size_t i = 0; i < d.size() && i < n; ++i) d[i] = md[i];
    return Md5::Hex(d);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::size_t mib = 256;
    if (argc > 1) mib = static_cast<std::size_t>(std::strtoul(argv[1], nullptr, 10));
    const std::size_t size = mib << 20;

    // One byte of offset so that no path profits from an aligned start.
    std::vector<unsigned char> storage(size + 1);
    std::uint32_t x = 0x9E3779B9u;
    for (auto& b : storage) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<unsigned char>(x >> 24);
    }
    const unsigned char* data = storage.data() + 1;

    std::printf("buffer %zu MiB, best of %d runs, carry-less multiply %s\n\n", mib, kRuns,
                crc_detail::HaveCarrylessMultiply() ? "available" : "not available");
    std::printf("%-26s %15s   %-22s\n", "kernel", "throughput", "target");

    volatile std::uint32_t sink = 0;
    std::uint32_t expected = 0;
    double t = BestSeconds([&] { sink = expected = crc_reference::CRC32(0xFFFFFFFFu, data, size); });
    Row("CRC-32 byte-at-a-time", MBps(size, t), "", true);

    std::uint32_t got = 0;
    t = BestSeconds([&] { sink = got = crc_detail::CRC32Slice16(0xFFFFFFFFu, data, size); });
    Row("CRC-32 slicing-by-16", MBps(size, t), ">= 2500 MB/s", got == expected);

    if (crc_detail::HaveCarrylessMultiply()) {
        t = BestSeconds([&] { sink = got = crc_detail::CRC32Clmul(0xFFFFFFFFu, data, size); });
        Row("CRC-32 PCLMULQDQ", MBps(size, t), ">= 10000 MB/s", got == expected);
    }

    t = BestSeconds([&] { sink = got = CRC32Buffer(0xFFFFFFFFu, data, size); });
    Row("CRC32Buffer", MBps(size, t), "", got == expected);

    std::string ours;
    const double tOurs = BestSeconds([&] { ours = MD5Hex(data, size); });

#if defined(VANTREL_BENCH_OPENSSL)
    std::string theirs;
    const double tSsl = BestSeconds([&] { theirs = OpenSslMd5Hex(data, size); });
    Row("MD5 OpenSSL", MBps(size, tSsl), "", true);
    char target[32];
    std::snprintf(target, sizeof target, ">= %.0f MB/s (95%%)", 0.95 * MBps(size, tSsl));
    Row("MD5 ours", MBps(size, tOurs), target, ours == theirs);
    std::printf("\nMD5 ours / OpenSSL: %.1f%%\n", 100.0 * tSsl / tOurs);
#else
    Row("MD5 ours", MBps(size, tOurs), "(no OpenSSL here)", true);
#endif
    (void)sink;
    return 0;
}

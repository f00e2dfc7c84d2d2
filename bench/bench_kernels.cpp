// Throughput of the checksum kernels on a 256 MiB buffer: the CRC-32 paths
// (byte-at-a-time, slicing-by-16, carry-less multiply), MD5, SHA-1 and
// SHA-256, ours and, where it is linked in, OpenSSL's. CRC and MD5 figures are
// the best of several runs, SHA figures their median; MB/s counts 10^6 bytes.
// Every path's result is checked against a reference (the byte-at-a-time CRC,
// OpenSSL's digests), so a fast wrong kernel cannot pass unnoticed. Then the
// wide digests (SHA-512, BLAKE2b-512, BLAKE3 on each of its paths), medians in
// GB/s (10^9 bytes), against OpenSSL's SHA-512 and BLAKE2b-512 where linked
// in and BLAKE3's portable path.
//
// Usage: vantrel_bench_kernels [MiB]
//        vantrel_bench_kernels --digest sha512|blake2b|blake3 FILE
//          prints FILE's digest, read in 1 MiB pieces (for timing against
//          the command-line tools on the same file)
#include "components/blake2b.h"
#include "components/blake3.h"
#include "components/crc.h"
#include "components/md5.h"
#include "components/sha.h"
#include "components/sha512.h"

#include <algorithm>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
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

std::string OpenSslHex(const EVP_MD* md, const unsigned char* p, std::size_t len) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(p, len, out, &n, md, nullptr);
    return HexUpper(out, n);
}
#endif

template <typename Sha>
std::string ShaHex(ShaPath path, const unsigned char* p, std::size_t len) {
    Sha sha(path);
    sha.Update(p, len);
    return Sha::Hex(sha.Final());
}

// One SHA: OpenSSL's (where it is linked in) and our two paths, timed in
// turn within each run so that a busy machine slows all of them alike; the
// figures are medians. With `block` 0 each run digests the whole buffer as one
// message; otherwise it digests size / block messages of `block` bytes taken
// from the buffer's first MiB, which stays in the cache, as
// `openssl speed -bytes` does.
template <typename Sha>
void ShaRows(const char* name, const unsigned char* data, std::size_t size, const void* evp, std::size_t block) {
    std::vector<double> ssl, best, portable;
    std::string reference, gotBest, gotPortable;
    auto seconds = [](auto&& f) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    // Every message of a run; the last one's digest is what is compared.
    auto each = [&](auto&& digest) {
        if (block == 0) return digest(data, size);
        const std::size_t perMiB = (std::size_t{1} << 20) / block;
        std::string last;
        for (std::size_t j = 0; j < size / block; ++j) last = digest(data + (j % perMiB) * block, block);
        return last;
    };
    for (int i = 0; i < 2 * kRuns + 1; ++i) {
#if defined(VANTREL_BENCH_OPENSSL)
        ssl.push_back(seconds([&] {
            reference = each([&](const unsigned char* p, std::size_t n) {
                return OpenSslHex(static_cast<const EVP_MD*>(evp), p, n);
            });
        }));
#else
        (void)evp;
#endif
        best.push_back(seconds([&] {
            gotBest =
                each([](const unsigned char* p, std::size_t n) { return ShaHex<Sha>(ShaPath::Best, p, n); });
        }));
        if (i < kRuns)
            portable.push_back(seconds([&] {
                gotPortable = each([](const unsigned char* p, std::size_t n) {
                    return ShaHex<Sha>(ShaPath::Portable, p, n);
                });
            }));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    char label[64];
    const double sslMBps = ssl.empty() ? 0 : MBps(size, median(ssl));
    if (sslMBps > 0) {
        std::snprintf(label, sizeof label, "%s OpenSSL", name);
        Row(label, sslMBps, "", true);
    }
    std::snprintf(label, sizeof label, "%s portable", name);
    Row(label, MBps(size, median(portable)), "", reference.empty() || gotPortable == reference);
    std::snprintf(label, sizeof label, "%s ours", name);
    char target[40] = "(no OpenSSL here)";
    if (sslMBps > 0) std::snprintf(target, sizeof target, ">= %.0f MB/s (90%%)", 0.9 * sslMBps);
    const double ours = MBps(size, median(best));
    Row(label, ours, target, reference.empty() || gotBest == reference);
    if (sslMBps > 0) std::printf("%s ours / OpenSSL (medians): %.1f%%\n", name, 100.0 * ours / sslMBps);
}

// One wide digest's rows: each way of computing it timed in turn within each
// run, medians in GB/s; every result compared with the first way's.
struct Way {
    const char* name;
    std::function<std::string(const unsigned char*, std::size_t)> hex;
};

void WideRows(const char* kernel, const std::vector<Way>& ways, const unsigned char* data, std::size_t size) {
    std::vector<std::vector<double>> times(ways.size());
    std::vector<std::string> got(ways.size());
    for (int run = 0; run < kRuns; ++run)
        for (std::size_t w = 0; w < ways.size(); ++w) {
            const auto t0 = std::chrono::steady_clock::now();
            got[w] = ways[w].hex(data, size);
            times[w].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
    for (std::size_t w = 0; w < ways.size(); ++w) {
        std::sort(times[w].begin(), times[w].end());
        const double gbps = static_cast<double>(size) / times[w][times[w].size() / 2] / 1e9;
        char label[64];
        std::snprintf(label, sizeof label, "%s %s", kernel, ways[w].name);
        std::printf("%-26s %10.2f GB/s   %-22s %s\n", label, gbps, w == 0 ? "(reference)" : "",
                    got[w] == got[0] ? "" : "WRONG RESULT");
    }
}

void WideKernels(const unsigned char* data, std::size_t size) {
    std::printf("\nwide digests, medians of %d runs over the whole buffer:\n", kRuns);
    std::vector<Way> sha512, blake2b, blake3;
#if defined(VANTREL_BENCH_OPENSSL)
    sha512.push_back(
        {"OpenSSL", [](const unsigned char* p, std::size_t n) { return OpenSslHex(EVP_sha512(), p, n); }});
    blake2b.push_back({"OpenSSL", [](const unsigned char* p, std::size_t n) {
                           return OpenSslHex(EVP_blake2b512(), p, n);
                       }});
#endif
    sha512.push_back({"ours", [](const unsigned char* p, std::size_t n) { return SHA512Hex(p, n); }});
    blake2b.push_back({"ours", [](const unsigned char* p, std::size_t n) { return Blake2bHex(p, n); }});
    const std::pair<Blake3Path, const char*> paths[] = {{Blake3Path::Portable, "portable"},
                                                        {Blake3Path::Sse41, "SSE4.1"},
                                                        {Blake3Path::Avx2, "AVX2"},
                                                        {Blake3Path::Avx512, "AVX-512"},
                                                        {Blake3Path::Best, "ours (best)"}};
    for (const auto& [path, name] : paths) {
        if (!blake3_detail::PathAvailable(path)) continue;
        const Blake3Path chosen = path;
        blake3.push_back({name, [chosen](const unsigned char* p, std::size_t n) {
                              Blake3 b(chosen);
                              b.Update(p, n);
                              return Blake3::Hex(b.Final());
                          }});
    }
    WideRows("SHA-512", sha512, data, size);
    WideRows("BLAKE2b-512", blake2b, data, size);
    WideRows("BLAKE3", blake3, data, size);
}

// The --digest mode: one file through one kernel, in 1 MiB pieces.
int DigestFile(const char* kind, const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::fprintf(stderr, "cannot open %s\n", path);
        return 2;
    }
    std::vector<unsigned char> piece(1 << 20);
    Sha512 sha512;
    Blake2b blake2b;
    Blake3 blake3;
    const int which = std::strcmp(kind, "sha512") == 0 ? 0 : std::strcmp(kind, "blake2b") == 0 ? 1 : 2;
    for (std::size_t n; (n = std::fread(piece.data(), 1, piece.size(), f)) > 0;) {
        if (which == 0) sha512.Update(piece.data(), n);
        if (which == 1) blake2b.Update(piece.data(), n);
        if (which == 2) blake3.Update(piece.data(), n);
    }
    std::fclose(f);
    std::string hex = which == 0   ? Sha512::Hex(sha512.Final())
                      : which == 1 ? Blake2b::Hex(blake2b.Final())
                                   : Blake3::Hex(blake3.Final());
    std::printf("%s  %s\n", hex.c_str(), path);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--digest") == 0) return DigestFile(argv[2], argv[3]);
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

    std::printf("\nSHA extensions %s; SHA figures are medians of %d runs\n",
                sha_detail::HaveShaExtensions() ? "available" : "not available", 2 * kRuns + 1);
#if defined(VANTREL_BENCH_OPENSSL)
    const void* evpSha1 = EVP_sha1();
    const void* evpSha256 = EVP_sha256();
#else
    const void* evpSha1 = nullptr;
    const void* evpSha256 = nullptr;
#endif
    std::printf("one message of the whole buffer:\n");
    ShaRows<Sha1>("SHA-1", data, size, evpSha1, 0);
    ShaRows<Sha256>("SHA-256", data, size, evpSha256, 0);
    std::printf("16 KiB messages from the cache, as openssl speed -bytes 16384:\n");
    ShaRows<Sha1>("SHA-1 16 KiB", data, size / 4, evpSha1, 16384);
    ShaRows<Sha256>("SHA-256 16 KiB", data, size / 4, evpSha256, 16384);
    WideKernels(data, size);
    (void)sink;
    return 0;
}

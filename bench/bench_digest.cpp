// The digests of one file as the product reads it: ReadFileOnce with a
// MakeHexDigestSink per kind. One kind is fed on the calling thread beside
// the reader, as the console feeds one digest; with several kinds, the first
// stays there and each further one gets a worker thread of its own.
// Prints "HEX  KIND" per kind, then "seconds S" for the read alone (from the
// open to the last digest), so that a script can also time the whole
// process. Run by bench/run-digest-bench.sh.
//   vantrel_digest_bench KIND[+KIND...] FILE
// KIND is a console /alg name: sha512, sha384, blake2b, blake3, ...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "components/digestkind.h"
#include "components/digestsink.h"
#include "components/filepass.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vantrel_digest_bench KIND[+KIND...] FILE\n");
        return 2;
    }
    std::vector<DigestKind> kinds;
    std::vector<std::unique_ptr<HexDigestSink>> sinks;
    PassFeeds feeds;
    const std::string list = argv[1];
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t plus = std::min(list.find('+', at), list.size());
        const DigestKind kind = DigestKindOfAlgName(list.substr(at, plus - at));
        if (kind == DigestKind::None) {
            std::fprintf(stderr, "unknown kind in %s\n", argv[1]);
            return 2;
        }
        kinds.push_back(kind);
        sinks.push_back(MakeHexDigestSink(kind));
        (feeds.caller.empty() ? feeds.caller : feeds.workers).push_back(sinks.back().get());
        at = plus + 1;
    }
    // The name as the command line gave it: the bench passes Windows paths,
    // and the console's names are UTF-8 like these.
    const auto start = std::chrono::steady_clock::now();
    const FileRead read = ReadFileOnce(argv[2], feeds);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!read.Done()) {
        std::fprintf(stderr, "cannot read %s (error %lu)\n", argv[2], static_cast<unsigned long>(read.openError));
        return 1;
    }
    for (std::size_t i = 0; i < kinds.size(); ++i)
        std::printf("%s  %s\n", sinks[i]->Hex().c_str(), DigestAlgName(kinds[i]));
    std::printf("seconds %.3f\n", seconds);
    return 0;
}

// Feeding one message to a streaming digest in many ways: whole, split in two
// at offsets around the block and chunk edges, and in random chunks from
// unaligned addresses. A digest must not depend on the way.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace digest_ways {

// Split points: the 64- and 128-byte blocks and the 1 KiB chunks, and odd ones.
inline const std::size_t kSplits[] = {1, 3, 63, 64, 65, 127, 128, 129, 1023, 1024, 1025, 4097};

// Chunk lengths: mostly small, so that partial blocks meet every edge, with
// an occasional large one that runs the direct and many-chunk paths.
inline std::vector<std::size_t> RandomChunks(std::size_t len, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::size_t> chunks;
    for (std::size_t total = 0; total < len;) {
        const std::uint32_t kind = rng() % 8;
        const std::size_t n = kind == 0 ? rng() % 70000 : kind == 1 ? rng() % 5000 : rng() % 130;
        chunks.push_back(n);
        total += n;
    }
    return chunks;
}

// Digest of `len` bytes at `p` fed as the given chunk lengths (the rest in
// one last chunk), as hex.
using FedDigest = std::function<std::string(const unsigned char* p, std::size_t len,
                                            const std::vector<std::size_t>& chunks)>;

// Feeds `data` to `digest` every way and calls `check(result, how)` for each.
// Long messages skip the splits near their start: those add nothing that
// short messages do not cover, and cost seconds under the sanitizers.
inline void EveryWay(const std::string& data, const FedDigest& digest,
                     const std::function<void(const std::string&, const std::string&)>& check) {
    const bool isLong = data.size() > 20000;
    for (std::size_t offset = 0; offset < 3; ++offset) {
        std::vector<unsigned char> buf(offset + data.size() + 1);
        std::copy(data.begin(), data.end(), buf.begin() + static_cast<std::ptrdiff_t>(offset));
        const unsigned char* p = buf.data() + offset;
        std::vector<std::vector<std::size_t>> ways;
        if (offset == 0) {
            ways.push_back({});
            for (std::size_t at : kSplits)
                if (at < data.size() && !isLong) ways.push_back({at});
        }
        ways.push_back(RandomChunks(data.size(), static_cast<std::uint32_t>(offset + data.size())));
        for (const auto& chunks : ways) {
            const std::string how = "offset " + std::to_string(offset) + " in " +
                                    std::to_string(chunks.size() + 1) + " parts" +
                                    (chunks.size() == 1 ? " split at " + std::to_string(chunks[0]) : "");
            check(digest(p, data.size(), chunks), how);
        }
    }
}

// Feeds `p` to a digest object as the chunk lengths.
template <typename D>
void Feed(D& d, const unsigned char* p, std::size_t len, const std::vector<std::size_t>& chunks) {
    for (std::size_t n : chunks) {
        n = std::min(n, len);
        d.Update(p, n);
        p += n;
        len -= n;
    }
    d.Update(p, len);
}

}  // namespace digest_ways

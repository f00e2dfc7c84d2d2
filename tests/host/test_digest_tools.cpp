// The SHA-384/512, BLAKE2b and BLAKE3 kernels against the tools that write
// the digest files they will check: openssl dgst, b2sum and b3sum, on a set
// of files of 0 bytes to nearly 3 MiB (block, chunk and tree edges among them) made
// in a fresh temporary folder from a fixed generator. Each tool reads all the
// files in one run; our kernels read them in pieces of an odd size.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "components/blake2b.h"
#include "components/blake3.h"
#include "components/digestsink.h"
#include "components/sha512.h"

namespace {

const std::size_t kSizes[] = {0,        1,
                              63,       64,
                              65,       111,
                              112,      127,
                              128,      129,
                              1023,     1024,
                              1025,     2049,
                              4097,     31744,
                              65536,    65537,
                              1u << 20, (1u << 20) + 1,
                              3u << 20, (3u << 20) - 1023};

class DigestTools : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/vantrel-digest-tools-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        std::uint32_t x = 0x2545F491u;
        for (std::size_t size : kSizes) {
            std::string bytes(size, '\0');
            for (char& c : bytes) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                c = static_cast<char>(x >> 24);
            }
            const std::string path = dir_ + "/f" + std::to_string(size);
            std::ofstream(path, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            files_.push_back(path);
        }
    }
    void TearDown() override {
        for (const auto& f : files_) unlink(f.c_str());
        if (!dir_.empty()) rmdir(dir_.c_str());
    }

    // The tool's digest of each file, by path, from lines "hex  path" or
    // "hex *path"; upper case. Empty when the tool is not there.
    std::map<std::string, std::string> ToolDigests(const std::string& command) const {
        std::string line = command;
        for (const auto& f : files_) line += " '" + f + "'";
        line += " 2>/dev/null";
        std::map<std::string, std::string> out;
        FILE* pipe = popen(line.c_str(), "r");
        if (!pipe) return out;
        char buf[4096];
        while (std::fgets(buf, sizeof buf, pipe)) {
            std::istringstream in(buf);
            std::string hex, path;
            in >> hex >> path;
            if (!path.empty() && path[0] == '*') path.erase(0, 1);
            for (char& c : hex)
                if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
            out[path] = hex;
        }
        pclose(pipe);
        return out;
    }

    // Our digest of each file, fed in pieces of 65536 + 13 bytes.
    template <typename D, typename Hex>
    std::string Ours(const std::string& path, D d, Hex hex) const {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> piece(65536 + 13);
        while (in) {
            in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
            d.Update(piece.data(), static_cast<std::size_t>(in.gcount()));
        }
        return hex(d.Final());
    }

    void Compare(const std::string& tool, const std::function<std::string(const std::string&)>& ours) const {
        const auto theirs = ToolDigests(tool);
        ASSERT_EQ(theirs.size(), files_.size())
            << tool << " is missing or failed (scripts/setup.sh installs it)";
        for (const auto& f : files_) EXPECT_EQ(ours(f), theirs.at(f)) << tool << " " << f;
    }

    std::string dir_;
    std::vector<std::string> files_;
};

TEST_F(DigestTools, Sha384AndSha512AgainstOpensslOnEveryPath) {
    for (Sha512Path path : {Sha512Path::Portable, Sha512Path::Avx2}) {
        if (!Sha512PathAvailable(path)) continue;
        Compare("openssl dgst -sha384 -r", [&](const std::string& f) {
            return Ours(f, Sha384(path), [](const Sha384::Digest& d) { return Sha384::Hex(d); });
        });
        Compare("openssl dgst -sha512 -r", [&](const std::string& f) {
            return Ours(f, Sha512(path), [](const Sha512::Digest& d) { return Sha512::Hex(d); });
        });
    }
}

TEST_F(DigestTools, Blake2bAgainstB2sum) {
    for (std::size_t bits : {512, 256}) {
        Compare("b2sum -l " + std::to_string(bits), [&](const std::string& f) {
            return Ours(f, Blake2b(bits / 8),
                        [&](const Blake2b::Digest& d) { return Blake2b::Hex(d, bits / 8); });
        });
    }
}

TEST_F(DigestTools, Blake3AgainstB3sumOnEveryPath) {
    for (Blake3Path path : {Blake3Path::Portable, Blake3Path::Sse41, Blake3Path::Avx2, Blake3Path::Avx512}) {
        if (!blake3_detail::PathAvailable(path)) continue;
        Compare("b3sum --num-threads 1", [&](const std::string& f) {
            return Ours(f, Blake3(path), [](const Blake3::Digest& d) { return Blake3::Hex(d); });
        });
    }
}

// The sinks the console and the checksum files pick by kind give what each
// kind's own tool gives.
TEST_F(DigestTools, EverySinkByKindAgainstItsTool) {
    const struct {
        DigestKind kind;
        const char* tool;
    } cases[] = {
        {DigestKind::MD5, "md5sum"},       {DigestKind::SHA1, "sha1sum"},
        {DigestKind::SHA256, "sha256sum"}, {DigestKind::SHA384, "openssl dgst -sha384 -r"},
        {DigestKind::SHA512, "sha512sum"}, {DigestKind::BLAKE2b, "b2sum"},
        {DigestKind::BLAKE3, "b3sum"},
    };
    for (const auto& c : cases) {
        Compare(c.tool, [&](const std::string& f) {
            auto sink = MakeHexDigestSink(c.kind);
            std::ifstream in(f, std::ios::binary);
            std::vector<char> piece(4096 + 7);
            while (in) {
                in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
                sink->Update(reinterpret_cast<const unsigned char*>(piece.data()),
                             static_cast<std::size_t>(in.gcount()));
            }
            return sink->Hex();
        });
    }
}

TEST(DigestSinks, CrcIsTheUsualCrc32AndNoneHasNoSink) {
    auto crc = MakeHexDigestSink(DigestKind::CRC32);
    const char check[] = "123456789";  // the CRC-32 check value of the catalogue of CRCs
    crc->Update(reinterpret_cast<const unsigned char*>(check), 9);
    EXPECT_EQ("CBF43926", crc->Hex());
    auto blake256 = MakeHexDigestSink(DigestKind::BLAKE2b, 32);
    EXPECT_EQ(64u, blake256->Hex().size());
    EXPECT_EQ(nullptr, MakeHexDigestSink(DigestKind::None));
}

TEST(DigestKinds, AlgNamesReadBackCaseBlindAndOthersAreNone) {
    for (DigestKind kind : kAllDigestKinds) {
        EXPECT_EQ(kind, DigestKindOfAlgName(DigestAlgName(kind)));
        std::string upper = DigestAlgName(kind);
        for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        EXPECT_EQ(kind, DigestKindOfAlgName(upper));
        EXPECT_EQ(HexDigitsOf(kind) == 0, false) << DigestAlgName(kind);
    }
    for (const char* other : {"", "sha", "sha-256", "sha2", "blake2b-256", "md5 ", "sm3", "sha3"})
        EXPECT_EQ(DigestKind::None, DigestKindOfAlgName(other)) << other;
}

}  // namespace

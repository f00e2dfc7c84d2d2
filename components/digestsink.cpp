#include "components/digestsink.h"

#include "components/blake2b.h"
#include "components/blake3.h"
#include "components/blockstream.h"
#include "components/sha512.h"

namespace {

// A kernel with Update(data, len), Final() and a static Hex(digest).
template <typename Kernel>
class KernelSink : public HexDigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override { kernel_.Update(data, len); }
    std::string Hex() override { return Kernel::Hex(kernel_.Final()); }

private:
    Kernel kernel_;
};

class UsualCrcSink : public HexDigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override { crc_.Update(data, len); }
    std::string Hex() override {
        // The component's value is the complement of the usual CRC-32.
        const std::uint32_t usual = ~crc_.Value();
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(usual >> 24), static_cast<unsigned char>(usual >> 16),
            static_cast<unsigned char>(usual >> 8), static_cast<unsigned char>(usual)};
        return HexUpper(bytes, sizeof bytes);
    }

private:
    CrcSink crc_{TdcFileCRCMethod::crc32};
};

class Blake2bSink : public HexDigestSink {
public:
    explicit Blake2bSink(std::size_t bytes) : blake_(bytes) {}
    void Update(const unsigned char* data, std::size_t len) override { blake_.Update(data, len); }
    std::string Hex() override { return Blake2b::Hex(blake_.Final(), blake_.OutLen()); }

private:
    Blake2b blake_;
};

}  // namespace

std::unique_ptr<HexDigestSink> MakeHexDigestSink(DigestKind kind, std::size_t blake2bBytes) {
    switch (kind) {
        case DigestKind::CRC32:
            return std::make_unique<UsualCrcSink>();
        case DigestKind::MD5:
            return std::make_unique<KernelSink<Md5>>();
        case DigestKind::SHA1:
            return std::make_unique<KernelSink<Sha1>>();
        case DigestKind::SHA256:
            return std::make_unique<KernelSink<Sha256>>();
        case DigestKind::SHA384:
            return std::make_unique<KernelSink<Sha384>>();
        case DigestKind::SHA512:
            return std::make_unique<KernelSink<Sha512>>();
        case DigestKind::BLAKE2b:
            return std::make_unique<Blake2bSink>(blake2bBytes);
        case DigestKind::BLAKE3:
            return std::make_unique<KernelSink<Blake3>>();
        case DigestKind::None:
            break;
    }
    return nullptr;
}

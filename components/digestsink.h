// Streaming consumers of a file's bytes, for a pass that reads the file once
// and feeds several of them (components/filepass.h). Each takes the data in
// order, in chunks of any size; the result does not depend on the split.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "components/crc.h"
#include "components/digestkind.h"
#include "components/md5.h"
#include "components/sha.h"

class DigestSink {
public:
    virtual ~DigestSink() = default;
    virtual void Update(const unsigned char* data, std::size_t len) = 0;
};

// CRC by one of the checksum component's methods, from its start value.
class CrcSink : public DigestSink {
public:
    explicit CrcSink(TdcFileCRCMethod method) : method_(method), crc_(CRCInitialValue(method)) {}
    void Update(const unsigned char* data, std::size_t len) override {
        crc_ = CRCUpdate(method_, crc_, data, len);
    }
    std::uint32_t Value() const { return crc_; }

private:
    TdcFileCRCMethod method_;
    std::uint32_t crc_;
};

// MD5 as 32 upper-case hex digits.
class Md5Sink : public DigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override { md5_.Update(data, len); }
    // Once, after the last Update.
    std::string Hex() { return Md5::Hex(md5_.Final()); }

private:
    Md5 md5_;
};

// SHA-1 or SHA-256 (Sha1, Sha256) as upper-case hex.
template <typename Sha>
class ShaSink : public DigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override { sha_.Update(data, len); }
    // Once, after the last Update.
    std::string Hex() { return Sha::Hex(sha_.Final()); }

private:
    Sha sha_;
};
using Sha1Sink = ShaSink<Sha1>;
using Sha256Sink = ShaSink<Sha256>;

// Any kind's digest as upper-case hex, for callers that pick kinds at run
// time (the checksum files, the console's lists). Hex() once, after the last
// Update.
class HexDigestSink : public DigestSink {
public:
    virtual std::string Hex() = 0;
};

// A sink for `kind`: a CRC-32 in its usual form (8 digits), BLAKE2b of
// `blake2bBytes` bytes (1 .. 64; 64 is BLAKE2b-512), every other kind whole.
// Null for None.
std::unique_ptr<HexDigestSink> MakeHexDigestSink(DigestKind kind, std::size_t blake2bBytes = 64);

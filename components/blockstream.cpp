#include "components/blockstream.h"

#include <cstring>

void BlockStream::Update(std::uint32_t* state, const void* data, std::size_t len) {
    if (len == 0) return;  // data may then be null, which memcpy must not see
    const auto* p = static_cast<const unsigned char*>(data);
    length_ += len;
    if (used_ > 0) {
        const std::size_t take = len < 64 - used_ ? len : 64 - used_;
        std::memcpy(block_ + used_, p, take);
        used_ += take;
        p += take;
        len -= take;
        if (used_ < 64) return;
        fn_(state, block_, 1);
        used_ = 0;
    }
    if (len >= 64) {
        fn_(state, p, len / 64);
        p += len & ~static_cast<std::size_t>(63);
        len &= 63;
    }
    if (len > 0) {
        std::memcpy(block_, p, len);
        used_ = len;
    }
}

void BlockStream::Finish(std::uint32_t* state) {
    const std::uint64_t bits = length_ << 3;
    block_[used_++] = 0x80;
    if (used_ > 56) {
        std::memset(block_ + used_, 0, 64 - used_);
        fn_(state, block_, 1);
        used_ = 0;
    }
    std::memset(block_ + used_, 0, 56 - used_);
    for (int i = 0; i < 8; ++i) {
        const int shift = order_ == LengthOrder::BigEndian ? 56 - 8 * i : 8 * i;
        block_[56 + i] = static_cast<unsigned char>(bits >> shift);
    }
    fn_(state, block_, 1);
    used_ = 0;
}

std::string HexUpper(const std::uint8_t* bytes, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s(2 * n, '0');
    for (std::size_t i = 0; i < n; ++i) {
        s[2 * i] = kDigits[bytes[i] >> 4];
        s[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return s;
}

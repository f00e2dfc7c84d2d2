// Numbers are little-endian vectors of 32-bit limbs; the exponentiation runs
// in Montgomery form with the modulus's own limb count.
#include "components/rsa.h"

#include <cstring>

namespace {

using Limbs = std::vector<std::uint32_t>;

std::vector<std::uint8_t> StripZeros(const std::vector<std::uint8_t>& b) {
    std::size_t i = 0;
    while (i < b.size() && b[i] == 0) ++i;
    return std::vector<std::uint8_t>(b.begin() + static_cast<std::ptrdiff_t>(i), b.end());
}

Limbs FromBytes(const std::vector<std::uint8_t>& b, std::size_t limbs) {
    Limbs r(limbs, 0);
    for (std::size_t i = 0; i < b.size() && i / 4 < limbs; ++i) {
        const std::size_t pos = b.size() - 1 - i;  // i-th least significant byte
        r[i / 4] |= std::uint32_t{b[pos]} << (8 * (i % 4));
    }
    return r;
}

std::vector<std::uint8_t> ToBytes(const Limbs& a, std::size_t len) {
    std::vector<std::uint8_t> r(len, 0);
    for (std::size_t i = 0; i < len && i / 4 < a.size(); ++i)
        r[len - 1 - i] = static_cast<std::uint8_t>(a[i / 4] >> (8 * (i % 4)));
    return r;
}

// a >= b, same length.
bool NotBelow(const Limbs& a, const Limbs& b) {
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] > b[i];
    }
    return true;
}

// a -= b, same length; returns the borrow.
std::uint32_t SubInPlace(Limbs& a, const Limbs& b) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::uint64_t d = std::uint64_t{a[i]} - b[i] - borrow;
        a[i] = static_cast<std::uint32_t>(d);
        borrow = (d >> 32) & 1;
    }
    return static_cast<std::uint32_t>(borrow);
}

struct Montgomery {
    Limbs n;
    std::uint32_t n0inv;  // -n^-1 mod 2^32
    Limbs rr;             // R^2 mod n, R = 2^(32 * limbs)

    explicit Montgomery(const Limbs& mod) : n(mod) {
        // Newton's iteration for n^-1 mod 2^32 (n odd).
        std::uint32_t inv = 1;
        for (int i = 0; i < 5; ++i) inv *= 2 - n[0] * inv;
        n0inv = 0u - inv;
        // R^2 mod n by doubling 1 modulo n, 2 * 32 * limbs times.
        const std::size_t k = n.size();
        rr.assign(k, 0);
        rr[0] = 1;
        for (std::size_t i = 0; i < 64 * k; ++i) {
            std::uint32_t top = 0;
            for (std::size_t j = 0; j < k; ++j) {
                const std::uint32_t next = rr[j] >> 31;
                rr[j] = (rr[j] << 1) | top;
                top = next;
            }
            if (top || NotBelow(rr, n)) SubInPlace(rr, n);
        }
    }

    // a * b / R mod n (CIOS), a and b below n.
    Limbs Mul(const Limbs& a, const Limbs& b) const {
        const std::size_t k = n.size();
        std::vector<std::uint32_t> t(k + 2, 0);
        for (std::size_t i = 0; i < k; ++i) {
            std::uint64_t carry = 0;
            for (std::size_t j = 0; j < k; ++j) {
                const std::uint64_t s = std::uint64_t{t[j]} + std::uint64_t{a[j]} * b[i] + carry;
                t[j] = static_cast<std::uint32_t>(s);
                carry = s >> 32;
            }
            std::uint64_t s = std::uint64_t{t[k]} + carry;
            t[k] = static_cast<std::uint32_t>(s);
            t[k + 1] = static_cast<std::uint32_t>(s >> 32);
            const std::uint32_t m = t[0] * n0inv;
            s = std::uint64_t{t[0]} + std::uint64_t{m} * n[0];
            carry = s >> 32;
            for (std::size_t j = 1; j < k; ++j) {
                s = std::uint64_t{t[j]} + std::uint64_t{m} * n[j] + carry;
                t[j - 1] = static_cast<std::uint32_t>(s);
                carry = s >> 32;
            }
            s = std::uint64_t{t[k]} + carry;
            t[k - 1] = static_cast<std::uint32_t>(s);
            t[k] = t[k + 1] + static_cast<std::uint32_t>(s >> 32);
        }
        Limbs r(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(k));
        if (t[k] || NotBelow(r, n)) SubInPlace(r, n);
        return r;
    }
};

// The DER DigestInfo prefixes of RFC 8017 section 9.2, note 1.
const std::uint8_t kSha256Info[] = {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                                    0x65, 0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
const std::uint8_t kSha384Info[] = {0x30, 0x41, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                                    0x65, 0x03, 0x04, 0x02, 0x02, 0x05, 0x00, 0x04, 0x30};
const std::uint8_t kSha512Info[] = {0x30, 0x51, 0x30, 0x0d, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                                    0x65, 0x03, 0x04, 0x02, 0x03, 0x05, 0x00, 0x04, 0x40};

}  // namespace

std::size_t RsaModulusBits(const RsaPublicKey& key) {
    const std::vector<std::uint8_t> n = StripZeros(key.n);
    if (n.empty()) return 0;
    std::size_t bits = 8 * n.size();
    for (std::uint8_t top = n[0]; !(top & 0x80); top = static_cast<std::uint8_t>(top << 1)) --bits;
    return bits;
}

bool RsaPkcs1Verify(const RsaPublicKey& key, const std::vector<std::uint8_t>& sig, DigestKind kind,
                    const std::uint8_t* digest, std::size_t digestLen) {
    const std::uint8_t* info = nullptr;
    std::size_t infoLen = 0, hashLen = 0;
    switch (kind) {
        case DigestKind::SHA256:
            info = kSha256Info, infoLen = sizeof kSha256Info, hashLen = 32;
            break;
        case DigestKind::SHA384:
            info = kSha384Info, infoLen = sizeof kSha384Info, hashLen = 48;
            break;
        case DigestKind::SHA512:
            info = kSha512Info, infoLen = sizeof kSha512Info, hashLen = 64;
            break;
        default:
            return false;
    }
    if (digestLen != hashLen) return false;
    const std::vector<std::uint8_t> nBytes = StripZeros(key.n);
    const std::vector<std::uint8_t> eBytes = StripZeros(key.e);
    const std::size_t bits = RsaModulusBits(key);
    if (bits < 1024 || bits > 4096 || !(nBytes.back() & 1)) return false;
    if (eBytes.empty() || eBytes.size() > nBytes.size() || !(eBytes.back() & 1)) return false;
    const std::size_t len = nBytes.size();
    if (eBytes.size() == 1 && eBytes[0] == 1) return false;
    if (sig.size() > len) return false;
    if (infoLen + hashLen + 11 > len) return false;

    const std::size_t limbs = (len + 3) / 4;
    const Limbs n = FromBytes(nBytes, limbs);
    const Limbs s = FromBytes(sig, limbs);
    if (NotBelow(s, n)) return false;
    const Montgomery mont(n);
    const Limbs sm = mont.Mul(s, mont.rr);  // s in Montgomery form
    Limbs acc = sm;
    // Left to right over e's bits, from the one below its top bit.
    int topBit = 7;
    while (!((eBytes[0] >> topBit) & 1)) --topBit;
    for (std::size_t byte = 0; byte < eBytes.size(); ++byte) {
        for (int bit = (byte == 0 ? topBit - 1 : 7); bit >= 0; --bit) {
            acc = mont.Mul(acc, acc);
            if ((eBytes[byte] >> bit) & 1) acc = mont.Mul(acc, sm);
        }
    }
    Limbs one(limbs, 0);
    one[0] = 1;
    const std::vector<std::uint8_t> em = ToBytes(mont.Mul(acc, one), len);

    // 00 01 FF..FF 00 DigestInfo digest
    std::vector<std::uint8_t> expected(len, 0xff);
    expected[0] = 0x00;
    expected[1] = 0x01;
    const std::size_t tail = infoLen + hashLen;
    expected[len - tail - 1] = 0x00;
    std::memcpy(&expected[len - tail], info, infoLen);
    std::memcpy(&expected[len - hashLen], digest, hashLen);
    return em == expected;
}

#include "components/openpgp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "components/ed25519.h"
#include "components/rsa.h"
#include "components/sha.h"
#include "components/sha512.h"

namespace pgp {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bounds that keep any input cheap: more packets than this in one file, or
// more self-signatures checked for one key, are not read.
constexpr std::size_t kMaxPackets = 4096;
constexpr std::size_t kMaxSelfSigChecks = 64;

enum PacketTag : int {
    kSignatureTag = 2,
    kSecretKeyTag = 5,
    kPublicKeyTag = 6,
    kSecretSubkeyTag = 7,
    kCompressedTag = 8,
    kUserIdTag = 13,
    kPublicSubkeyTag = 14,
};

enum PkAlgo : int { kRsa = 1, kRsaSign = 3, kEdDsaLegacy = 22, kEd25519 = 27 };
enum HashAlgo : int { kMd5 = 1, kSha1 = 2, kSha256 = 8, kSha384 = 9, kSha512 = 10 };

struct Packet {
    int tag = 0;
    const std::uint8_t* body = nullptr;
    std::size_t len = 0;
};

// Splits `data` into packets; false with `error` at the first damage.
bool ReadPackets(const Bytes& data, std::vector<Packet>& out, std::string& error) {
    const std::uint8_t* p = data.data();
    const std::uint8_t* end = p + data.size();
    while (p < end) {
        if (out.size() >= kMaxPackets) return error = "too many packets", false;
        const std::uint8_t head = *p++;
        if (!(head & 0x80)) return error = "not an OpenPGP packet", false;
        Packet pk;
        std::uint64_t len = 0;
        const std::size_t left = static_cast<std::size_t>(end - p);
        if (head & 0x40) {
            pk.tag = head & 0x3f;
            if (left < 1) return error = "truncated packet header", false;
            const std::uint8_t o1 = p[0];
            if (o1 < 192) {
                len = o1, p += 1;
            } else if (o1 < 224) {
                if (left < 2) return error = "truncated packet header", false;
                len = ((std::uint64_t{o1} - 192) << 8) + p[1] + 192, p += 2;
            } else if (o1 == 255) {
                if (left < 5) return error = "truncated packet header", false;
                len = (std::uint64_t{p[1]} << 24) | (std::uint64_t{p[2]} << 16) | (std::uint64_t{p[3]} << 8) |
                      p[4];
                p += 5;
            } else {
                return error = "partial packet lengths are not read here", false;
            }
        } else {
            pk.tag = (head >> 2) & 0x0f;
            const int type = head & 3;
            if (type == 3) {
                len = left;
            } else {
                const std::size_t n = type == 0 ? 1 : type == 1 ? 2 : 4;
                if (left < n) return error = "truncated packet header", false;
                for (std::size_t i = 0; i < n; ++i) len = (len << 8) | p[i];
                p += n;
            }
        }
        if (len > static_cast<std::uint64_t>(end - p))
            return error = "truncated packet (its length runs past the end)", false;
        if (pk.tag == kCompressedTag) return error = "compressed packets are not read", false;
        pk.body = p;
        pk.len = static_cast<std::size_t>(len);
        p += pk.len;
        out.push_back(pk);
    }
    return true;
}

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::string Hex(const std::uint8_t* p, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += kDigits[p[i] >> 4];
        s += kDigits[p[i] & 15];
    }
    return s;
}

// A multiprecision integer: two bytes of bit count, then its bytes.
bool ReadMpi(const std::uint8_t*& p, const std::uint8_t* end, Bytes& out) {
    if (end - p < 2) return false;
    const std::size_t bits = (std::size_t{p[0]} << 8) | p[1];
    const std::size_t n = (bits + 7) / 8;
    p += 2;
    if (static_cast<std::size_t>(end - p) < n) return false;
    out.assign(p, p + n);
    p += n;
    return true;
}

const std::uint8_t kEd25519Oid[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0xDA, 0x47, 0x0F, 0x01};

struct Key {
    int version = 0;
    std::uint32_t created = 0;
    int algo = 0;
    bool usable = false;  // RSA or Ed25519 material read
    RsaPublicKey rsa;
    std::uint8_t ed[32] = {};
    Bytes body;  // the key packet's body, hashed by self-signatures
    std::uint8_t fpr[32] = {};
    std::size_t fprLen = 0;
    std::uint8_t keyId[8] = {};

    std::string KeyIdText() const { return "0x" + Hex(keyId, 8); }
    std::string Algorithm() const {
        if (algo == kRsa || algo == kRsaSign) return "RSA " + std::to_string(RsaModulusBits(rsa));
        if (algo == kEdDsaLegacy || algo == kEd25519) return "Ed25519";
        return "algorithm " + std::to_string(algo);
    }
    // What a key signature hashes for this key.
    Bytes HashPrefix() const {
        Bytes h;
        if (version == 6) {
            h = {0x9B, static_cast<std::uint8_t>(body.size() >> 24),
                 static_cast<std::uint8_t>(body.size() >> 16), static_cast<std::uint8_t>(body.size() >> 8),
                 static_cast<std::uint8_t>(body.size())};
        } else {
            h = {0x99, static_cast<std::uint8_t>(body.size() >> 8), static_cast<std::uint8_t>(body.size())};
        }
        h.insert(h.end(), body.begin(), body.end());
        return h;
    }
};

bool ParseKey(const Packet& pk, Key& key) {
    const std::uint8_t* p = pk.body;
    const std::uint8_t* end = p + pk.len;
    if (pk.len < 6) return false;
    key.version = p[0];
    if (key.version != 4 && key.version != 6) return false;
    if (key.version == 4 && pk.len > 0xffff) return false;
    key.created = Be32(p + 1);
    key.algo = p[5];
    p += 6;
    if (key.version == 6) {
        if (end - p < 4) return false;
        const std::uint32_t n = Be32(p);
        p += 4;
        if (n != static_cast<std::size_t>(end - p)) return false;
    }
    key.body.assign(pk.body, pk.body + pk.len);
    const Bytes prefix = key.HashPrefix();
    if (key.version == 6) {
        Sha256 h;
        h.Update(prefix.data(), prefix.size());
        const auto d = h.Final();
        std::memcpy(key.fpr, d.data(), 32);
        key.fprLen = 32;
        std::memcpy(key.keyId, d.data(), 8);
    } else {
        Sha1 h;  // the v4 fingerprint is SHA-1 by definition; it is no signature
        h.Update(prefix.data(), prefix.size());
        const auto d = h.Final();
        std::memcpy(key.fpr, d.data(), 20);
        key.fprLen = 20;
        std::memcpy(key.keyId, d.data() + 12, 8);
    }
    if (key.algo == kRsa || key.algo == kRsaSign) {
        key.usable = ReadMpi(p, end, key.rsa.n) && ReadMpi(p, end, key.rsa.e);
    } else if (key.algo == kEdDsaLegacy) {
        if (p >= end) return true;
        const std::size_t oidLen = *p++;
        if (static_cast<std::size_t>(end - p) < oidLen) return true;
        const bool ed = oidLen == sizeof kEd25519Oid && std::memcmp(p, kEd25519Oid, oidLen) == 0;
        p += oidLen;
        Bytes point;
        if (ed && ReadMpi(p, end, point) && point.size() == 33 && point[0] == 0x40) {
            std::memcpy(key.ed, point.data() + 1, 32);
            key.usable = true;
        }
    } else if (key.algo == kEd25519) {
        if (end - p >= 32) {
            std::memcpy(key.ed, p, 32);
            key.usable = true;
        }
    }
    return true;
}

struct Signature {
    int version = 0;
    int type = 0;
    int pkAlgo = 0;
    int hashAlgo = 0;
    Bytes hashed;  // version through the hashed subpackets
    std::uint8_t left16[2] = {};
    Bytes salt;
    std::vector<Bytes> mpis;  // RSA: s; legacy EdDSA: r, s
    Bytes native;             // Ed25519 (27): 64 bytes
    std::int64_t created = -1;
    std::int64_t expires = 0;     // seconds after created, 0: never
    std::int64_t keyExpires = 0;  // seconds after the key's creation, 0: never
    int keyFlags = -1;            // -1: no key flags subpacket
    bool primaryUid = false;
    bool unknownCritical = false;
    bool hasIssuer = false;
    std::uint8_t issuer[8] = {};
    std::size_t issuerFprLen = 0;
    std::uint8_t issuerFpr[32] = {};
};

bool ReadSubpackets(const std::uint8_t* p, const std::uint8_t* end, bool hashed, Signature& sig) {
    while (p < end) {
        std::size_t len;
        const std::uint8_t o1 = *p++;
        if (o1 < 192) {
            len = o1;
        } else if (o1 < 255) {
            if (p >= end) return false;
            len = ((std::size_t{o1} - 192) << 8) + *p++ + 192;
        } else {
            if (end - p < 4) return false;
            len = Be32(p);
            p += 4;
        }
        if (len < 1 || len > static_cast<std::size_t>(end - p)) return false;
        const int type = p[0] & 0x7f;
        const bool critical = (p[0] & 0x80) != 0;
        const std::uint8_t* d = p + 1;
        const std::size_t n = len - 1;
        p += len;
        switch (type) {
            case 2:
                if (n != 4) return false;
                if (hashed) sig.created = Be32(d);
                break;
            case 3:
                if (n != 4) return false;
                if (hashed) sig.expires = Be32(d);
                break;
            case 9:
                if (n != 4) return false;
                if (hashed) sig.keyExpires = Be32(d);
                break;
            case 16:
                // The issuer only helps find the key, hashed or not.
                if (n != 8) return false;
                std::memcpy(sig.issuer, d, 8);
                sig.hasIssuer = true;
                break;
            case 33:
                if (n == 21 || n == 33) {
                    sig.issuerFprLen = n - 1;
                    std::memcpy(sig.issuerFpr, d + 1, n - 1);
                }
                break;
            case 27:
                if (hashed) sig.keyFlags = n ? d[0] : 0;
                break;
            case 25:
                if (hashed) sig.primaryUid = n && d[0];
                break;
            case 4:
            case 5:
            case 6:
            case 7:
            case 10:
            case 11:
            case 12:
            case 20:
            case 21:
            case 22:
            case 23:
            case 24:
            case 26:
            case 28:
            case 29:
            case 30:
            case 31:
            case 32:
            case 34:
            case 35:
            case 37:
            case 38:
                break;  // known and of no weight for this check
            default:
                if (critical && hashed) sig.unknownCritical = true;
                break;
        }
    }
    return true;
}

bool ParseSignature(const Packet& pk, Signature& sig) {
    const std::uint8_t* p = pk.body;
    const std::uint8_t* end = p + pk.len;
    if (pk.len < 1) return false;
    sig.version = p[0];
    if (sig.version == 4 || sig.version == 6) {
        const std::size_t lenBytes = sig.version == 6 ? 4 : 2;
        if (pk.len < 4 + lenBytes) return false;
        sig.type = p[1];
        sig.pkAlgo = p[2];
        sig.hashAlgo = p[3];
        auto readLen = [&](const std::uint8_t* q) {
            return lenBytes == 4 ? std::size_t{Be32(q)} : (std::size_t{q[0]} << 8) | q[1];
        };
        p += 4;
        const std::size_t hashedLen = readLen(p);
        p += lenBytes;
        if (static_cast<std::size_t>(end - p) < hashedLen) return false;
        if (!ReadSubpackets(p, p + hashedLen, true, sig)) return false;
        p += hashedLen;
        sig.hashed.assign(pk.body, p);
        if (static_cast<std::size_t>(end - p) < lenBytes) return false;
        const std::size_t unhashedLen = readLen(p);
        p += lenBytes;
        if (static_cast<std::size_t>(end - p) < unhashedLen) return false;
        if (!ReadSubpackets(p, p + unhashedLen, false, sig)) return false;
        p += unhashedLen;
        if (end - p < 2) return false;
        sig.left16[0] = p[0];
        sig.left16[1] = p[1];
        p += 2;
        if (sig.version == 6) {
            if (p >= end) return false;
            const std::size_t saltLen = *p++;
            if (static_cast<std::size_t>(end - p) < saltLen) return false;
            sig.salt.assign(p, p + saltLen);
            p += saltLen;
        }
    } else {
        return false;
    }
    if (sig.pkAlgo == kEd25519) {
        if (end - p != 64) return false;
        sig.native.assign(p, end);
        return true;
    }
    while (p < end && sig.mpis.size() < 2) {
        Bytes m;
        if (!ReadMpi(p, end, m)) return false;
        sig.mpis.push_back(std::move(m));
    }
    return p == end;
}

// A digest of one of the three accepted kinds, fed in pieces.
class Hasher {
public:
    explicit Hasher(int algo) : algo_(algo) {}
    void Update(const void* d, std::size_t n) {
        if (algo_ == kSha256) s256_.Update(d, n);
        if (algo_ == kSha384) s384_.Update(d, n);
        if (algo_ == kSha512) s512_.Update(d, n);
    }
    void Update(const Bytes& b) { Update(b.data(), b.size()); }
    Bytes Final() {
        if (algo_ == kSha256) {
            const auto d = s256_.Final();
            return Bytes(d.begin(), d.end());
        }
        if (algo_ == kSha384) {
            const auto d = s384_.Final();
            return Bytes(d.begin(), d.end());
        }
        const auto d = s512_.Final();
        return Bytes(d.begin(), d.end());
    }

private:
    int algo_;
    Sha256 s256_;
    Sha384 s384_;
    Sha512 s512_;
};

DigestKind KindOf(int algo) {
    return algo == kSha256 ? DigestKind::SHA256 : algo == kSha384 ? DigestKind::SHA384 : DigestKind::SHA512;
}

bool HashAccepted(int algo) { return algo == kSha256 || algo == kSha384 || algo == kSha512; }

// Whether `sig` by `key` verifies over `parts` (hashed first, in order).
bool Check(const Key& key, const Signature& sig, const std::vector<std::string_view>& parts) {
    if (!key.usable || !HashAccepted(sig.hashAlgo) || sig.unknownCritical) return false;
    if (sig.version != 4 && sig.version != 6) return false;
    const bool rsa = key.algo == kRsa || key.algo == kRsaSign;
    if (rsa != (sig.pkAlgo == kRsa || sig.pkAlgo == kRsaSign)) return false;
    if (!rsa && sig.pkAlgo != kEdDsaLegacy && sig.pkAlgo != kEd25519) return false;
    Hasher h(sig.hashAlgo);
    if (sig.version == 6) h.Update(sig.salt);
    for (const std::string_view part : parts) h.Update(part.data(), part.size());
    h.Update(sig.hashed);
    const std::size_t n = sig.hashed.size();
    const std::uint8_t trailer[6] = {
        static_cast<std::uint8_t>(sig.version), 0xFF,
        static_cast<std::uint8_t>(n >> 24),     static_cast<std::uint8_t>(n >> 16),
        static_cast<std::uint8_t>(n >> 8),      static_cast<std::uint8_t>(n)};
    h.Update(trailer, sizeof trailer);
    const Bytes digest = h.Final();
    if (digest[0] != sig.left16[0] || digest[1] != sig.left16[1]) return false;
    if (rsa) {
        if (sig.mpis.size() != 1) return false;
        return RsaPkcs1Verify(key.rsa, sig.mpis[0], KindOf(sig.hashAlgo), digest.data(), digest.size());
    }
    std::uint8_t rs[64] = {};
    if (sig.pkAlgo == kEd25519) {
        if (sig.native.size() != 64) return false;
        std::memcpy(rs, sig.native.data(), 64);
    } else {
        if (sig.mpis.size() != 2 || sig.mpis[0].size() > 32 || sig.mpis[1].size() > 32) return false;
        std::memcpy(rs + 32 - sig.mpis[0].size(), sig.mpis[0].data(), sig.mpis[0].size());
        std::memcpy(rs + 64 - sig.mpis[1].size(), sig.mpis[1].data(), sig.mpis[1].size());
    }
    return Ed25519Verify(rs, digest.data(), digest.size(), key.ed);
}

std::string_view View(const Bytes& b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

struct UserId {
    std::string text;
    std::vector<Signature> sigs;
};

struct Subkey {
    Key key;
    std::vector<Signature> sigs;
    // Judged once, on first use.
    bool judged = false;
    bool bound = false;
    bool revoked = false;
    std::int64_t expiresAt = 0;  // 0: never
};

struct Cert {
    Key primary;
    std::vector<Signature> directSigs;
    std::vector<UserId> uids;
    std::vector<Subkey> subkeys;
    bool judged = false;
    bool valid = false;
    bool revoked = false;
    bool weakSelfSig = false;  // a self-signature by SHA-1 or MD5 was passed over
    int keyFlags = -1;         // of the newest valid self-signature; -1: none given
    std::int64_t expiresAt = 0;
    std::string name;
};

bool IssuedBy(const Signature& sig, const Key& key) {
    if (sig.issuerFprLen)
        return sig.issuerFprLen == key.fprLen && std::memcmp(sig.issuerFpr, key.fpr, key.fprLen) == 0;
    if (sig.hasIssuer) return std::memcmp(sig.issuer, key.keyId, 8) == 0;
    return true;  // no issuer named: try it
}

std::string UidPrefix(const std::string& uid) {
    std::string s;
    s += static_cast<char>(0xB4);
    const std::size_t n = uid.size();
    s += static_cast<char>(n >> 24);
    s += static_cast<char>(n >> 16);
    s += static_cast<char>(n >> 8);
    s += static_cast<char>(n);
    return s + uid;
}

// Checks the primary key's self-signatures and revocations once.
void Judge(Cert& c) {
    if (c.judged) return;
    c.judged = true;
    const Bytes prefix = c.primary.HashPrefix();
    std::size_t checks = 0;
    std::int64_t newest = -1;
    bool namedPrimary = false;
    // The newest valid self-signature says when the key expires and what it may do.
    auto takeIfNewest = [&](const Signature& s) {
        if (s.created <= newest) return;
        newest = s.created;
        c.expiresAt = s.keyExpires ? c.primary.created + s.keyExpires : 0;
        c.keyFlags = s.keyFlags;
    };
    for (const Signature& s : c.directSigs) {
        if (checks >= kMaxSelfSigChecks || !IssuedBy(s, c.primary)) continue;
        if (s.type == 0x20) {
            ++checks;
            if (Check(c.primary, s, {View(prefix)})) c.revoked = true;
        } else if (s.type == 0x1F) {
            ++checks;
            if (Check(c.primary, s, {View(prefix)})) {
                c.valid = true;
                takeIfNewest(s);
            } else if (s.hashAlgo == kSha1 || s.hashAlgo == kMd5) {
                c.weakSelfSig = true;
            }
        }
    }
    for (const UserId& u : c.uids) {
        for (const Signature& s : u.sigs) {
            if (checks >= kMaxSelfSigChecks) break;
            if (s.type < 0x10 || s.type > 0x13 || !IssuedBy(s, c.primary)) continue;
            ++checks;
            const std::string uidPart = UidPrefix(u.text);
            if (!Check(c.primary, s, {View(prefix), uidPart})) {
                if (s.hashAlgo == kSha1 || s.hashAlgo == kMd5) c.weakSelfSig = true;
                continue;
            }
            c.valid = true;
            if (c.name.empty() || (s.primaryUid && !namedPrimary)) {
                c.name = u.text;
                namedPrimary = s.primaryUid;
            }
            takeIfNewest(s);
        }
    }
}

void Judge(const Cert& c, Subkey& k) {
    if (k.judged) return;
    k.judged = true;
    const Bytes prefix = c.primary.HashPrefix();
    const Bytes sub = k.key.HashPrefix();
    std::size_t checks = 0;
    std::int64_t newest = -1;
    for (const Signature& s : k.sigs) {
        if (checks >= kMaxSelfSigChecks || !IssuedBy(s, c.primary)) continue;
        if (s.type != 0x18 && s.type != 0x28) continue;
        ++checks;
        if (!Check(c.primary, s, {View(prefix), View(sub)})) continue;
        if (s.type == 0x28) {
            k.revoked = true;
        } else if (s.created > newest) {
            newest = s.created;
            k.bound = s.keyFlags >= 0 && (s.keyFlags & 0x02);
            k.expiresAt = s.keyExpires ? k.key.created + s.keyExpires : 0;
        }
    }
}

}  // namespace

// Days to civil date after Howard Hinnant's algorithm.
std::string TimeText(std::int64_t t) {
    const std::int64_t days = (t >= 0 ? t : t - 86399) / 86400;
    const std::int64_t secs = t - days * 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(secs / 3600),
                  static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60));
    return buf;
}

struct Keyring::Impl {
    std::vector<Cert> certs;
};

Keyring::Keyring() : impl_(new Impl) {}
Keyring::~Keyring() = default;
Keyring::Keyring(Keyring&&) noexcept = default;
Keyring& Keyring::operator=(Keyring&&) noexcept = default;
std::size_t Keyring::Size() const { return impl_->certs.size(); }

std::uint32_t Crc24(const std::uint8_t* data, std::size_t len) {
    std::uint32_t crc = 0xB704CE;
    for (std::size_t i = 0; i < len; ++i) {
        crc ^= std::uint32_t{data[i]} << 16;
        for (int b = 0; b < 8; ++b) {
            crc <<= 1;
            if (crc & 0x1000000) crc ^= 0x1864CFB;
        }
    }
    return crc & 0xFFFFFF;
}

bool Base64Decode(std::string_view text, std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint32_t acc = 0;
    int bits = 0, pad = 0;
    for (const char ch : text) {
        int v;
        if (ch >= 'A' && ch <= 'Z')
            v = ch - 'A';
        else if (ch >= 'a' && ch <= 'z')
            v = ch - 'a' + 26;
        else if (ch >= '0' && ch <= '9')
            v = ch - '0' + 52;
        else if (ch == '+')
            v = 62;
        else if (ch == '/')
            v = 63;
        else if (ch == '=') {
            ++pad;
            continue;
        } else if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n')
            continue;
        else
            return false;
        if (pad) return false;  // data after padding
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>(acc >> bits));
            acc &= (1u << bits) - 1;
        }
    }
    return pad <= 2 && bits < 6 && acc == 0;
}

namespace {

// Lines of `text` with their end stripped (LF, CR LF or CR LF LF...).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = nl + 1;
    }
    return lines;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Reads one armored block from lines[i], which is its BEGIN line.
bool ArmorAt(const std::vector<std::string_view>& lines, std::size_t& i, std::string& label, Bytes& out,
             std::string& error) {
    const std::string_view begin = TrimRight(lines[i]);
    label = std::string(begin.substr(11, begin.size() - 16));
    ++i;
    // Headers up to the first blank line.
    while (i < lines.size() && !TrimRight(lines[i]).empty()) {
        if (TrimRight(lines[i]).find(": ") == std::string_view::npos) break;  // no header block
        ++i;
    }
    if (i < lines.size() && TrimRight(lines[i]).empty()) ++i;
    std::string body;
    std::string crc;
    for (; i < lines.size(); ++i) {
        const std::string_view l = TrimRight(lines[i]);
        if (StartsWith(l, "-----END ")) break;
        if (StartsWith(l, "=") && l.size() == 5) {
            crc = std::string(l.substr(1));
            continue;
        }
        body += l;
    }
    if (i >= lines.size()) return error = "armor without its END line", false;
    ++i;
    if (!Base64Decode(body, out)) return error = "armor with a character that is not Base64", false;
    if (!crc.empty()) {
        Bytes c;
        if (!Base64Decode(crc, c) || c.size() != 3)
            return error = "armor with a damaged checksum line", false;
        const std::uint32_t want = (std::uint32_t{c[0]} << 16) | (std::uint32_t{c[1]} << 8) | c[2];
        if (want != Crc24(out.data(), out.size()))
            return error = "armor checksum (CRC-24) does not match", false;
    }
    return true;
}

bool IsBegin(std::string_view line) {
    line = TrimRight(line);
    return StartsWith(line, "-----BEGIN PGP ") && line.size() > 20 && line.substr(line.size() - 5) == "-----";
}

// The packets of `bytes`: armored blocks one after the other, or binary.
bool Unarmor(std::string_view bytes, std::vector<Bytes>& blocks, std::string& error) {
    if (!LooksArmored(bytes)) {
        blocks.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    const std::vector<std::string_view> lines = Lines(bytes);
    std::size_t i = 0;
    while (i < lines.size()) {
        if (!IsBegin(lines[i])) {
            ++i;
            continue;
        }
        std::string label;
        Bytes out;
        if (!ArmorAt(lines, i, label, out, error)) return false;
        blocks.push_back(std::move(out));
    }
    if (blocks.empty()) return error = "no armored block", false;
    return true;
}

}  // namespace

bool LooksArmored(std::string_view bytes) {
    for (const std::string_view line : Lines(bytes.substr(0, 4096))) {
        if (IsBegin(line)) return true;
    }
    return false;
}

bool Dearmor(std::string_view text, std::string& label, std::vector<std::uint8_t>& out, std::string& error) {
    const std::vector<std::string_view> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsBegin(lines[i])) return ArmorAt(lines, i, label, out, error);
    }
    error = "no armored block";
    return false;
}

std::string CanonicalText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool ParseCleartext(std::string_view file, Cleartext& out, std::string& error) {
    const std::vector<std::string_view> lines = Lines(file);
    std::size_t i = 0;
    while (i < lines.size() && TrimRight(lines[i]) != "-----BEGIN PGP SIGNED MESSAGE-----") {
        if (!TrimRight(lines[i]).empty()) out.textOutside = true;
        ++i;
    }
    if (i == lines.size()) return error = "not a clearsigned message", false;
    ++i;
    // Armor headers ("Hash: SHA256") up to a blank line.
    while (i < lines.size() && !TrimRight(lines[i]).empty()) ++i;
    if (i == lines.size()) return error = "clearsigned message cut short", false;
    ++i;
    bool first = true;
    for (; i < lines.size(); ++i) {
        std::string_view l = lines[i];
        if (TrimRight(l) == "-----BEGIN PGP SIGNATURE-----") break;
        if (StartsWith(l, "- ")) l.remove_prefix(2);
        if (!first) out.canonical += "\r\n";
        first = false;
        out.canonical += TrimRight(l);
        out.text += l;
        out.text += '\n';
    }
    if (i == lines.size()) return error = "clearsigned message without its signature", false;
    std::size_t end = i;
    while (end < lines.size() && TrimRight(lines[end]) != "-----END PGP SIGNATURE-----") ++end;
    if (end == lines.size()) return error = "clearsigned message with its signature cut short", false;
    for (std::size_t k = i; k <= end; ++k) {
        out.signature += lines[k];
        out.signature += '\n';
    }
    for (std::size_t k = end + 1; k < lines.size(); ++k) {
        if (!TrimRight(lines[k]).empty()) out.textOutside = true;
    }
    return true;
}

bool Keyring::Add(std::string_view file, std::string& error) {
    std::vector<Bytes> blocks;
    if (!Unarmor(file, blocks, error)) return false;
    const std::size_t before = impl_->certs.size();
    for (const Bytes& block : blocks) {
        std::vector<Packet> packets;
        const bool whole = ReadPackets(block, packets, error);
        Cert* cert = nullptr;
        enum { kNone, kPrimary, kUid, kSub, kSkip } last = kNone;
        for (const Packet& pk : packets) {
            if (pk.tag == kPublicKeyTag) {
                Cert c;
                if (!ParseKey(pk, c.primary)) {
                    cert = nullptr;
                    last = kNone;
                    continue;
                }
                impl_->certs.push_back(std::move(c));
                cert = &impl_->certs.back();
                last = kPrimary;
            } else if (!cert) {
                continue;
            } else if (pk.tag == kUserIdTag) {
                cert->uids.push_back({std::string(reinterpret_cast<const char*>(pk.body), pk.len), {}});
                last = kUid;
            } else if (pk.tag == kPublicSubkeyTag) {
                Subkey s;
                if (ParseKey(pk, s.key)) {
                    cert->subkeys.push_back(std::move(s));
                    last = kSub;
                } else {
                    last = kSkip;
                }
            } else if (pk.tag == kSignatureTag) {
                Signature s;
                if (!ParseSignature(pk, s)) continue;
                if (last == kPrimary) cert->directSigs.push_back(std::move(s));
                if (last == kUid) cert->uids.back().sigs.push_back(std::move(s));
                if (last == kSub) cert->subkeys.back().sigs.push_back(std::move(s));
            } else if (pk.tag == kSecretKeyTag || pk.tag == kSecretSubkeyTag) {
                error = "a secret key: give the exported public key";
                return false;
            } else {
                last = kSkip;  // user attributes and the like
            }
        }
        if (!whole) return false;
    }
    if (impl_->certs.size() == before) return error = "no OpenPGP public key", false;
    return true;
}

namespace {

SigVerdict VerifyPackets(const std::vector<std::string_view>& dataForType, std::string_view sigFile,
                         const Keyring& keys, std::int64_t now) {
    SigVerdict v;
    std::vector<Bytes> blocks;
    std::string error;
    if (!Unarmor(sigFile, blocks, error)) {
        v.status = SigStatus::Bad;
        v.reason = error;
        return v;
    }
    std::vector<Signature> sigs;
    for (const Bytes& block : blocks) {
        std::vector<Packet> packets;
        if (!ReadPackets(block, packets, error)) {
            v.status = SigStatus::Bad;
            v.reason = error;
            return v;
        }
        for (const Packet& pk : packets) {
            if (pk.tag != kSignatureTag) continue;
            Signature s;
            if (!ParseSignature(pk, s)) {
                v.status = SigStatus::Bad;
                v.reason = "damaged signature packet";
                return v;
            }
            sigs.push_back(std::move(s));
        }
    }
    if (sigs.empty()) {
        v.status = SigStatus::Bad;
        v.reason = "no signature packet";
        return v;
    }

    Keyring::Impl& ring = keys.Get();
    bool haveVerdict = false;
    SigVerdict unknown;
    for (const Signature& s : sigs) {
        if (s.type != 0x00 && s.type != 0x01) continue;
        // Find the key it names.
        Cert* cert = nullptr;
        Subkey* sub = nullptr;
        for (Cert& c : ring.certs) {
            if ((s.hasIssuer || s.issuerFprLen) && IssuedBy(s, c.primary)) {
                cert = &c;
                break;
            }
            for (Subkey& k : c.subkeys) {
                if ((s.hasIssuer || s.issuerFprLen) && IssuedBy(s, k.key)) {
                    cert = &c;
                    sub = &k;
                    break;
                }
            }
            if (cert) break;
        }
        if (!cert) {
            if (unknown.keyId.empty()) {
                unknown.status = SigStatus::UnknownKey;
                unknown.reason = "signed by a key that is not trusted";
                if (s.issuerFprLen)
                    unknown.keyId = "0x" + Hex(s.issuerFprLen == 20 ? s.issuerFpr + 12 : s.issuerFpr, 8);
                else if (s.hasIssuer)
                    unknown.keyId = "0x" + Hex(s.issuer, 8);
                else
                    unknown.keyId = "(no key named)";
                unknown.signedAt = s.created;
            }
            continue;
        }
        const Key& key = sub ? sub->key : cert->primary;
        SigVerdict r;
        r.keyId = key.KeyIdText();
        r.fingerprint = Hex(cert->primary.fpr, cert->primary.fprLen);
        r.algorithm = key.Algorithm();
        r.signedAt = s.created;
        Judge(*cert);
        r.signer = cert->name;
        auto done = [&](SigStatus st, std::string why) {
            r.status = st;
            r.reason = std::move(why);
        };
        const std::string_view data = s.type == 0x01 ? dataForType[1] : dataForType[0];
        if (s.hashAlgo == kMd5 || s.hashAlgo == kSha1) {
            done(SigStatus::Weak, s.hashAlgo == kMd5 ? "signed with MD5, which is too weak"
                                                     : "signed with SHA-1, which is too weak");
        } else if (!HashAccepted(s.hashAlgo)) {
            done(SigStatus::Unsupported,
                 "hash algorithm " + std::to_string(s.hashAlgo) + " is not supported");
        } else if (s.version != 4 && s.version != 6) {
            done(SigStatus::Unsupported,
                 "signature version " + std::to_string(s.version) + " is not supported");
        } else if (!key.usable) {
            done(SigStatus::Unsupported, "key " + key.Algorithm() + " is not supported");
        } else if ((key.algo == kRsa || key.algo == kRsaSign) && RsaModulusBits(key.rsa) < 2048) {
            done(SigStatus::Weak,
                 "RSA key of " + std::to_string(RsaModulusBits(key.rsa)) + " bits is too weak");
        } else if ((key.algo == kRsa || key.algo == kRsaSign) && RsaModulusBits(key.rsa) > 4096) {
            done(SigStatus::Unsupported, "RSA key of " + std::to_string(RsaModulusBits(key.rsa)) +
                                             " bits is larger than the 4096 verified");
        } else if (s.unknownCritical) {
            done(SigStatus::Unsupported, "signature with an unknown critical subpacket");
        } else if (!Check(key, s, {data})) {
            done(SigStatus::Bad, "the signature does not match the file");
        } else if (!cert->valid && cert->weakSelfSig) {
            done(SigStatus::Weak, "the key's self-signature uses SHA-1 or MD5, which is too weak");
        } else if (!cert->valid) {
            done(SigStatus::KeyInvalid, "the key's self-signature does not verify");
        } else if (!sub && cert->keyFlags >= 0 && !(cert->keyFlags & 0x02)) {
            done(SigStatus::KeyInvalid, "the key is not allowed to sign");
        } else if (sub && (Judge(*cert, *sub), !sub->bound)) {
            done(SigStatus::KeyInvalid, "the subkey is not bound to its primary key for signing");
        } else if (cert->revoked || (sub && sub->revoked)) {
            done(SigStatus::Revoked, "the key is revoked");
        } else if (s.created < 0) {
            done(SigStatus::Bad, "the signature has no creation time");
        } else if (s.created > now) {
            done(SigStatus::Future, "the signature was made in the future (" + TimeText(s.created) + ")");
        } else if (s.created < key.created) {
            done(SigStatus::Bad, "the signature is older than its key");
        } else if (s.expires && s.created + s.expires <= now) {
            done(SigStatus::Expired, "the signature has expired");
        } else {
            std::int64_t expiresAt = cert->expiresAt;
            if (sub && sub->expiresAt && (!expiresAt || sub->expiresAt < expiresAt))
                expiresAt = sub->expiresAt;
            if (expiresAt && s.created >= expiresAt) {
                done(SigStatus::Expired, "the key had expired before the signature was made");
            } else {
                done(SigStatus::Good, "");
                if (expiresAt && now >= expiresAt) r.note = "the key has expired since it made the signature";
            }
        }
        if (r.status == SigStatus::Good) return r;
        if (!haveVerdict) {
            v = r;
            haveVerdict = true;
        }
    }
    if (haveVerdict) return v;
    if (!unknown.keyId.empty()) return unknown;
    v.status = SigStatus::Bad;
    v.reason = "no signature over a document";
    return v;
}

}  // namespace

SigVerdict Verify(std::string_view data, std::string_view sig, const Keyring& keys, std::int64_t now) {
    const std::string text = CanonicalText(data);
    return VerifyPackets({data, text}, sig, keys, now);
}

SigVerdict VerifyCleartext(std::string_view file, const Keyring& keys, std::int64_t now) {
    Cleartext ct;
    std::string error;
    SigVerdict v;
    if (!ParseCleartext(file, ct, error)) {
        v.status = SigStatus::Bad;
        v.reason = error;
        return v;
    }
    v = VerifyPackets({ct.canonical, ct.canonical}, ct.signature, keys, now);
    v.hasSignedText = true;
    v.signedText = std::move(ct.text);
    v.textOutsideSigned = ct.textOutside;
    if (ct.textOutside) {
        v.note += std::string(v.note.empty() ? "" : "; ") +
                  "text outside the signed part is not signed and not checked";
    }
    return v;
}

}  // namespace pgp

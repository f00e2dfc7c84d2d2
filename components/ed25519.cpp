// Field elements mod p = 2^255 - 19 are 16 signed limbs of 16 bits held in
// 64-bit integers, which leaves room for the products of a multiplication
// without a carry in between; points are in extended coordinates (X, Y, Z, T).
#include "components/ed25519.h"

#include <cstring>

#include "components/sha512.h"

namespace {

using Fe = std::int64_t[16];

void Copy(Fe r, const Fe a) { std::memcpy(r, a, sizeof(Fe)); }

void Set(Fe r, std::int64_t v) {
    std::memset(r, 0, sizeof(Fe));
    r[0] = v;
}

// Brings each limb back to 16 bits; the carry out of the top limb comes back
// in at the bottom times 38 (2^256 = 38 mod p).
void Carry(Fe o) {
    for (int i = 0; i < 16; ++i) {
        o[i] += std::int64_t{1} << 16;
        const std::int64_t c = o[i] >> 16;
        if (i < 15)
            o[i + 1] += c - 1;
        else
            o[0] += 38 * (c - 1);
        o[i] -= c * 65536;
    }
}

void Add(Fe o, const Fe a, const Fe b) {
    for (int i = 0; i < 16; ++i) o[i] = a[i] + b[i];
}

void Sub(Fe o, const Fe a, const Fe b) {
    for (int i = 0; i < 16; ++i) o[i] = a[i] - b[i];
}

void Mul(Fe o, const Fe a, const Fe b) {
    std::int64_t t[31] = {};
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j) t[i + j] += a[i] * b[j];
    for (int i = 0; i < 15; ++i) t[i] += 38 * t[i + 16];
    for (int i = 0; i < 16; ++i) o[i] = t[i];
    Carry(o);
    Carry(o);
}

void Sq(Fe o, const Fe a) { Mul(o, a, a); }

// Swaps p and q when b is 1.
void Swap(Fe p, Fe q, std::int64_t b) {
    const std::int64_t mask = ~(b - 1);
    for (int i = 0; i < 16; ++i) {
        const std::int64_t t = mask & (p[i] ^ q[i]);
        p[i] ^= t;
        q[i] ^= t;
    }
}

// The canonical 32 bytes of n (fully reduced below p).
void Pack(std::uint8_t* o, const Fe n) {
    Fe t, m;
    Copy(t, n);
    Carry(t);
    Carry(t);
    Carry(t);
    for (int j = 0; j < 2; ++j) {
        m[0] = t[0] - 0xffed;
        for (int i = 1; i < 15; ++i) {
            m[i] = t[i] - 0xffff - ((m[i - 1] >> 16) & 1);
            m[i - 1] &= 0xffff;
        }
        m[15] = t[15] - 0x7fff - ((m[14] >> 16) & 1);
        const std::int64_t b = (m[15] >> 16) & 1;
        m[14] &= 0xffff;
        Swap(t, m, 1 - b);
    }
    for (int i = 0; i < 16; ++i) {
        o[2 * i] = static_cast<std::uint8_t>(t[i] & 0xff);
        o[2 * i + 1] = static_cast<std::uint8_t>((t[i] >> 8) & 0xff);
    }
}

// The low 255 bits of 32 bytes; the caller checks they are below p.
void Unpack(Fe o, const std::uint8_t* n) {
    for (int i = 0; i < 16; ++i) o[i] = n[2 * i] + (std::int64_t{n[2 * i + 1]} << 8);
    o[15] &= 0x7fff;
}

bool Equal(const Fe a, const Fe b) {
    std::uint8_t x[32], y[32];
    Pack(x, a);
    Pack(y, b);
    return std::memcmp(x, y, 32) == 0;
}

bool IsZero(const Fe a) {
    Fe zero = {};
    return Equal(a, zero);
}

int Parity(const Fe a) {
    std::uint8_t d[32];
    Pack(d, a);
    return d[0] & 1;
}

// a^e, e given as 32 little-endian bytes.
void Pow(Fe o, const Fe a, const std::uint8_t* e) {
    Fe c, base;
    Copy(base, a);
    Set(c, 1);
    for (int bit = 255; bit >= 0; --bit) {
        Sq(c, c);
        if ((e[bit / 8] >> (bit % 8)) & 1) Mul(c, c, base);
    }
    Copy(o, c);
}

// 2^253 - 5 = (p - 1) / 4, p - 2, and 2^252 - 3 = (p - 5) / 8.
void Exponent(std::uint8_t* e, std::uint8_t low, std::uint8_t high) {
    std::memset(e, 0xff, 32);
    e[0] = low;
    e[31] = high;
}

void Invert(Fe o, const Fe a) {
    std::uint8_t e[32];
    Exponent(e, 0xeb, 0x7f);
    Pow(o, a, e);
}

struct Point {
    Fe x, y, z, t;
};

struct Constants {
    Fe d, d2, sqrtm1;
    Point base;
    Constants();
};

bool Decode(Point& p, const std::uint8_t* s, const Constants& k);

Constants::Constants() {
    // d = -121665 / 121666, sqrt(-1) = 2^((p - 1) / 4), the base point has
    // y = 4/5 and an even x.
    Fe num, den, inv;
    Set(num, 0);
    Fe k;
    Set(k, 121665);
    Sub(num, num, k);
    Set(den, 121666);
    Invert(inv, den);
    Mul(d, num, inv);
    Add(d2, d, d);
    Fe two;
    Set(two, 2);
    std::uint8_t e[32];
    Exponent(e, 0xfb, 0x1f);
    Pow(sqrtm1, two, e);
}

const Constants& K() {
    static const Constants* k = [] {
        auto* c = new Constants();
        std::uint8_t b[32];
        std::memset(b, 0x66, 32);
        b[0] = 0x58;
        Decode(c->base, b, *c);
        return c;
    }();
    return *k;
}

void PointAdd(Point& p, const Point& q) {
    const Constants& k = K();
    Fe a, b, c, d, t, e, f, g, h;
    Sub(a, p.y, p.x);
    Sub(t, q.y, q.x);
    Mul(a, a, t);
    Add(b, p.x, p.y);
    Add(t, q.x, q.y);
    Mul(b, b, t);
    Mul(c, p.t, q.t);
    Mul(c, c, k.d2);
    Mul(d, p.z, q.z);
    Add(d, d, d);
    Sub(e, b, a);
    Sub(f, d, c);
    Add(g, d, c);
    Add(h, b, a);
    Mul(p.x, e, f);
    Mul(p.y, h, g);
    Mul(p.z, g, f);
    Mul(p.t, e, h);
}

void Identity(Point& p) {
    Set(p.x, 0);
    Set(p.y, 1);
    Set(p.z, 1);
    Set(p.t, 0);
}

// [s]q, s given as 32 little-endian bytes.
void ScalarMul(Point& r, const Point& q, const std::uint8_t* s) {
    Point acc;
    Identity(acc);
    for (int bit = 255; bit >= 0; --bit) {
        Point dbl = acc;
        PointAdd(acc, dbl);
        if ((s[bit / 8] >> (bit % 8)) & 1) PointAdd(acc, q);
    }
    r = acc;
}

void Encode(std::uint8_t* r, const Point& p) {
    Fe zi, tx, ty;
    Invert(zi, p.z);
    Mul(tx, p.x, zi);
    Mul(ty, p.y, zi);
    Pack(r, ty);
    r[31] ^= static_cast<std::uint8_t>(Parity(tx) << 7);
}

// RFC 8032 section 5.1.3, strict: y must be below p, and x = 0 with the
// sign bit set is refused.
bool Decode(Point& p, const std::uint8_t* s, const Constants& k) {
    Unpack(p.y, s);
    std::uint8_t back[32];
    Pack(back, p.y);
    back[31] |= s[31] & 0x80;
    if (std::memcmp(back, s, 32) != 0) return false;  // y >= p
    Set(p.z, 1);
    Fe u, v, v3, v7, x, chk;
    Sq(u, p.y);
    Mul(v, u, k.d);
    Sub(u, u, p.z);  // u = y^2 - 1
    Add(v, v, p.z);  // v = d y^2 + 1
    Sq(v3, v);
    Mul(v3, v3, v);  // v^3
    Sq(v7, v3);
    Mul(v7, v7, v);  // v^7
    Mul(x, v7, u);
    std::uint8_t e[32];
    Exponent(e, 0xfd, 0x0f);
    Pow(x, x, e);
    Mul(x, x, v3);
    Mul(x, x, u);  // x = u v^3 (u v^7)^((p-5)/8)
    Sq(chk, x);
    Mul(chk, chk, v);
    if (!Equal(chk, u)) {
        Mul(x, x, k.sqrtm1);
        Sq(chk, x);
        Mul(chk, chk, v);
        if (!Equal(chk, u)) return false;  // no square root: not a point
    }
    const int sign = s[31] >> 7;
    if (IsZero(x) && sign == 1) return false;
    if (Parity(x) != sign) {
        Fe zero = {};
        Sub(x, zero, x);
    }
    Copy(p.x, x);
    Mul(p.t, p.x, p.y);
    return true;
}

// True when [8]p is the identity: p is one of the eight points of small order.
bool SmallOrder(const Point& p) {
    Point q = p;
    for (int i = 0; i < 3; ++i) {
        Point dbl = q;
        PointAdd(q, dbl);
    }
    return IsZero(q.x) && Equal(q.y, q.z);
}

const std::uint8_t kL[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7,
                             0xa2, 0xde, 0xf9, 0xde, 0x14, 0,    0,    0,    0,    0,    0,
                             0,    0,    0,    0,    0,    0,    0,    0,    0,    0x10};

bool BelowL(const std::uint8_t* s) {
    for (int i = 31; i >= 0; --i) {
        if (s[i] < kL[i]) return true;
        if (s[i] > kL[i]) return false;
    }
    return false;
}

// r = x mod L for a 64-byte little-endian x.
void ReduceModL(std::uint8_t* r, std::int64_t* x) {
    for (int i = 63; i >= 32; --i) {
        std::int64_t carry = 0;
        int j = i - 32;
        for (; j < i - 12; ++j) {
            x[j] += carry - 16 * x[i] * kL[j - (i - 32)];
            carry = (x[j] + 128) >> 8;
            x[j] -= carry * 256;
        }
        x[j] += carry;
        x[i] = 0;
    }
    std::int64_t carry = 0;
    for (int j = 0; j < 32; ++j) {
        x[j] += carry - (x[31] >> 4) * kL[j];
        carry = x[j] >> 8;
        x[j] &= 255;
    }
    for (int j = 0; j < 32; ++j) x[j] -= carry * kL[j];
    for (int i = 0; i < 32; ++i) {
        x[i + 1] += x[i] >> 8;
        r[i] = static_cast<std::uint8_t>(x[i] & 255);
    }
}

}  // namespace

bool Ed25519Verify(const std::uint8_t* sig, const std::uint8_t* msg, std::size_t len,
                   const std::uint8_t* pub) {
    if (!BelowL(sig + 32)) return false;
    Point a, r;
    if (!Decode(a, pub, K()) || SmallOrder(a)) return false;
    if (!Decode(r, sig, K()) || SmallOrder(r)) return false;

    Sha512 h;
    h.Update(sig, 32);
    h.Update(pub, 32);
    h.Update(msg, len);
    const Sha512::Digest digest = h.Final();
    std::int64_t wide[64];
    for (int i = 0; i < 64; ++i) wide[i] = digest[i];
    std::uint8_t k[32];
    ReduceModL(k, wide);

    // R' = [S]B - [k]A must encode as R, byte for byte.
    Point sb, ka;
    ScalarMul(sb, K().base, sig + 32);
    Fe zero = {};
    Sub(a.x, zero, a.x);
    Sub(a.t, zero, a.t);
    ScalarMul(ka, a, k);
    PointAdd(sb, ka);
    std::uint8_t check[32];
    Encode(check, sb);
    return std::memcmp(check, sig, 32) == 0;
}

// The signature primitives against published vectors and edge cases:
// Ed25519 against the reference implementation's sign.input (which opens
// with RFC 8032's TEST 1 to 3) and a table of encodings libsodium refuses;
// RSA PKCS#1 v1.5 against NIST's CAVP SigVer15 suite and a table of
// malformed signatures; the OpenPGP CRC-24, Base64 and armor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/ed25519.h"
#include "components/openpgp.h"
#include "components/rsa.h"
#include "components/sha.h"
#include "components/sha512.h"
#include "tests/vectors/ed25519_vectors.h"
#include "tests/vectors/rsa_sigver15_vectors.h"

namespace {

std::vector<std::uint8_t> FromHex(const std::string& h) {
    std::vector<std::uint8_t> v;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        v.push_back(static_cast<std::uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
    return v;
}

TEST(Ed25519, ReferenceVectorsVerifyAndAnyChangedByteDoesNot) {
    for (const auto& c : ed25519_vectors::kSignInput) {
        SCOPED_TRACE(c.pub);
        const auto pub = FromHex(c.pub);
        auto msg = FromHex(c.msg);
        auto sig = FromHex(c.sig);
        ASSERT_EQ(pub.size(), 32u);
        ASSERT_EQ(sig.size(), 64u);
        EXPECT_TRUE(Ed25519Verify(sig.data(), msg.data(), msg.size(), pub.data()));
        sig[5] ^= 0x01;  // in R
        EXPECT_FALSE(Ed25519Verify(sig.data(), msg.data(), msg.size(), pub.data()));
        sig[5] ^= 0x01;
        sig[40] ^= 0x10;  // in S
        EXPECT_FALSE(Ed25519Verify(sig.data(), msg.data(), msg.size(), pub.data()));
        sig[40] ^= 0x10;
        if (!msg.empty()) {
            msg[msg.size() / 2] ^= 0x80;
            EXPECT_FALSE(Ed25519Verify(sig.data(), msg.data(), msg.size(), pub.data()));
        }
    }
}

// Group order L, little-endian.
const char kL[] = "edd3f55c1a631258d69cf7a2def9de1400000000000000000000000000000010";

// Adds two 32-byte little-endian numbers (mod 2^256).
std::vector<std::uint8_t> AddLe(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    std::vector<std::uint8_t> r(32);
    unsigned carry = 0;
    for (int i = 0; i < 32; ++i) {
        const unsigned s = a[i] + b[i] + carry;
        r[i] = static_cast<std::uint8_t>(s);
        carry = s >> 8;
    }
    return r;
}

TEST(Ed25519, RefusesWhatLibsodiumRefuses) {
    // RFC 8032 TEST 1: empty message.
    const auto pub = FromHex(ed25519_vectors::kSignInput[0].pub);
    const auto sig = FromHex(ed25519_vectors::kSignInput[0].sig);
    ASSERT_TRUE(Ed25519Verify(sig.data(), nullptr, 0, pub.data()));
    const std::vector<std::uint8_t> s(sig.begin() + 32, sig.end());
    const std::vector<std::uint8_t> r(sig.begin(), sig.begin() + 32);
    auto withS = [&](const std::vector<std::uint8_t>& newS) {
        std::vector<std::uint8_t> x(r);
        x.insert(x.end(), newS.begin(), newS.end());
        return x;
    };
    auto withR = [&](const std::string& hexR) {
        std::vector<std::uint8_t> x = FromHex(hexR);
        x.insert(x.end(), s.begin(), s.end());
        return x;
    };
    const std::string identity = "0100000000000000000000000000000000000000000000000000000000000000";
    const std::string minusOne =
        "ecffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f";  // y = -1, order 2
    const std::string yIsP =
        "edffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f";  // y = p: not canonical
    const std::string yIsPPlus1 =
        "eeffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f";  // y = 1 + p
    const std::string zeroXSign =
        "0100000000000000000000000000000000000000000000000000000000000080";  // x = 0, sign 1
    const std::string notOnCurve =
        "0200000000000000000000000000000000000000000000000000000000000000";  // y = 2: no x
    struct Case {
        const char* name;
        std::vector<std::uint8_t> sig;
        std::vector<std::uint8_t> pub;
    };
    const Case cases[] = {
        {"S + L (the same point, S not reduced)", withS(AddLe(s, FromHex(kL))), pub},
        {"S = L", withS(FromHex(kL)), pub},
        {"S all ones", withS(std::vector<std::uint8_t>(32, 0xff)), pub},
        {"public key is the identity (small order)", sig, FromHex(identity)},
        {"public key of order 2", sig, FromHex(minusOne)},
        {"public key y = p, not canonical", sig, FromHex(yIsP)},
        {"public key y = p + 1, not canonical", sig, FromHex(yIsPPlus1)},
        {"public key x = 0 with the sign bit", sig, FromHex(zeroXSign)},
        {"public key not on the curve", sig, FromHex(notOnCurve)},
        {"R is the identity (small order)", withR(identity), pub},
        {"R of order 2", withR(minusOne), pub},
        {"R not canonical", withR(yIsPPlus1), pub},
        {"R not on the curve", withR(notOnCurve), pub},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Ed25519Verify(c.sig.data(), nullptr, 0, c.pub.data()));
    }
}

TEST(Ed25519, SmallOrderKeyWithIdentityRIsRefusedThoughTheEquationHolds) {
    // With A and R the identity and S = 0, [S]B = R + [k]A holds for every
    // message: a cofactorless check alone would take it; the small-order
    // rule refuses it.
    std::vector<std::uint8_t> a = FromHex("0100000000000000000000000000000000000000000000000000000000000000");
    std::vector<std::uint8_t> sig(64, 0);
    sig[0] = 1;
    const std::uint8_t msg[] = {'x'};
    EXPECT_FALSE(Ed25519Verify(sig.data(), msg, 1, a.data()));
}

std::vector<std::uint8_t> DigestOf(DigestKind kind, const std::vector<std::uint8_t>& m) {
    if (kind == DigestKind::SHA256) {
        Sha256 h;
        h.Update(m.data(), m.size());
        const auto d = h.Final();
        return {d.begin(), d.end()};
    }
    if (kind == DigestKind::SHA384) {
        Sha384 h;
        h.Update(m.data(), m.size());
        const auto d = h.Final();
        return {d.begin(), d.end()};
    }
    Sha512 h;
    h.Update(m.data(), m.size());
    const auto d = h.Final();
    return {d.begin(), d.end()};
}

DigestKind KindNamed(const std::string& name) {
    return name == "SHA256" ? DigestKind::SHA256 : name == "SHA384" ? DigestKind::SHA384 : DigestKind::SHA512;
}

RsaPublicKey KeyOf(const rsa_vectors::SigVerCase& c) {
    std::string e = c.e;
    if (e.size() % 2) e = "0" + e;
    return {FromHex(rsa_vectors::kModuli[c.modulus]), FromHex(e)};
}

TEST(Rsa, NistSigVer15CasesPassAndFailAsTheSuiteSays) {
    int passes = 0, fails = 0;
    for (const auto& c : rsa_vectors::kSigVer15) {
        SCOPED_TRACE(std::string(c.hash) + " " + c.result + " " + std::string(c.sig).substr(0, 16));
        const DigestKind kind = KindNamed(c.hash);
        const auto digest = DigestOf(kind, FromHex(c.msg));
        EXPECT_EQ(RsaPkcs1Verify(KeyOf(c), FromHex(c.sig), kind, digest.data(), digest.size()), c.pass);
        (c.pass ? passes : fails)++;
    }
    EXPECT_GT(passes, 0);
    EXPECT_GT(fails, 0);
}

TEST(Rsa, RefusesMalformedSignaturesOfAGoodCase) {
    const rsa_vectors::SigVerCase* good = nullptr;
    for (const auto& c : rsa_vectors::kSigVer15) {
        if (c.pass && std::string(c.hash) == "SHA256" &&
            std::string(rsa_vectors::kModuli[c.modulus]).size() == 512) {
            good = &c;
            break;
        }
    }
    ASSERT_NE(good, nullptr);
    const RsaPublicKey key = KeyOf(*good);
    const auto digest = DigestOf(DigestKind::SHA256, FromHex(good->msg));
    const auto sig = FromHex(good->sig);
    ASSERT_TRUE(RsaPkcs1Verify(key, sig, DigestKind::SHA256, digest.data(), digest.size()));
    // Leading zeros are how OpenPGP stores it: still good.
    std::vector<std::uint8_t> stripped(sig);
    while (!stripped.empty() && stripped[0] == 0) stripped.erase(stripped.begin());
    EXPECT_TRUE(RsaPkcs1Verify(key, stripped, DigestKind::SHA256, digest.data(), digest.size()));

    std::vector<std::uint8_t> longer(sig);
    longer.insert(longer.begin(), 0);
    std::vector<std::uint8_t> plusN = key.n;  // s + n: the same value mod n, out of range
    {
        unsigned carry = 0;
        for (std::size_t i = plusN.size(); i-- > 0;) {
            const unsigned v = plusN[i] + sig[i] + carry;
            plusN[i] = static_cast<std::uint8_t>(v);
            carry = v >> 8;
        }
        if (carry) plusN.insert(plusN.begin(), 1);
    }
    RsaPublicKey evenN = key;
    evenN.n.back() &= 0xfe;
    RsaPublicKey eOne = key;
    eOne.e = {1};
    RsaPublicKey small{std::vector<std::uint8_t>(key.n.begin(), key.n.begin() + 64), key.e};
    small.n.back() |= 1;
    struct Case {
        const char* name;
        RsaPublicKey key;
        std::vector<std::uint8_t> sig;
        DigestKind kind;
        std::size_t digestLen;
    };
    const Case cases[] = {
        {"one byte longer than the modulus", key, longer, DigestKind::SHA256, 32},
        {"the signature equals the modulus", key, key.n, DigestKind::SHA256, 32},
        {"the signature plus the modulus", key, plusN, DigestKind::SHA256, 32},
        {"zero", key, std::vector<std::uint8_t>(sig.size(), 0), DigestKind::SHA256, 32},
        {"one", key, std::vector<std::uint8_t>{1}, DigestKind::SHA256, 32},
        {"empty", key, {}, DigestKind::SHA256, 32},
        {"another digest kind", key, sig, DigestKind::SHA512, 32},
        {"SHA-1 is not accepted", key, sig, DigestKind::SHA1, 20},
        {"a short digest", key, sig, DigestKind::SHA256, 31},
        {"an even modulus", evenN, sig, DigestKind::SHA256, 32},
        {"e = 1", eOne, sig, DigestKind::SHA256, 32},
        {"a 512-bit modulus", small, sig, DigestKind::SHA256, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(RsaPkcs1Verify(c.key, c.sig, c.kind, digest.data(), c.digestLen));
    }
}

TEST(OpenPgpArmor, Crc24AndBase64) {
    EXPECT_EQ(pgp::Crc24(nullptr, 0), 0xB704CEu);
    const std::string check = "123456789";
    EXPECT_EQ(pgp::Crc24(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0x21CF02u);
    std::vector<std::uint8_t> out;
    struct Case {
        const char* in;
        bool ok;
        const char* bytes;
    };
    const Case cases[] = {
        {"", true, ""},
        {"Zg==", true, "f"},
        {"Zm8=", true, "fo"},
        {"Zm9v", true, "foo"},
        {"Zm9v\r\nYmFy", true, "foobar"},
        {"Zm9v!", false, ""},
        {"Zg==Zg", false, ""},
        {"Zh==", false, ""},
        {"Z", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(pgp::Base64Decode(c.in, out), c.ok);
        if (c.ok) {
            EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes);
        }
    }
}

TEST(OpenPgpArmor, ChecksumIsCheckedWhenPresent) {
    // "foobar" with its CRC-24.
    const std::vector<std::uint8_t> bytes = {'f', 'o', 'o', 'b', 'a', 'r'};
    const std::uint32_t crc = pgp::Crc24(bytes.data(), bytes.size());
    const std::uint8_t c[3] = {static_cast<std::uint8_t>(crc >> 16), static_cast<std::uint8_t>(crc >> 8),
                               static_cast<std::uint8_t>(crc)};
    static const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::uint32_t v = (std::uint32_t{c[0]} << 16) | (std::uint32_t{c[1]} << 8) | c[2];
    std::string crcText = "=";
    for (int shift = 18; shift >= 0; shift -= 6) crcText += kB64[(v >> shift) & 63];
    std::string wrong = crcText;
    wrong[1] = wrong[1] == 'A' ? 'B' : 'A';
    struct Case {
        std::string text;
        bool ok;
        const char* error;
    };
    const std::string head = "-----BEGIN PGP SIGNATURE-----\nComment: x\n\nZm9vYmFy\n";
    const std::string tail = "-----END PGP SIGNATURE-----\n";
    const Case cases[] = {
        {head + crcText + "\n" + tail, true, ""},
        {head + tail, true, ""},  // RFC 9580: the checksum is optional
        {head + wrong + "\n" + tail, false, "armor checksum (CRC-24) does not match"},
        {head + crcText + "\n", false, "armor without its END line"},
        {"-----BEGIN PGP SIGNATURE-----\n\nZm9v*mFy\n" + tail, false,
         "armor with a character that is not Base64"},
        {"no armor here\n", false, "no armored block"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        std::string label, error;
        std::vector<std::uint8_t> out;
        EXPECT_EQ(pgp::Dearmor(k.text, label, out, error), k.ok);
        EXPECT_EQ(error, k.error);
        if (k.ok) {
            EXPECT_EQ(label, "PGP SIGNATURE");
            EXPECT_EQ(out, bytes);
        }
    }
}

TEST(OpenPgpCleartext, CanonicalFormAndDashEscapes) {
    struct Case {
        const char* name;
        std::string file;
        std::string text;
        std::string canonical;
        bool outside;
    };
    const std::string sig = "-----BEGIN PGP SIGNATURE-----\n\nZm9v\n-----END PGP SIGNATURE-----\n";
    const std::string head = "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n";
    const Case cases[] = {
        {"plain", head + "a  x\nb\n" + sig, "a  x\nb\n", "a  x\r\nb", false},
        {"trailing blanks go", head + "a \t\nb  \n" + sig, "a \t\nb  \n", "a\r\nb", false},
        {"CR LF in", head + "a\r\nb\r\n" + sig, "a\nb\n", "a\r\nb", false},
        {"dash escapes", head + "- -----x\n- a\n-b\n" + sig, "-----x\na\n-b\n", "-----x\r\na\r\n-b", false},
        {"an empty last line is part of it", head + "a\n\n" + sig, "a\n\n", "a\r\n", false},
        {"text before", "1234  f\n" + head + "a\n" + sig, "a\n", "a", true},
        {"text after", head + "a\n" + sig + "1234  f\n", "a\n", "a", true},
        {"blank lines around", "\n" + head + "a\n" + sig + "\n\n", "a\n", "a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pgp::Cleartext ct;
        std::string error;
        ASSERT_TRUE(pgp::ParseCleartext(c.file, ct, error)) << error;
        EXPECT_EQ(ct.text, c.text);
        EXPECT_EQ(ct.canonical, c.canonical);
        EXPECT_EQ(ct.textOutside, c.outside);
        EXPECT_EQ(ct.signature, sig);
    }
    pgp::Cleartext ct;
    std::string error;
    EXPECT_FALSE(pgp::ParseCleartext(head + "a\n", ct, error));
    EXPECT_EQ(error, "clearsigned message without its signature");
    EXPECT_FALSE(pgp::ParseCleartext(head + "a\n-----BEGIN PGP SIGNATURE-----\n\nZm9v\n", ct, error));
    EXPECT_EQ(error, "clearsigned message with its signature cut short");
}

}  // namespace

// The checksum-file signature check against the real tools: gpg (RSA 3072
// and Ed25519 keys, a signing subkey, an expired and a revoked key;
// detached binary and armored signatures, clearsigned lists), minisign
// (prehashed and legacy) and signify-openbsd (-e, the list inside the
// signature). Keys and signatures are made at test time in a fresh
// temporary folder with its own GNUPGHOME by
// tests/fixtures/signing/make-signed-lists.sh; nothing signed is committed.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "components/sigverify.h"

namespace {

class SigTools : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char templ[] = "/tmp/vantrel-sigtools-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        const std::string cmd = std::string("bash ") + VANTREL_SIGNING_DIR "/make-signed-lists.sh " + dir_ +
                                " >" + dir_ + "/make.log 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << Read("make.log");
    }
    static void TearDownTestSuite() {
        const std::string cmd = "rm -rf " + dir_;
        (void)std::system(cmd.c_str());
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static TrustedKeys Keys(std::initializer_list<const char*> files) {
        TrustedKeys keys;
        for (const char* f : files) {
            std::string error;
            EXPECT_TRUE(keys.AddFile(Read(f), error)) << f << ": " << error;
        }
        return keys;
    }
    static std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }
    static std::string dir_;
};

std::string SigTools::dir_;

TEST_F(SigTools, GpgSignaturesByTrustedKeys) {
    const TrustedKeys keys = Keys({"release.gpg", "ed.asc", "sub.gpg"});
    const std::string list = Read("SHA256SUMS");
    struct Case {
        const char* sig;
        const char* signer;
        const char* algorithm;
    };
    const Case cases[] = {
        {"rsa.sig", "Example Release <release@example.org>", "RSA 3072"},
        {"rsa.asc.sig", "Example Release <release@example.org>", "RSA 3072"},
        {"sha512.sig", "Example Release <release@example.org>", "RSA 3072"},
        {"ed.sig", "Ed Release <ed@example.org>", "Ed25519"},
        {"ed.asc.sig", "Ed Release <ed@example.org>", "Ed25519"},
        {"sub.sig", "Sub Release <sub@example.org>", "Ed25519"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sig);
        const SigVerdict v = VerifyListSignature(list, Read(c.sig), keys, Now());
        EXPECT_EQ(v.status, SigStatus::Good) << SigVerdictText(v);
        EXPECT_EQ(v.signer, c.signer);
        EXPECT_EQ(v.algorithm, c.algorithm);
        EXPECT_EQ(v.keyId.size(), 18u);
        EXPECT_GT(v.signedAt, 1600000000);
        EXPECT_EQ(SigVerdictText(v).rfind(
                      std::string("Good signature from \"") + c.signer + "\" (" + c.algorithm + " key 0x", 0),
                  0u)
            << SigVerdictText(v);
    }
}

TEST_F(SigTools, AChangedListIsBadEvenByBlanksOrLineEnds) {
    const TrustedKeys keys = Keys({"release.gpg", "ed.gpg"});
    const std::string list = Read("SHA256SUMS");
    std::string oneByte = list;
    oneByte[10] = oneByte[10] == 'a' ? 'b' : 'a';
    std::string blanks = list;
    blanks.insert(blanks.find('\n'), "  ");
    std::string crlf;
    for (char c : list) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const char* sig : {"rsa.sig", "ed.asc.sig"}) {
        for (const std::string* changed : {&oneByte, &blanks, &crlf}) {
            SCOPED_TRACE(std::string(sig) + " over " + *changed);
            const SigVerdict v = VerifyListSignature(*changed, Read(sig), keys, Now());
            EXPECT_EQ(v.status, SigStatus::Bad);
            EXPECT_EQ(SigVerdictText(v).rfind("BAD signature", 0), 0u);
            EXPECT_TRUE(SigStatusFails(v.status));
        }
    }
}

TEST_F(SigTools, ClearsignedLists) {
    const TrustedKeys keys = Keys({"release.asc", "ed.gpg"});
    const std::string list = Read("SHA256SUMS");
    for (const char* file : {"rsa.clear", "ed.clear"}) {
        SCOPED_TRACE(file);
        const std::string clear = Read(file);
        SigVerdict v = VerifyListSignature(clear, "", keys, Now());
        EXPECT_EQ(v.status, SigStatus::Good) << SigVerdictText(v);
        EXPECT_TRUE(v.hasSignedText);
        EXPECT_EQ(v.signedText, list);
        EXPECT_FALSE(v.textOutsideSigned);

        // Trailing blanks and CR LF are outside the canonical form: still good.
        std::string blanks = clear;
        blanks.insert(blanks.find("  empty.txt") + 11, " \t");
        std::string crlf;
        for (char c : clear) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::string* same : {&blanks, &crlf}) {
            v = VerifyListSignature(*same, "", keys, Now());
            EXPECT_EQ(v.status, SigStatus::Good) << SigVerdictText(v);
        }
        // One byte of a digest changed: bad.
        std::string changed = clear;
        const std::size_t at = changed.find("e3b0c442");
        changed[at] = 'f';
        v = VerifyListSignature(changed, "", keys, Now());
        EXPECT_EQ(v.status, SigStatus::Bad);

        // Lines outside the signed part are neither signed nor checked.
        const std::string outside =
            "0000000000000000000000000000000000000000000000000000000000000000  evil.exe\n";
        v = VerifyListSignature(outside + clear + outside, "", keys, Now());
        EXPECT_EQ(v.status, SigStatus::Good);
        EXPECT_TRUE(v.textOutsideSigned);
        EXPECT_EQ(v.signedText, list);
        EXPECT_NE(SigVerdictText(v).find("text outside the signed part is not signed and not checked"),
                  std::string::npos);
    }
}

TEST_F(SigTools, UnknownKeysAreNamedNeverTrusted) {
    const TrustedKeys keys = Keys({"ed.gpg", "mini.pub"});
    const std::string list = Read("SHA256SUMS");
    SigVerdict v = VerifyListSignature(list, Read("rsa.sig"), keys, Now());
    EXPECT_EQ(v.status, SigStatus::UnknownKey);
    EXPECT_EQ(v.keyId.size(), 18u);
    EXPECT_EQ(SigVerdictText(v), "signed by unknown key " + v.keyId);
    EXPECT_FALSE(SigStatusFails(v.status));
    const TrustedKeys other = Keys({"other.pub"});
    v = VerifyListSignature(list, Read("mini.minisig"), other, Now());
    EXPECT_EQ(v.status, SigStatus::UnknownKey);
    v = VerifyListSignature(list, "", keys, Now());
    EXPECT_EQ(v.status, SigStatus::NotSigned);
    EXPECT_EQ(SigVerdictText(v), "not signed");
}

TEST_F(SigTools, WeakRevokedExpiredAndFutureAreRefused) {
    const std::string list = Read("SHA256SUMS");
    struct Case {
        const char* key;
        const char* sig;
        SigStatus status;
        const char* reason;
        const char* note;
    };
    const Case cases[] = {
        {"release.gpg", "sha1.sig", SigStatus::Weak, "signed with SHA-1, which is too weak", ""},
        {"small.gpg", "small.sig", SigStatus::Weak, "RSA key of 1024 bits is too weak", ""},
        {"revoked-now.gpg", "revoked.sig", SigStatus::Revoked, "the key is revoked", ""},
        {"revoked.gpg", "revoked.sig", SigStatus::Good, "", ""},  // the revocation is not in this file
        {"ed.gpg", "future.sig", SigStatus::Future,
         "the signature was made in the future (2099-01-01 00:00:0", ""},
        {"old-expiring.gpg", "old-after.sig", SigStatus::Expired,
         "the key had expired before the signature was made", ""},
        {"old-expiring.gpg", "old-before.sig", SigStatus::Good, "",
         "the key has expired since it made the signature"},
        {"old.gpg", "old-after.sig", SigStatus::Good, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.sig);
        const SigVerdict v = VerifyListSignature(list, Read(c.sig), Keys({c.key}), Now());
        EXPECT_EQ(v.status, c.status) << SigVerdictText(v);
        EXPECT_EQ(v.reason.substr(0, std::string(c.reason).size()), c.reason);
        EXPECT_EQ(v.note, c.note);
    }
}

TEST_F(SigTools, AKeyWhoseSelfSignatureFailsIsNotUsed) {
    std::string key = Read("ed.gpg");
    const std::size_t at = key.find("Ed Release");
    ASSERT_NE(at, std::string::npos);
    key[at] = 'F';
    TrustedKeys keys;
    std::string error;
    ASSERT_TRUE(keys.AddFile(key, error)) << error;
    const SigVerdict v = VerifyListSignature(Read("SHA256SUMS"), Read("ed.sig"), keys, Now());
    EXPECT_EQ(v.status, SigStatus::KeyInvalid);
    EXPECT_EQ(v.reason, "the key's self-signature does not verify");
}

TEST_F(SigTools, AKeyWithAThousandUserIdsIsJudgedInBoundedTime) {
    // The primary key packet, then 1,000 user IDs, each with the first user
    // ID's self-signature, which does not cover them.
    const std::string key = Read("ed.gpg");
    // Old-format or new-format headers: gpg writes old-format ones for keys.
    std::string out;
    std::size_t pos = 0;
    std::string primary, uid, sig;
    while (pos < key.size()) {
        const unsigned char h = static_cast<unsigned char>(key[pos]);
        std::size_t hl, len;
        if (h & 0x40) {
            const unsigned char o = static_cast<unsigned char>(key[pos + 1]);
            ASSERT_LT(o, 192);
            hl = 2, len = o;
        } else if ((h & 3) == 0) {
            hl = 2, len = static_cast<unsigned char>(key[pos + 1]);
        } else {
            ASSERT_EQ(h & 3, 1);
            hl = 3,
            len = (static_cast<unsigned char>(key[pos + 1]) << 8) | static_cast<unsigned char>(key[pos + 2]);
        }
        const int tag = (h & 0x40) ? (h & 0x3f) : ((h >> 2) & 15);
        const std::string packet = key.substr(pos, hl + len);
        if (tag == 6) primary = packet;
        if (tag == 13 && uid.empty()) uid = packet;
        if (tag == 2 && sig.empty() && !uid.empty()) sig = packet;
        pos += hl + len;
    }
    ASSERT_FALSE(primary.empty() || uid.empty() || sig.empty());
    out = primary;
    for (int i = 0; i < 1000; ++i) {
        std::string u = uid;
        u[u.size() - 2] = static_cast<char>('A' + i % 26);
        out += u + sig;
    }
    TrustedKeys keys;
    std::string error;
    ASSERT_TRUE(keys.AddFile(out, error)) << error;
    const auto start = std::chrono::steady_clock::now();
    const SigVerdict v = VerifyListSignature(Read("SHA256SUMS"), Read("ed.sig"), keys, Now());
    EXPECT_EQ(v.status, SigStatus::KeyInvalid) << SigVerdictText(v);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(SigTools, MinisignPrehashedAndLegacyWithTheTrustedComment) {
    const TrustedKeys keys = Keys({"mini.pub"});
    const std::string list = Read("SHA256SUMS");
    struct Case {
        const char* sig;
        const char* comment;
    };
    for (const Case& c :
         {Case{"mini.minisig", "release 1.0"}, Case{"mini-legacy.minisig", "release 1.0 legacy"}}) {
        SCOPED_TRACE(c.sig);
        const std::string sig = Read(c.sig);
        SigVerdict v = VerifyListSignature(list, sig, keys, Now());
        EXPECT_EQ(v.status, SigStatus::Good) << SigVerdictText(v);
        EXPECT_EQ(v.trustedComment, c.comment);
        EXPECT_NE(SigVerdictText(v).find(std::string("trusted comment: ") + c.comment), std::string::npos);
        std::string changed = list;
        changed[0] ^= 1;
        EXPECT_EQ(VerifyListSignature(changed, sig, keys, Now()).status, SigStatus::Bad);
        std::string comment = sig;
        comment.replace(comment.find(c.comment), 7, "RELEASE");
        v = VerifyListSignature(list, comment, keys, Now());
        EXPECT_EQ(v.status, SigStatus::Bad);
        EXPECT_EQ(v.reason, "the trusted comment does not match its signature");
    }
}

TEST_F(SigTools, SignifyWithTheListInsideAndDetached) {
    const TrustedKeys keys = Keys({"signify.pub"});
    const std::string list = Read("SHA256SUMS");
    SigVerdict v = VerifyListSignature("", Read("SHA256.sig"), keys, Now());
    EXPECT_EQ(v.status, SigStatus::Good) << SigVerdictText(v);
    EXPECT_TRUE(v.hasSignedText);
    EXPECT_EQ(v.signedText, list);
    v = VerifyListSignature(list, Read("detached.sig"), keys, Now());
    EXPECT_EQ(v.status, SigStatus::Good) << SigVerdictText(v);
    std::string changed = Read("SHA256.sig");
    changed[changed.size() - 3] ^= 1;
    EXPECT_EQ(VerifyListSignature("", changed, keys, Now()).status, SigStatus::Bad);
}

TEST_F(SigTools, DamagedSignatureFilesGiveAVerdict) {
    const TrustedKeys keys = Keys({"release.gpg", "ed.gpg"});
    const std::string list = Read("SHA256SUMS");
    const std::string bin = Read("rsa.sig");
    std::string armored = Read("ed.asc.sig");
    std::string wrongCrc = armored;
    const std::size_t crc = wrongCrc.find("\n=");
    ASSERT_NE(crc, std::string::npos);
    wrongCrc[crc + 2] = wrongCrc[crc + 2] == 'A' ? 'B' : 'A';
    std::string huge = "\xC2\xFF\xFF\xFF\xFF\xFF";  // new format, tag 2, 4 GiB - 1
    std::string manyPackets;
    for (int i = 0; i < 10000; ++i) manyPackets += std::string("\xC2\x00", 2);  // empty signature packets
    std::string nested;
    for (int i = 0; i < 10000; ++i) nested = "\xC8" + nested;  // compressed packets in a row
    const std::string compressed = std::string("\xC8\x03\x01\x00\x00", 5);
    struct Case {
        const char* name;
        std::string sig;
        const char* reason;
    };
    const Case cases[] = {
        {"wrong CRC-24", wrongCrc, "armor checksum (CRC-24) does not match"},
        {"truncated", bin.substr(0, bin.size() / 2), "truncated packet (its length runs past the end)"},
        {"truncated header", bin.substr(0, 1), "truncated packet header"},
        {"4 GiB length", huge, "truncated packet (its length runs past the end)"},
        {"10,000 packets", manyPackets, "too many packets"},
        {"10,000 nested compressed packets", nested, "compressed packets are not read"},
        {"a compressed packet", compressed, "compressed packets are not read"},
        {"not a packet", "hello", "not an OpenPGP packet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SigVerdict v = VerifyListSignature(list, c.sig, keys, Now());
        EXPECT_EQ(v.status, SigStatus::Bad);
        EXPECT_EQ(v.reason, c.reason);
    }
}

}  // namespace

namespace {

TEST(SigCheckLine, OneLinePerListAndWhatFailsTheRun) {
    SigVerdict good;
    good.status = SigStatus::Good;
    good.signer = "Example Release <release@example.org>";
    good.algorithm = "RSA 3072";
    good.keyId = "0x1234567890ABCDEF";
    SigVerdict bad = good;
    bad.status = SigStatus::Bad;
    bad.reason = "the signature does not match the file";
    SigVerdict unknown;
    unknown.status = SigStatus::UnknownKey;
    unknown.keyId = "0x1234567890ABCDEF";
    const SigVerdict none;
    SigVerdict evil = good;
    evil.signer = "Evil\r\nSHA256SUMS: Good signature";
    struct Case {
        const SigVerdict* v;
        bool asked;
        const char* line;
        bool fails;
        bool failsRequired;
    };
    const Case cases[] = {
        {&good, false,
         "SHA256SUMS: Good signature from \"Example Release <release@example.org>\" (RSA 3072 key "
         "0x1234567890ABCDEF)\r\n",
         false, false},
        {&bad, false,
         "SHA256SUMS: BAD signature (RSA 3072 key 0x1234567890ABCDEF): the signature does not match the "
         "file\r\n",
         true, true},
        {&unknown, false, "SHA256SUMS: signed by unknown key 0x1234567890ABCDEF\r\n", false, true},
        {&none, false, "", false, true},
        {&none, true, "SHA256SUMS: not signed\r\n", false, true},
        {&evil, false,
         "SHA256SUMS: Good signature from \"Evil  SHA256SUMS: Good signature\" (RSA 3072 key "
         "0x1234567890ABCDEF)\r\n",
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SigCheckLine("SHA256SUMS", *c.v, c.asked), c.line);
        EXPECT_EQ(SigVerdictFailsRun(*c.v, false), c.fails);
        EXPECT_EQ(SigVerdictFailsRun(*c.v, true), c.failsRequired);
    }
}

}  // namespace

namespace {

// Keys and signatures in the newer Ed25519 encoding (algorithm 27), v4 and
// salted v6, made at test time by tests/fixtures/signing/make-native-ed25519.py.
class NativeEd25519 : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/vantrel-native-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        const std::string cmd =
            std::string("python3 ") + VANTREL_SIGNING_DIR + "/make-native-ed25519.py " + dir_;
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    void TearDown() override { (void)std::system(("rm -rf " + dir_).c_str()); }
    std::string Read(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir_;
};

TEST_F(NativeEd25519, V4AndV6SignaturesVerifyAndAChangedListDoesNot) {
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + 5;
    for (const char* v : {"v4", "v6"}) {
        SCOPED_TRACE(v);
        TrustedKeys keys;
        std::string error;
        ASSERT_TRUE(keys.AddFile(Read(std::string(v) + ".key"), error)) << error;
        const std::string list = Read("list");
        const std::string sig = Read(std::string(v) + ".sig");
        SigVerdict r = VerifyListSignature(list, sig, keys, now);
        EXPECT_EQ(r.status, SigStatus::Good) << SigVerdictText(r);
        EXPECT_EQ(r.algorithm, "Ed25519");
        EXPECT_EQ(r.signer, std::string("Native ") + v + " <" + v + "@example.org>");
        std::string changed = list;
        changed[0] ^= 1;
        r = VerifyListSignature(changed, sig, keys, now);
        EXPECT_EQ(r.status, SigStatus::Bad) << SigVerdictText(r);
        // The salt is hashed: a changed salt byte is a bad signature too.
        if (std::string(v) == "v6") {
            std::string salted = sig;
            salted[salted.size() - 64 - 1] ^= 1;
            EXPECT_EQ(VerifyListSignature(list, salted, keys, now).status, SigStatus::Bad);
        }
    }
}

}  // namespace

namespace {

TEST_F(NativeEd25519, AKeyThatMayNotSignIsSelfSignedBySha1OrTooLargeIsRefused) {
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + 5;
    struct Case {
        const char* name;
        SigStatus status;
        const char* reason;
    };
    const Case cases[] = {
        {"certonly", SigStatus::KeyInvalid, "the key is not allowed to sign"},
        {"sha1self", SigStatus::Weak, "the key's self-signature uses SHA-1 or MD5, which is too weak"},
        {"rsa4608", SigStatus::Unsupported, "RSA key of 4608 bits is larger than the 4096 verified"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrustedKeys keys;
        std::string error;
        ASSERT_TRUE(keys.AddFile(Read(std::string(c.name) + ".key"), error)) << error;
        const SigVerdict r = VerifyListSignature(Read("list"), Read(std::string(c.name) + ".sig"), keys, now);
        EXPECT_EQ(r.status, c.status) << SigVerdictText(r);
        EXPECT_EQ(r.reason, c.reason);
    }
}

}  // namespace

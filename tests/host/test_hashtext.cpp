// Reading published hashes: the lines of checksum files in every form, the
// text the user copied, and comparing either with the rows.
#include <gtest/gtest.h>

#include <string>

#include "components/hashtext.h"

namespace {

const char kMd5[] = "0cc175b9c0f1b6a831c399e269772661";
const char kSha1[] = "a9993e364706816aba3e25717850c26c9cd0d89d";
const char kSha256[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST(FindHash, KindsAndForms) {
    struct Case {
        std::string text;
        DigestKind kind;
        std::string found;
    };
    const std::string md5 = kMd5, sha1 = kSha1, sha256 = kSha256;
    const std::string bom = "\xEF\xBB\xBF";
    const Case cases[] = {
        {md5, DigestKind::MD5, Upper(md5)},
        {Upper(md5), DigestKind::MD5, Upper(md5)},
        {"  \t" + md5 + "\r\n", DigestKind::MD5, Upper(md5)},
        {md5 + "  setup.exe", DigestKind::MD5, Upper(md5)},
        {md5 + " *setup.exe\n", DigestKind::MD5, Upper(md5)},
        {md5 + "\tfile name with blanks.zip", DigestKind::MD5, Upper(md5)},
        {"MD5: " + md5, DigestKind::MD5, Upper(md5)},
        {"md5:" + md5, DigestKind::MD5, Upper(md5)},
        {"SHA-1: " + sha1, DigestKind::SHA1, Upper(sha1)},
        {sha1 + "  a.iso", DigestKind::SHA1, Upper(sha1)},
        {"SHA256 : " + Upper(sha256), DigestKind::SHA256, Upper(sha256)},
        {sha256 + "  vantrel.zip\n", DigestKind::SHA256, Upper(sha256)},
        {"cbf43926", DigestKind::CRC32, "CBF43926"},
        {"CRC32: CBF43926  test.bin", DigestKind::CRC32, "CBF43926"},
        {"4294967295", DigestKind::CRC32, "4294967295"},
        {"12345678", DigestKind::CRC32, "12345678"},  // both hex and decimal
        {"0", DigestKind::CRC32, "0"},
        // A byte-order mark in front, as some editors copy it.
        {bom + md5, DigestKind::MD5, Upper(md5)},
        {bom + "  SHA-256: " + sha256 + "\r\n", DigestKind::SHA256, Upper(sha256)},
        // "0x" in front of the digits.
        {"0x" + md5, DigestKind::MD5, Upper(md5)},
        {"0X" + Upper(sha256), DigestKind::SHA256, Upper(sha256)},
        {"0x" + md5.substr(0, 8), DigestKind::CRC32, Upper(md5.substr(0, 8))},
        {"0x1a2b", DigestKind::CRC32, "1A2B"},  // a CRC-32 without its leading zeros
        {"CRC32: 0xCBF43926", DigestKind::CRC32, "CBF43926"},
        // The BSD tag form, as md5 and sha256sum --tag print it.
        {"MD5 (file) = " + md5, DigestKind::MD5, Upper(md5)},
        {"SHA256 (my file (1).iso) = " + sha256, DigestKind::SHA256, Upper(sha256)},
        {"SHA1 (a) = " + sha1 + "\n", DigestKind::SHA1, Upper(sha1)},
        {"MD5(file)= " + md5, DigestKind::MD5, Upper(md5)},
        {"SHA2-256(file)= " + sha256, DigestKind::SHA256, Upper(sha256)},
        {"SHA2-256: " + sha256, DigestKind::SHA256, Upper(sha256)},
        // A checksum file's escaped line.
        {"\\" + md5 + "  a\\nb", DigestKind::MD5, Upper(md5)},
        // Labels that name the kind of the digits, or none.
        {"SHA-256 hash: " + sha256, DigestKind::SHA256, Upper(sha256)},
        {"sha256sum: " + sha256, DigestKind::SHA256, Upper(sha256)},
        {"MD5 checksum: " + md5, DigestKind::MD5, Upper(md5)},
        {"Checksum: " + sha1, DigestKind::SHA1, Upper(sha1)},
        {"SHA: " + sha1, DigestKind::SHA1, Upper(sha1)},
        {"SHA: " + sha256, DigestKind::SHA256, Upper(sha256)},
        {"CRC-32: 2936552237", DigestKind::CRC32, "2936552237"},
        // Not one hash.
        {"", DigestKind::None, ""},
        {"   \r\n", DigestKind::None, ""},
        {bom, DigestKind::None, ""},
        {"hello world", DigestKind::None, ""},
        {"4294967296", DigestKind::None, ""},   // decimal beyond 32 bits, 10 digits
        {"12345678901", DigestKind::None, ""},  // 11 digits
        {md5.substr(0, 31), DigestKind::None, ""},
        {md5 + "0", DigestKind::None, ""},
        {md5 + "g", DigestKind::None, ""},
        {"0x" + md5.substr(0, 9), DigestKind::None, ""},
        {"0x", DigestKind::None, ""},
        {"0x 1234", DigestKind::None, ""},
        {md5 + "\n" + md5, DigestKind::None, ""},  // two lines
        {md5 + "  a.txt\n" + sha1 + "  b.txt", DigestKind::None, ""},
        {"see " + md5, DigestKind::None, ""},
        {"http://x/" + md5, DigestKind::None, ""},
        {": " + md5, DigestKind::None, ""},
        {"12:34", DigestKind::None, ""},
        {"-" + md5, DigestKind::None, ""},
        // A label that contradicts the length, or names a kind not computed here.
        {"SHA-256: " + md5, DigestKind::None, ""},
        {"MD5: " + sha1, DigestKind::None, ""},
        {"SHA-1: " + sha256, DigestKind::None, ""},
        {"CRC32: " + md5, DigestKind::None, ""},
        {"SHA: " + md5, DigestKind::None, ""},
        {"MD5: 12345", DigestKind::None, ""},
        {"SHA-512: " + sha256, DigestKind::None, ""},
        {"SHA3-256: " + sha256, DigestKind::None, ""},
        {"BLAKE2s: " + sha256, DigestKind::None, ""},
        {"xxHash64: " + md5.substr(0, 16), DigestKind::None, ""},
        {"CRC32C: cbf43926", DigestKind::None, ""},
        {"MD5 SHA-1: " + md5, DigestKind::None, ""},
        {"SHA512 (file) = " + sha256, DigestKind::None, ""},
        {"MD5 (file) = " + sha1, DigestKind::None, ""},
        {"SHA256 (file) = ", DigestKind::None, ""},
        {"SHA2-256(file)= " + md5, DigestKind::None, ""},
        {"SHA2-512: " + sha256, DigestKind::None, ""},
    };
    for (const auto& c : cases) {
        const FoundHash h = FindHash(c.text);
        EXPECT_EQ(h.kind, c.kind) << '"' << c.text << '"';
        EXPECT_EQ(h.text, c.found) << '"' << c.text << '"';
    }
}

// The wider kinds on the clipboard, read by the same rules as a checksum
// file's lines: labels, tag lines of every kind and length, base64 values as
// `cksum --base64` writes them; a tag of an algorithm not computed here gives
// no hash.
TEST(FindHash, TheWiderKindsInEveryForm) {
    const std::string sha256 = kSha256;
    const std::string sha512 =
        "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
        "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f";
    const std::string sha384 =
        "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7";
    const struct {
        std::string text;
        DigestKind kind;
        std::string found;
    } cases[] = {
        {"SHA-512: " + sha512, DigestKind::SHA512, Upper(sha512)},
        {"sha512sum: " + Upper(sha512), DigestKind::SHA512, Upper(sha512)},
        {sha512 + "  release.iso", DigestKind::SHA512, Upper(sha512)},
        {"SHA-384: " + sha384, DigestKind::SHA384, Upper(sha384)},
        {"SHA512 (release.iso) = " + sha512, DigestKind::SHA512, Upper(sha512)},
        {"SHA2-512(release.iso)= " + sha512, DigestKind::SHA512, Upper(sha512)},
        {"SHA384 (a) = " + sha384, DigestKind::SHA384, Upper(sha384)},
        {"BLAKE2b (release.iso) = " + sha512, DigestKind::BLAKE2b, Upper(sha512)},
        {"BLAKE2b-256 (release.iso) = " + sha256, DigestKind::BLAKE2b, Upper(sha256)},
        {"BLAKE2b: " + sha512, DigestKind::BLAKE2b, Upper(sha512)},
        {"BLAKE3 (release.iso) = " + sha256, DigestKind::BLAKE3, Upper(sha256)},
        {"BLAKE3: " + sha256, DigestKind::BLAKE3, Upper(sha256)},
        // Base64 in a tag line.
        {"SHA256 (a) = ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=", DigestKind::SHA256, Upper(sha256)},
        {"SHA512 (a) = "
         "3a81oZNherrMQXNJriBBMRLm+k6JqX6iCp7u5ktV05ohkpkqJ0/BqDa6PCOj/uu9RU1EI2Q86A4qmslPpUyknw==",
         DigestKind::SHA512, Upper(sha512)},
        // Lengths that do not fit the tag, and tags of other algorithms.
        {"SHA-512: " + sha384, DigestKind::None, ""},
        {"BLAKE2b (a) = " + sha256, DigestKind::None, ""},
        {"BLAKE2b-256 (a) = " + sha512, DigestKind::None, ""},
        {"BLAKE3 (a) = " + sha512, DigestKind::None, ""},
        {"SHA3-256 (a) = " + sha256, DigestKind::None, ""},
        {"SM3 (a) = " + sha256, DigestKind::None, ""},
        {"SHA256 (a) = ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0", DigestKind::None, ""},
    };
    for (const auto& c : cases) {
        const FoundHash h = FindHash(c.text);
        EXPECT_EQ(c.kind, h.kind) << '"' << c.text << '"';
        EXPECT_EQ(c.found, h.text) << '"' << c.text << '"';
        EXPECT_EQ(c.kind != DigestKind::None, h.isHex) << '"' << c.text << '"';
    }
}

// b3sum and b2sum write no tag: a bare hash of 64 or 128 digits, or such a
// line, may be BLAKE3 or BLAKE2b as well; a label or tag that names the kind
// leaves no doubt.
TEST(FindHash, ABareHashOfAnAmbiguousLengthNamesTheOtherKindItMayBe) {
    const std::string h64 = kSha256, h128 = std::string(kSha256) + kSha256;
    const struct {
        std::string text;
        DigestKind kind, also;
    } cases[] = {
        {h64, DigestKind::SHA256, DigestKind::BLAKE3},
        {h64 + "  release.iso", DigestKind::SHA256, DigestKind::BLAKE3},
        {"\\" + h64 + "  new\\nline", DigestKind::SHA256, DigestKind::BLAKE3},
        {"Checksum: " + h64, DigestKind::SHA256, DigestKind::BLAKE3},
        {h128, DigestKind::SHA512, DigestKind::BLAKE2b},
        {"SHA-256: " + h64, DigestKind::SHA256, DigestKind::None},
        {"SHA256 (a) = " + h64, DigestKind::SHA256, DigestKind::None},
        {"BLAKE3: " + h64, DigestKind::BLAKE3, DigestKind::None},
        {"SHA: " + h128, DigestKind::SHA512, DigestKind::None},
        {std::string(kMd5), DigestKind::MD5, DigestKind::None},
    };
    for (const auto& c : cases) {
        const FoundHash h = FindHash(c.text);
        EXPECT_EQ(c.kind, h.kind) << c.text;
        EXPECT_EQ(c.also, h.alsoKind) << c.text;
    }
}

TEST(FindHash, CrcAgainstTheRow) {
    // The row shows the complement of the usual CRC-32. For "hello world\n"
    // the usual CRC-32 is AF083B2D (2936552237), the row 1358415058
    // (50F7C4D2): each of the four is a match, in either notation.
    struct Case {
        const char* clip;
        const char* row;
        bool matches;
    };
    const Case cases[] = {
        {"af083b2d", "1358415058", true},    // the usual CRC-32 in hex
        {"2936552237", "1358415058", true},  // the same value in decimal
        {"1358415058", "1358415058", true},  // the row's value in decimal
        {"50f7c4d2", "1358415058", true},    // the row's value in hex
        {"0xAF083B2D", "1358415058", true},
        {"af083b2e", "1358415058", false},
        {"2936552238", "1358415058", false},
        {"CBF43926", "873187033", true},
        {"cbf43926  check.txt", "873187033", true},
        {"873187033", "873187033", true},
        {"0873187033", "873187033", true},
        {"CBF43927", "873187033", false},
        {"873187034", "873187033", false},
        {"FFFFFFFF", "0", true},
        {"00000000", "4294967295", true},
        {"4294967295", "4294967295", true},
        {"00000000", "0", true},
        {"0x1", "4294967294", true},  // usual CRC-32 1 without its zeros
        {"CBF43926", "", false},
        {"CBF43926", "abc", false},
        {"CBF43926", "99999999999", false},
    };
    for (const auto& c : cases) {
        const FoundHash h = FindHash(c.clip);
        ASSERT_EQ(h.kind, DigestKind::CRC32) << c.clip;
        EXPECT_EQ(CrcMatches(h, c.row), c.matches) << c.clip << " against " << c.row;
    }
    EXPECT_EQ("AF083B2D", UsualCrcHex("1358415058"));
    EXPECT_EQ("00000000", UsualCrcHex("4294967295"));
    EXPECT_EQ("", UsualCrcHex(""));
    EXPECT_EQ("", UsualCrcHex("4294967296"));
}

TEST(FindHash, DigestsCompareWithoutCase) {
    EXPECT_TRUE(DigestMatches(FindHash(kMd5), Upper(kMd5)));
    EXPECT_TRUE(DigestMatches(FindHash(Upper(kMd5)), kMd5));
    EXPECT_FALSE(DigestMatches(FindHash(kMd5), Upper(kSha1)));
    EXPECT_FALSE(DigestMatches(FindHash(kMd5), ""));
    EXPECT_FALSE(DigestMatches(FindHash("873187033"), "873187033"));  // a decimal is no digest
    EXPECT_FALSE(HexEquals("", ""));
}

TEST(FindHash, Tooltips) {
    EXPECT_EQ(VerifyTooltip(DigestKind::SHA256, true, kClipboardSource, "BA78"),
              "SHA-256 matches the clipboard");
    EXPECT_EQ(VerifyTooltip(DigestKind::MD5, false, kClipboardSource, "0123456789ABCDEF0123456789ABCDEF"),
              "MD5 differs from the clipboard: 0123\xE2\x80\xA6");
    EXPECT_EQ(VerifyTooltip(DigestKind::CRC32, false, kClipboardSource, "42"),
              "CRC-32 differs from the clipboard: 42");
    EXPECT_EQ(VerifyTooltip(DigestKind::SHA1, true, kClipboardSource, ""), "SHA-1 matches the clipboard");
    EXPECT_EQ(VerifyTooltip(DigestKind::SHA256, true, "SHA256SUMS", "BA78"), "SHA-256 matches SHA256SUMS");
    EXPECT_EQ(VerifyTooltip(DigestKind::SHA256, false, "SHA256SUMS", Upper(kSha256)),
              "SHA-256 differs from SHA256SUMS: BA78\xE2\x80\xA6");
}

// kSha256 and kMd5 in base64, as `cksum --base64` writes them.
const char kSha256Base64[] = "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=";
const char kMd5Base64[] = "DMF1ucDxtqgxw5niaXcmYQ==";

TEST(ParseHashLine, EveryForm) {
    struct Case {
        std::string text;
        LineKind result;
        DigestKind kind;
        std::string digest, name;
        HashLineForm form;
        bool binary;
    };
    const std::string md5 = kMd5, sha1 = kSha1, sha256 = kSha256;
    const std::string sha512 = sha256 + sha256, sha384 = sha256 + sha256.substr(0, 32);
    const auto E = LineKind::Entry;
    const auto G = HashLineForm::Gnu, B = HashLineForm::Bsd, S = HashLineForm::Sfv;
    const std::string elf(
        "\x7F"
        "ELF\x02\x01\x01\0\0\0",
        10);  // the start of a program file
    const Case cases[] = {
        // GNU, text and binary mode, as sha256sum, sha1sum and md5sum write them.
        {sha256 + "  a.txt", E, DigestKind::SHA256, Upper(sha256), "a.txt", G, false},
        {sha1 + " *setup.exe", E, DigestKind::SHA1, Upper(sha1), "setup.exe", G, true},
        {md5 + "  name with  blanks ", E, DigestKind::MD5, Upper(md5), "name with  blanks ", G, false},
        {md5 + "   leading blank", E, DigestKind::MD5, Upper(md5), " leading blank", G, false},
        {md5 + "  sub/dir\\x.bin\r", E, DigestKind::MD5, Upper(md5), "sub/dir\\x.bin", G, false},
        {md5 + "\t*tab.bin", E, DigestKind::MD5, Upper(md5), "tab.bin", G, true},
        {"  " + md5 + "  indented", E, DigestKind::MD5, Upper(md5), "indented", G, false},
        {"cbf43926  check.txt", E, DigestKind::CRC32, "CBF43926", "check.txt", G, false},
        // One blank, as sha256sum -c reads it.
        {md5 + " x.txt", E, DigestKind::MD5, Upper(md5), "x.txt", G, false},
        {sha256 + "\tone tab", E, DigestKind::SHA256, Upper(sha256), "one tab", G, false},
        {md5 + "  ", E, DigestKind::MD5, Upper(md5), " ", G, false},  // one blank, then the name " "
        {md5 + " *", E, DigestKind::MD5, Upper(md5), "*", G, false},
        {md5 + "  na\xC3\xAFve caf\xC3\xA9.txt", E, DigestKind::MD5, Upper(md5),
         "na\xC3\xAFve caf\xC3\xA9.txt", G, false},
        // Escaped: a backslash in front, "\\" and "\n" (and "\r") in the name.
        {"\\" + md5 + "  a\\nb", E, DigestKind::MD5, Upper(md5), "a\nb", G, false},
        {"\\" + md5 + "  back\\\\slash", E, DigestKind::MD5, Upper(md5), "back\\slash", G, false},
        {"\\" + sha1 + " *cr\\r", E, DigestKind::SHA1, Upper(sha1), "cr\r", G, true},
        {" \\" + md5 + "  after\\nblank", E, DigestKind::MD5, Upper(md5), "after\nblank", G, false},
        {"\\" + md5 + "  bad\\tescape", LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"\\" + md5 + "  trailing\\", LineKind::Malformed, DigestKind::None, "", "", G, false},
        // BSD tags, as --tag writes them.
        {"SHA256 (a.txt) = " + sha256, E, DigestKind::SHA256, Upper(sha256), "a.txt", B, false},
        {"MD5 (a) = b) = " + md5, E, DigestKind::MD5, Upper(md5), "a) = b", B, false},
        {"SHA1 (x y) = " + Upper(sha1) + "\r", E, DigestKind::SHA1, Upper(sha1), "x y", B, false},
        {"CRC32 (c) = cbf43926", E, DigestKind::CRC32, "CBF43926", "c", B, false},
        {"\\SHA256 (new\\nline) = " + sha256, E, DigestKind::SHA256, Upper(sha256), "new\nline", B, false},
        // Blanks left out, as OpenSSL writes them, and OpenSSL 3's SHA2-256.
        {"SHA256 (a.txt)= " + sha256, E, DigestKind::SHA256, Upper(sha256), "a.txt", B, false},
        {"SHA256 (a.txt)=" + sha256, E, DigestKind::SHA256, Upper(sha256), "a.txt", B, false},
        {"MD5(a.txt)= " + md5, E, DigestKind::MD5, Upper(md5), "a.txt", B, false},
        {"SHA1(a b)= " + sha1, E, DigestKind::SHA1, Upper(sha1), "a b", B, false},
        {"SHA2-256(a.txt)= " + sha256, E, DigestKind::SHA256, Upper(sha256), "a.txt", B, false},
        {"SHA2-256 (a.txt) = " + sha256, E, DigestKind::SHA256, Upper(sha256), "a.txt", B, false},
        {"MD5(f(1).txt)= " + md5, E, DigestKind::MD5, Upper(md5), "f(1).txt", B, false},
        // Leading blanks, then the backslash of an escaped name.
        {"  \\SHA256 (x\\ny) = " + sha256, E, DigestKind::SHA256, Upper(sha256), "x\ny", B, false},
        {"\t\\MD5(x\\\\y)= " + md5, E, DigestKind::MD5, Upper(md5), "x\\y", B, false},
        // The wider kinds, tagged as cksum, OpenSSL 3 and b2sum --tag write them.
        {"SHA2-512(a.txt)= " + sha512, E, DigestKind::SHA512, Upper(sha512), "a.txt", B, false},
        {"SHA512 (a.txt) = " + sha512, E, DigestKind::SHA512, Upper(sha512), "a.txt", B, false},
        {"SHA384 (a.txt) = " + sha384, E, DigestKind::SHA384, Upper(sha384), "a.txt", B, false},
        {"SHA2-384(a.txt)= " + sha384, E, DigestKind::SHA384, Upper(sha384), "a.txt", B, false},
        {"BLAKE2b (a.txt) = " + sha512, E, DigestKind::BLAKE2b, Upper(sha512), "a.txt", B, false},
        {"BLAKE2b-512 (a.txt) = " + sha512, E, DigestKind::BLAKE2b, Upper(sha512), "a.txt", B, false},
        {"BLAKE2B-512(a.txt)= " + sha512, E, DigestKind::BLAKE2b, Upper(sha512), "a.txt", B, false},
        {"BLAKE2b-256 (a.txt) = " + sha256, E, DigestKind::BLAKE2b, Upper(sha256), "a.txt", B, false},
        {"BLAKE2b-8 (a.txt) = ff", E, DigestKind::BLAKE2b, "FF", "a.txt", B, false},
        {"BLAKE3 (a.txt) = " + sha256, E, DigestKind::BLAKE3, Upper(sha256), "a.txt", B, false},
        {"BLAKE2b-256 (a.txt) = " + sha512, LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"BLAKE2b-255 (a.txt) = " + sha256, LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"BLAKE2b-520 (a.txt) = " + sha512, LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"SHA384 (a.txt) = " + sha512, LineKind::Malformed, DigestKind::None, "", "", G, false},
        // Base64, as cksum --base64 writes it, padding and all.
        {"SHA256 (a.txt) = " + std::string(kSha256Base64), E, DigestKind::SHA256, Upper(sha256), "a.txt", B,
         false},
        {"MD5 (a.txt) = " + std::string(kMd5Base64), E, DigestKind::MD5, Upper(md5), "a.txt", B, false},
        {"SHA256 (a.txt) = " + std::string(kSha256Base64).substr(0, 43), LineKind::Malformed,
         DigestKind::None, "", "", G, false},
        {"MD5 (a.txt) = " + std::string(kMd5Base64).substr(0, 22), LineKind::Malformed, DigestKind::None, "",
         "", G, false},  // no padding
        {"MD5 (a.txt) = DMF1ucDxtqgxw5niaXcmYR==", LineKind::Malformed, DigestKind::None, "", "", G,
         false},  // bits left over in the padding
        // A tag of an algorithm not computed here.
        {"SHA3-256 (a.txt) = " + sha256, LineKind::Unsupported, DigestKind::None, "", "a.txt", B, false},
        {"SM3 (a b) = " + sha256, LineKind::Unsupported, DigestKind::None, "", "a b", B, false},
        {"SHA2-256(a.txt)= " + md5, LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"SHA256 (a.txt) " + sha256, LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"BLAKE2b (a.txt) = cbf43926", LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"SHA256 (a.txt) = " + md5, LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"SHA256 () = " + sha256, LineKind::Malformed, DigestKind::None, "", "", G, false},
        // SFV.
        {"file.bin CBF43926", E, DigestKind::CRC32, "CBF43926", "file.bin", S, false},
        {"name with blanks.iso\tcbf43926  \r", E, DigestKind::CRC32, "CBF43926", "name with blanks.iso", S,
         false},
        {"\\root\\x.r00 cbf43926", E, DigestKind::CRC32, "CBF43926", "\\root\\x.r00", S, false},
        {"sub\\x.r00 00000000", E, DigestKind::CRC32, "00000000", "sub\\x.r00", S, false},
        // No entries.
        {"", LineKind::NoEntry, DigestKind::None, "", "", G, false},
        {"\r", LineKind::NoEntry, DigestKind::None, "", "", G, false},
        {"   \t", LineKind::NoEntry, DigestKind::None, "", "", G, false},
        {"; Generated by a tool on 2026-01-01", LineKind::NoEntry, DigestKind::None, "", "", G, false},
        {"# comment " + md5 + "  x", LineKind::NoEntry, DigestKind::None, "", "", G, false},
        // Malformed.
        {md5, LineKind::Malformed, DigestKind::None, "", "", G, false},               // no name
        {md5 + "0  x.txt", LineKind::Malformed, DigestKind::None, "", "", G, false},  // 33 digits
        {sha512 + "  x", E, DigestKind::SHA512, Upper(sha512), "x", G, false},
        {sha384 + "  x", E, DigestKind::SHA384, Upper(sha384), "x", G, false},
        {sha512 + "0  x", LineKind::Malformed, DigestKind::None, "", "", G, false},  // 129 digits
        {"garbage", LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"file.bin CBF4392", LineKind::Malformed, DigestKind::None, "", "", G, false},
        {"CBF43926", LineKind::Malformed, DigestKind::None, "", "", G, false},
        {md5 + std::string("  a\0b", 5), LineKind::Malformed, DigestKind::None, "", "", G, false},
        {elf, LineKind::Malformed, DigestKind::None, "", "", G, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        HashLine line;
        ASSERT_EQ(static_cast<int>(c.result), static_cast<int>(ParseHashLine(c.text, line)));
        EXPECT_EQ(c.kind, line.kind);
        EXPECT_EQ(c.digest, line.digest);
        EXPECT_EQ(c.name, line.name);
        if (c.result == LineKind::Unsupported) EXPECT_EQ(c.text.substr(0, c.text.find(' ')), line.tag);
        if (c.result != LineKind::Entry) continue;
        EXPECT_EQ(c.form, line.form);
        EXPECT_EQ(c.binary, line.binary);
    }
}

TEST(ParseHashLine, WhatFormatHashLineWritesReadsBack) {
    const char* names[] = {"a.txt", "with blanks", "new\nline", "back\\slash", "cr\r", " lead", "x) = y"};
    for (HashLineForm form : {HashLineForm::Gnu, HashLineForm::Bsd}) {
        for (DigestKind kind : kAllDigestKinds) {
            for (const char* name : names) {
                HashLine line;
                line.kind = kind;
                line.digest = Upper((std::string(kSha256) + kSha256).substr(0, HexDigitsOf(kind)));
                line.name = name;
                line.form = form;
                line.binary = form == HashLineForm::Gnu && name[0] == 'a';
                const std::string text = FormatHashLine(line);
                SCOPED_TRACE(text);
                // An untagged line's kind is its list's where its length is
                // not enough (64 digits of BLAKE3).
                HashLine back;
                GnuSpacing spacing = GnuSpacing::Unknown;
                ASSERT_EQ(
                    LineKind::Entry,
                    ParseHashLine(text, back, spacing, form == HashLineForm::Gnu ? kind : DigestKind::None));
                EXPECT_EQ(line.kind, back.kind);
                EXPECT_EQ(line.digest, back.digest);
                EXPECT_EQ(line.name, back.name);
                EXPECT_EQ(line.form, back.form);
                EXPECT_EQ(line.binary, back.binary);
            }
        }
    }
    HashLine blake;
    blake.kind = DigestKind::BLAKE2b;
    blake.digest = Upper(kSha256);
    blake.name = "a";
    blake.form = HashLineForm::Bsd;
    EXPECT_EQ("BLAKE2b-256 (a) = " + std::string(kSha256), FormatHashLine(blake));
    HashLine sfv;
    sfv.kind = DigestKind::CRC32;
    sfv.digest = "CBF43926";
    sfv.name = "file.bin";
    sfv.form = HashLineForm::Sfv;
    EXPECT_EQ("file.bin cbf43926", FormatHashLine(sfv));
}

}  // namespace

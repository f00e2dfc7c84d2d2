// Finding a hash in copied text, and comparing it with the rows.
#include "components/hashtext.h"

#include <gtest/gtest.h>

#include <string>

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
        HashKind kind;
        std::string found;
    };
    const std::string md5 = kMd5, sha1 = kSha1, sha256 = kSha256;
    const Case cases[] = {
        {md5, HashKind::MD5, Upper(md5)},
        {Upper(md5), HashKind::MD5, Upper(md5)},
        {"  \t" + md5 + "\r\n", HashKind::MD5, Upper(md5)},
        {md5 + "  setup.exe", HashKind::MD5, Upper(md5)},
        {md5 + " *setup.exe\n", HashKind::MD5, Upper(md5)},
        {md5 + "\tfile name with blanks.zip", HashKind::MD5, Upper(md5)},
        {"MD5: " + md5, HashKind::MD5, Upper(md5)},
        {"md5:" + md5, HashKind::MD5, Upper(md5)},
        {"SHA-1: " + sha1, HashKind::SHA1, Upper(sha1)},
        {sha1 + "  a.iso", HashKind::SHA1, Upper(sha1)},
        {"SHA256 : " + Upper(sha256), HashKind::SHA256, Upper(sha256)},
        {sha256 + "  vantrel.zip\n", HashKind::SHA256, Upper(sha256)},
        {"cbf43926", HashKind::CRC32, "CBF43926"},
        {"CRC32: CBF43926  test.bin", HashKind::CRC32, "CBF43926"},
        {"4294967295", HashKind::CRC32, "4294967295"},
        {"12345678", HashKind::CRC32, "12345678"},  // both hex and decimal
        {"0", HashKind::CRC32, "0"},
        // Not one hash.
        {"", HashKind::None, ""},
        {"   \r\n", HashKind::None, ""},
        {"hello world", HashKind::None, ""},
        {"4294967296", HashKind::None, ""},            // decimal beyond 32 bits, 10 digits
        {"12345678901", HashKind::None, ""},           // 11 digits
        {md5.substr(0, 31), HashKind::None, ""},
        {md5 + "0", HashKind::None, ""},
        {md5 + "g", HashKind::None, ""},
        {"0x" + md5.substr(0, 8), HashKind::None, ""},
        {md5 + "\n" + md5, HashKind::None, ""},        // two lines
        {md5 + "  a.txt\n" + sha1 + "  b.txt", HashKind::None, ""},
        {"see " + md5, HashKind::None, ""},
        {"http://x/" + md5, HashKind::None, ""},
        {": " + md5, HashKind::None, ""},
        {"12:34", HashKind::None, ""},
        {"-" + md5, HashKind::None, ""},
    };
    for (const auto& c : cases) {
        const FoundHash h = FindHash(c.text);
        EXPECT_EQ(h.kind, c.kind) << '"' << c.text << '"';
        EXPECT_EQ(h.text, c.found) << '"' << c.text << '"';
    }
}

TEST(FindHash, CrcAgainstTheRow) {
    // The row shows the complement of the usual CRC-32: CRC-32("123456789")
    // is CBF43926, its complement 873187033.
    struct Case {
        const char* clip;
        const char* row;
        bool matches;
    };
    const Case cases[] = {
        {"CBF43926", "873187033", true},
        {"cbf43926  check.txt", "873187033", true},
        {"873187033", "873187033", true},
        {"0873187033", "873187033", true},
        {"CBF43927", "873187033", false},
        {"873187034", "873187033", false},
        {"FFFFFFFF", "0", true},
        {"00000000", "4294967295", true},
        {"4294967295", "4294967295", true},
        {"00000000", "0", true},       // eight decimal digits: read as a number, it is the row
        {"CBF43926", "", false},
        {"CBF43926", "abc", false},
        {"CBF43926", "99999999999", false},
    };
    for (const auto& c : cases) {
        const FoundHash h = FindHash(c.clip);
        ASSERT_EQ(h.kind, HashKind::CRC32) << c.clip;
        EXPECT_EQ(CrcMatches(h, c.row), c.matches) << c.clip << " against " << c.row;
    }
}

TEST(FindHash, DigestsCompareWithoutCase) {
    EXPECT_TRUE(DigestMatches(FindHash(kMd5), Upper(kMd5)));
    EXPECT_TRUE(DigestMatches(FindHash(Upper(kMd5)), kMd5));
    EXPECT_FALSE(DigestMatches(FindHash(kMd5), Upper(kSha1)));
    EXPECT_FALSE(DigestMatches(FindHash(kMd5), ""));
    EXPECT_FALSE(DigestMatches(FindHash("873187033"), "873187033"));  // a decimal is no digest
}

TEST(FindHash, Tooltips) {
    EXPECT_EQ(VerifyTooltip(HashKind::SHA256, true, "BA78"), "SHA-256 matches the clipboard");
    EXPECT_EQ(VerifyTooltip(HashKind::MD5, false, "0123456789ABCDEF0123456789ABCDEF"),
              "MD5 differs from the clipboard: 0123\xE2\x80\xA6");
    EXPECT_EQ(VerifyTooltip(HashKind::CRC32, false, "42"), "CRC-32 differs from the clipboard: 42");
    EXPECT_EQ(VerifyTooltip(HashKind::SHA1, true, ""), "SHA-1 matches the clipboard");
}

}  // namespace

// The console's /check: its arguments, its lines and its warnings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/verify/checktext.h"

namespace {

TEST(CheckCommandParse, SumFilesAndQuiet) {
    CheckCommand cmd;
    std::string error;
    ASSERT_TRUE(
        ParseCheckCommand({"/check", "SHA256SUMS", "sub\\MD5SUMS", "/QUIET", "C:/x/y.sfv"}, cmd, error));
    EXPECT_EQ((std::vector<std::string>{"SHA256SUMS", "sub\\MD5SUMS", "C:/x/y.sfv"}), cmd.sumFiles);
    EXPECT_TRUE(cmd.quiet);
    ASSERT_TRUE(ParseCheckCommand({"/Check", "a"}, cmd, error));
    EXPECT_FALSE(cmd.quiet);
    EXPECT_TRUE(IsCheckSwitch("/CHECK"));
    EXPECT_FALSE(IsCheckSwitch("/checks"));
    EXPECT_FALSE(IsCheckSwitch("check"));
}

TEST(CheckCommandParse, KeysAndRequireSignature) {
    CheckCommand cmd;
    std::string error;
    ASSERT_TRUE(ParseCheckCommand(
        {"/check", "/key", "a.asc", "SHA256SUMS", "/KEY", "/keys/b.pub", "/Require-Signature"}, cmd, error));
    EXPECT_EQ((std::vector<std::string>{"SHA256SUMS"}), cmd.sumFiles);
    EXPECT_EQ((std::vector<std::string>{"a.asc", "/keys/b.pub"}), cmd.keyFiles);
    EXPECT_TRUE(cmd.requireSignature);
    ASSERT_TRUE(ParseCheckCommand({"/check", "a"}, cmd, error));
    EXPECT_TRUE(cmd.keyFiles.empty());
    EXPECT_FALSE(cmd.requireSignature);
}

TEST(CheckCommandParse, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"/check"}, "no SUMFILE given"},
        {{"/check", "/quiet"}, "no SUMFILE given"},
        {{"/check", ""}, "no SUMFILE given"},
        {{"/check", "a", "/out", "b"}, "unknown option /out for /check"},
        {{"/check", "a", "/key"}, "/key needs a key FILE"},
        {{"/check", "a", "/key", ""}, "/key needs a key FILE"},
        {{"/check", "/strict", "/bogus", "a"}, "unknown option /bogus for /check"},
        {{"/check", "/ignore_missing", "a"}, "unknown option /ignore_missing for /check"},
        {{"/check", "a", "/alg"},
         "/alg needs a kind: md5, sha1, sha256, sha384, sha512, blake2b, blake3, crc32"},
        {{"/check", "a", "/alg", ""},
         "/alg needs a kind: md5, sha1, sha256, sha384, sha512, blake2b, blake3, crc32"},
        {{"/check", "/alg", "sha3-256", "a"},
         "unknown kind sha3-256 for /alg; it takes md5, sha1, sha256, sha384, sha512, blake2b, blake3, "
         "crc32"},
        {{"/check", "/alg", "SHA-256", "a"},
         "unknown kind SHA-256 for /alg; it takes md5, sha1, sha256, sha384, sha512, blake2b, blake3, crc32"},
        {{"/check", "/alg", "sha256"}, "no SUMFILE given"},
        {{"/report", "a"}, "the first argument must be /check"},
        {{}, "the first argument must be /check"},
    };
    for (const Case& c : cases) {
        CheckCommand cmd;
        std::string error;
        EXPECT_FALSE(ParseCheckCommand(c.args, cmd, error));
        EXPECT_EQ(c.error, error);
    }
}

// The options of sha256sum -c: of /quiet, /status and /warn the last one
// counts; /alg takes the next argument, in any case.
TEST(CheckCommandParse, OptionsOfTheTools) {
    struct Case {
        std::vector<std::string> args;
        DigestKind alg;
        bool quiet, status, warn, strict, ignoreMissing;
    };
    const Case cases[] = {
        {{"/check", "a"}, DigestKind::None, false, false, false, false, false},
        {{"/check", "a", "/STRICT"}, DigestKind::None, false, false, false, true, false},
        {{"/check", "/Ignore-Missing", "a"}, DigestKind::None, false, false, false, false, true},
        {{"/check", "a", "/status"}, DigestKind::None, false, true, false, false, false},
        {{"/check", "a", "/warn"}, DigestKind::None, false, false, true, false, false},
        {{"/check", "a", "/status", "/warn"}, DigestKind::None, false, false, true, false, false},
        {{"/check", "a", "/warn", "/quiet"}, DigestKind::None, true, false, false, false, false},
        {{"/check", "a", "/quiet", "/status", "/strict"}, DigestKind::None, false, true, false, true, false},
        {{"/check", "/alg", "blake3", "a"}, DigestKind::BLAKE3, false, false, false, false, false},
        {{"/check", "a", "/ALG", "SHA512"}, DigestKind::SHA512, false, false, false, false, false},
        {{"/check", "/alg", "md5", "/alg", "blake2b", "a"},
         DigestKind::BLAKE2b,
         false,
         false,
         false,
         false,
         false},
        {{"/check", "/alg", "crc32", "a"}, DigestKind::CRC32, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        CheckCommand cmd;
        std::string error;
        ASSERT_TRUE(ParseCheckCommand(c.args, cmd, error)) << error;
        EXPECT_EQ(std::vector<std::string>{"a"}, cmd.sumFiles);
        EXPECT_EQ(c.alg, cmd.alg);
        EXPECT_EQ(c.quiet, cmd.quiet);
        EXPECT_EQ(c.status, cmd.status);
        EXPECT_EQ(c.warn, cmd.warn);
        EXPECT_EQ(c.strict, cmd.strict);
        EXPECT_EQ(c.ignoreMissing, cmd.ignoreMissing);
    }
}

// The words of sha256sum -c, md5sum -c, b2sum -c and cksum -c (coreutils
// 9.1): "sha256sum: L: 3: improperly formatted SHA256 checksum line".
TEST(CheckLines, MessagesAsTheToolsWordThem) {
    const std::pair<DigestKind, const char*> words[] = {
        {DigestKind::MD5, "MD5 "},       {DigestKind::SHA1, "SHA1 "},     {DigestKind::SHA256, "SHA256 "},
        {DigestKind::SHA384, "SHA384 "}, {DigestKind::SHA512, "SHA512 "}, {DigestKind::BLAKE2b, "BLAKE2b "},
        {DigestKind::BLAKE3, "BLAKE3 "}, {DigestKind::CRC32, "CRC32 "},   {DigestKind::None, ""},
    };
    for (const auto& w : words)
        EXPECT_EQ(
            std::string("vantrel: sub/SHA256SUMS: 3: improperly formatted ") + w.second + "checksum line\r\n",
            ImproperLineMessage("sub/SHA256SUMS", 3, w.first));
    EXPECT_EQ("vantrel: \\a\\nb: 12: improperly formatted SHA1 checksum line\r\n",
              ImproperLineMessage("a\nb", 12, DigestKind::SHA1));
    EXPECT_EQ("vantrel: dir/a b.iso: unsupported digest SHA3-256\r\n",
              UnsupportedLineMessage("dir/a b.iso", "SHA3-256"));
    EXPECT_EQ("vantrel: \\a\\nb: unsupported digest SM3\r\n", UnsupportedLineMessage("a\nb", "SM3"));
    EXPECT_EQ("vantrel: B3SUMS: no file was verified\r\n", NoFileVerifiedMessage("B3SUMS"));
}

TEST(CheckLines, AsSha256sumWordsThem) {
    EXPECT_EQ("a b.txt: OK\r\n", CheckLine("a b.txt", CheckStatus::Ok));
    EXPECT_EQ("sub/x: FAILED\r\n", CheckLine("sub/x", CheckStatus::Failed));
    EXPECT_EQ("gone: FAILED open or read\r\n", CheckLine("gone", CheckStatus::Unreadable));
    // A line feed in a name cannot split the line.
    EXPECT_EQ("\\a\\nb: FAILED open or read\r\n", CheckLine("a\nb", CheckStatus::Unreadable));
}

TEST(CheckLines, WarningsOnlyForCountsAboveZero) {
    EXPECT_EQ("", CheckWarnings(0, 0, 0, 0));
    EXPECT_EQ(
        "vantrel: WARNING: 1 line is improperly formatted\r\n"
        "vantrel: WARNING: 1 line uses an unsupported digest\r\n"
        "vantrel: WARNING: 1 listed file could not be read\r\n"
        "vantrel: WARNING: 1 computed checksum did NOT match\r\n",
        CheckWarnings(1, 1, 1, 1));
    EXPECT_EQ(
        "vantrel: WARNING: 2 lines are improperly formatted\r\n"
        "vantrel: WARNING: 3 computed checksums did NOT match\r\n",
        CheckWarnings(2, 0, 0, 3));
    EXPECT_EQ("vantrel: WARNING: 12 listed files could not be read\r\n", CheckWarnings(0, 0, 12, 0));
    // Counted apart from the improperly formatted lines.
    EXPECT_EQ("vantrel: WARNING: 4 lines use an unsupported digest\r\n", CheckWarnings(0, 4, 0, 0));
}

}  // namespace

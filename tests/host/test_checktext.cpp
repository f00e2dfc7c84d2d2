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
        {{"/check", "/strict", "a"}, "unknown option /strict for /check"},
        {{"/check", "a", "/key"}, "/key needs a key FILE"},
        {{"/check", "a", "/key", ""}, "/key needs a key FILE"},
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

TEST(CheckLines, AsSha256sumWordsThem) {
    EXPECT_EQ("a b.txt: OK\r\n", CheckLine("a b.txt", CheckStatus::Ok));
    EXPECT_EQ("sub/x: FAILED\r\n", CheckLine("sub/x", CheckStatus::Failed));
    EXPECT_EQ("gone: FAILED open or read\r\n", CheckLine("gone", CheckStatus::Unreadable));
    // A line feed in a name cannot split the line.
    EXPECT_EQ("\\a\\nb: FAILED open or read\r\n", CheckLine("a\nb", CheckStatus::Unreadable));
}

TEST(CheckLines, WarningsOnlyForCountsAboveZero) {
    EXPECT_EQ("", CheckWarnings(0, 0, 0));
    EXPECT_EQ(
        "vantrel: WARNING: 1 line is improperly formatted\r\n"
        "vantrel: WARNING: 1 listed file could not be read\r\n"
        "vantrel: WARNING: 1 computed checksum did NOT match\r\n",
        CheckWarnings(1, 1, 1));
    EXPECT_EQ(
        "vantrel: WARNING: 2 lines are improperly formatted\r\n"
        "vantrel: WARNING: 3 computed checksums did NOT match\r\n",
        CheckWarnings(2, 0, 3));
    EXPECT_EQ("vantrel: WARNING: 12 listed files could not be read\r\n", CheckWarnings(0, 12, 0));
}

}  // namespace

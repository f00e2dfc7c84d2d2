// The words of /compare and of the window's compare: cmp's and diff -rq's
// lines, numbers with separators, the line count, the arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/comparetext.h"

namespace {

TEST(CompareCommandParse, NamesAndDetails) {
    CompareCommand cmd;
    std::string error;
    ASSERT_TRUE(ParseCompareCommand({"/COMPARE", "a b", "/Details", "C:/x/\xD0\x96.bin"}, cmd, error));
    EXPECT_EQ("a b", cmd.first);
    EXPECT_EQ("C:/x/\xD0\x96.bin", cmd.second);
    EXPECT_TRUE(cmd.details);
    ASSERT_TRUE(ParseCompareCommand({"/compare", "/tmp/a", "b"}, cmd, error));
    EXPECT_EQ("/tmp/a", cmd.first);
    EXPECT_FALSE(cmd.details);
    EXPECT_TRUE(IsCompareSwitch("/Compare"));
    EXPECT_FALSE(IsCompareSwitch("/compares"));
    EXPECT_FALSE(IsCompareSwitch("compare"));
}

TEST(CompareCommandParse, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"/compare"},
        {"/compare", "a"},
        {"/compare", "a", "b", "c"},
        {"/compare", "", "b"},
        {"/compare", "/details", "a"},
    };
    for (const auto& args : cases) {
        CompareCommand cmd;
        std::string error;
        EXPECT_FALSE(ParseCompareCommand(args, cmd, error));
        EXPECT_EQ("/compare takes two files or two folders", error);
    }
    CompareCommand cmd;
    std::string error;
    EXPECT_FALSE(ParseCompareCommand({"/check", "a", "b"}, cmd, error));
    EXPECT_EQ("the first argument must be /compare", error);
}

TEST(CompareText, GroupedNumbers) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0"},
        {1, "1"},
        {999, "999"},
        {1000, "1,000"},
        {1234567, "1,234,567"},
        {4294967297ull, "4,294,967,297"},  // past 2^32
        {18446744073709551615ull, "18,446,744,073,709,551,615"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, GroupedNumber(c.first));
}

TEST(CompareText, LineFeedsCountedInBlocksOfAnyLength) {
    for (std::size_t len : {0u, 1u, 254u, 255u, 256u, 1000u, 70000u}) {
        std::vector<unsigned char> data(len);
        std::uint64_t expected = 0;
        for (std::size_t i = 0; i < len; ++i) {
            data[i] = (i % 3 == 0 || i % 7 == 0) ? '\n' : static_cast<unsigned char>(i);
            expected += data[i] == '\n';
        }
        EXPECT_EQ(expected, CountLineFeeds(data.data(), data.size())) << len;
    }
}

// The words of the installed cmp (GNU diffutils), which the end-to-end tests
// also compare with the tool itself.
TEST(CompareText, CmpLines) {
    EXPECT_EQ("a b differ: byte 6, line 2\r\n", CmpDifferLine("a", "b", 6, 2));
    EXPECT_EQ("x y differ: byte 5000000000, line 1\r\n", CmpDifferLine("x", "y", 5000000000ull, 1));
    EXPECT_EQ("EOF on e which is empty", CmpEofMessage("e", 0, 0, false));
    EXPECT_EQ("EOF on c after byte 4, line 1", CmpEofMessage("c", 4, 1, true));
    EXPECT_EQ("EOF on c after byte 3, in line 1", CmpEofMessage("c", 3, 0, false));
    EXPECT_EQ("EOF on c after byte 7, in line 2", CmpEofMessage("c", 7, 1, false));
    EXPECT_EQ("EOF on c after byte 2, line 2", CmpEofMessage("c", 2, 2, true));
}

TEST(CompareText, DiffLines) {
    EXPECT_EQ("Only in d1\\s: name\r\n", DiffOnlyIn("d1\\s", "name"));
    EXPECT_EQ("Files d1\\a and d2\\a differ\r\n", DiffFilesDiffer("d1\\a", "d2\\a"));
    EXPECT_EQ("File d1\\x is a directory while file d2\\x is a regular file\r\n",
              DiffKindsDiffer("d1\\x", true, "d2\\x", false));
    EXPECT_EQ("File d1\\x is a regular file while file d2\\x is a directory\r\n",
              DiffKindsDiffer("d1\\x", false, "d2\\x", true));
    EXPECT_EQ("File Size (bytes): 10 | 12\r\n", DetailDifferenceLine("File Size (bytes)", "10", "12"));
}

TEST(CompareText, WindowVerdicts) {
    EXPECT_EQ("Same contents as B", CompareVerdictLine(CompareVerdict::Same, "B", 0, ""));
    EXPECT_EQ("Differs from B at byte 1,234,567",
              CompareVerdictLine(CompareVerdict::Differs, "B", 1234567, ""));
    EXPECT_EQ("B is shorter: it ends at byte 4,294,967,296",
              CompareVerdictLine(CompareVerdict::Shorter, "B", 4294967296ull, ""));
    EXPECT_EQ("B could not be read: Access is denied",
              CompareVerdictLine(CompareVerdict::Unreadable, "B", 0, "Access is denied"));
    EXPECT_EQ("B is the same file", CompareVerdictLine(CompareVerdict::SameFile, "B", 0, ""));
    EXPECT_EQ("Not compared: a file changed while being compared",
              CompareVerdictLine(CompareVerdict::Changed, "B", 0, ""));
}

}  // namespace

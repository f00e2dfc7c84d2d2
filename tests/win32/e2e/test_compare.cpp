// The console's /compare, run as a process of its own and held against the
// real cmp and diff -rq on the same files and folders, outside Wine: the
// same standard output, the same messages after the program's name, the same
// exit codes; names in another script, a folder against a file, a device,
// one file under two names, offsets past 4 GiB, unreadable entries.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/handles.h"
#include "driver.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

// "Отчёт" (report) and "Папка" (folder).
const std::string kReport = "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82";
const std::string kFolder = "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";

class Compare : public testing::Test {
protected:
    void SetUp() override {
        unixDir = testutil::UnixPath(dir.path());
        ASSERT_FALSE(unixDir.empty());
    }
    void TearDown() override {
        // Links made outside Wine are taken away there too.
        testutil::RunUnixShell("cd '" + unixDir + "' && find . -type l -delete");
    }

    void Shell(const std::string& command) {
        ASSERT_TRUE(testutil::RunUnixShell("cd '" + unixDir + "' && " + command)) << command;
    }
    // Makes `name` (UTF-8, backslashes between folders) with `bytes`, its folders first.
    void Make(const std::string& name, const std::string& bytes) {
        for (std::size_t at = name.find('\\'); at != std::string::npos; at = name.find('\\', at + 1))
            CreateDirectoryW(testutil::Utf16(dir.Path(name.substr(0, at))).c_str(), nullptr);
        dir.Write(name, bytes);
    }

    struct Tool {
        std::string out, err;
        DWORD code;
    };
    // Runs the tool with its arguments, outside Wine, in a UTF-8 locale (in
    // the POSIX locale cmp says "char" for "byte").
    Tool RunTool(const std::string& command) {
        Tool t{};
        Shell("LC_ALL=C.UTF-8 " + command + " > tool.out 2> tool.err; echo $? > tool.rc");
        t.out = testutil::ReadAll(dir.Path("tool.out"));
        t.err = testutil::ReadAll(dir.Path("tool.err"));
        t.code = static_cast<DWORD>(std::stoul(testutil::ReadAll(dir.Path("tool.rc"))));
        DeleteFileA(dir.Path("tool.out").c_str());
        DeleteFileA(dir.Path("tool.err").c_str());
        DeleteFileA(dir.Path("tool.rc").c_str());
        return t;
    }

    // The tool's text as the program writes it: CR LF line ends, and
    // backslashes between folders.
    static std::string AsProgramWrites(std::string text, bool folders) {
        std::string out;
        for (char c : text) {
            if (c == '\n') out += '\r';
            out += folders && c == '/' ? '\\' : c;
        }
        return out;
    }

    // Compares /compare ARGS with the tool's run on the same names; the tool's
    // messages are the program's after its name, unless only the start is
    // the same (trouble, whose system text is Windows').
    void ExpectAsTool(const std::string& tool, const std::string& toolArgs, const std::string& args,
                      bool folders, bool sameMessages) {
        SCOPED_TRACE(args);
        const Tool t = RunTool(tool + " " + toolArgs);
        const e2e::ConsoleRun r = e2e::RunConsoleProgram(dir.path(), "/compare " + args);
        EXPECT_EQ(t.code, r.code) << t.err << "\n" << r.err;
        EXPECT_EQ(AsProgramWrites(t.out, folders), r.out);
        const std::vector<std::string> toolErr = testutil::SplitCrLf(AsProgramWrites(t.err, folders));
        const std::vector<std::string> err = testutil::SplitCrLf(r.err);
        if (toolErr.size() == 1 && toolErr[0].empty()) {
            EXPECT_EQ("", r.err);
            return;
        }
        ASSERT_EQ(toolErr.size(), err.size()) << t.err << "\n" << r.err;
        for (std::size_t i = 0; i < err.size(); ++i) {
            const std::string rest = toolErr[i].substr(toolErr[i].find(": ") + 2);
            if (sameMessages)
                EXPECT_EQ("vantrel: " + rest, err[i]);
            else
                EXPECT_EQ(0u, err[i].find("vantrel: ")) << err[i];
        }
    }

    TempDir dir;
    std::string unixDir;
};

TEST_F(Compare, TwoFilesAsCmpSaysIt) {
    Make("a.txt", "abc\ndef\n");
    Make("b.txt", "abc\ndxf\n");
    Make("prefix.txt", "abc\n");
    Make("open.txt", "abc\nde");
    Make("empty.txt", "");
    Make("copy.txt", "abc\ndef\n");
    Make("x-" + kReport + ".bin", std::string("\x01\x02\n\n\x03\x04", 6));
    Make("y-" + kReport + ".bin", std::string("\x01\x02\n\n\x03\x05", 6));
    struct Case {
        const char* args;
    };
    const Case cases[] = {
        {"a.txt b.txt"},    {"b.txt a.txt"},    {"a.txt prefix.txt"},    {"prefix.txt a.txt"},
        {"a.txt open.txt"}, {"open.txt a.txt"}, {"a.txt empty.txt"},     {"empty.txt a.txt"},
        {"a.txt copy.txt"}, {"a.txt a.txt"},    {"empty.txt empty.txt"},
    };
    for (const Case& c : cases) ExpectAsTool("cmp", c.args, c.args, false, true);
    // Names in another script, as given.
    const std::string x = "x-" + kReport + ".bin", y = "y-" + kReport + ".bin";
    ExpectAsTool("cmp", "x-* y-*", "\"" + x + "\" \"" + y + "\"", false, true);
    // Trouble: a name that is no file.
    ExpectAsTool("cmp", "a.txt missing.txt", "a.txt missing.txt", false, false);
}

TEST_F(Compare, OneFileUnderTwoNamesIsTheSameWithoutAWord) {
    Make("one.bin", testutil::SeededBytes(5000, 3));
    Shell("ln one.bin hard.bin");
    ExpectAsTool("cmp", "one.bin hard.bin", "one.bin hard.bin", false, true);
    const e2e::ConsoleRun r =
        e2e::RunConsoleProgram(dir.path(), "/compare one.bin \"" + dir.Path("ONE.BIN") + "\"");
    EXPECT_EQ(0u, r.code);
    EXPECT_EQ("", r.out + r.err);
}

TEST_F(Compare, AFolderAgainstAFileOrADeviceIsAnError) {
    Make("f.txt", "x");
    Make("d\\inner.txt", "y");
    for (const char* args : {"d f.txt", "f.txt d", "f.txt NUL", "NUL f.txt"}) {
        SCOPED_TRACE(args);
        const e2e::ConsoleRun r = e2e::RunConsoleProgram(dir.path(), std::string("/compare ") + args);
        EXPECT_EQ(2u, r.code);
        EXPECT_EQ("", r.out);
        EXPECT_EQ(0u, r.err.find("vantrel: ")) << r.err;
        EXPECT_TRUE(testutil::EndsEveryLineInCrLf(r.err));
        EXPECT_EQ(1u, testutil::SplitCrLf(r.err).size()) << r.err;
    }
    // The same as cmp's code for a folder.
    EXPECT_EQ(2u, RunTool("cmp d f.txt").code);
}

TEST_F(Compare, OffsetsPastFourGiB) {
    // Sparse files of 2^32 + 10 bytes that part at byte 2^32 + 6.
    const std::string make = "truncate -s 4294967306 ";
    Shell(
        make + "big1.bin && " + make +
        "big2.bin && printf 'x' | dd of=big2.bin bs=1 seek=4294967301 "
        "conv=notrunc status=none && printf '\\n' | dd of=big1.bin bs=1 seek=10 conv=notrunc status=none && "
        "printf '\\n' | dd of=big2.bin bs=1 seek=10 conv=notrunc status=none");
    // cmp itself takes too long over 8 GiB on a shared machine: its line is
    // the one the other cases hold against it.
    const e2e::ConsoleRun r = e2e::RunConsoleProgram(dir.path(), "/compare big1.bin big2.bin");
    EXPECT_EQ("big1.bin big2.bin differ: byte 4294967302, line 2\r\n", r.out);
    Shell("rm -f big1.bin big2.bin");
}

TEST_F(Compare, TwoFoldersAsDiffRqSaysIt) {
    const std::vector<std::pair<std::string, std::string>> left = {
        {"same.txt", "1\n"},
        {"differ.txt", "one\n"},
        {"only-left.txt", "l\n"},
        {"kind\\inside.txt", "k\n"},
        {"sub\\f.txt", "x\n"},
        {"sub\\left-only\\deep.txt", "d\n"},
        {kFolder + "\\" + kReport + ".txt", "a\n"},
        {"big.bin", testutil::SeededBytes(3 << 20, 7)},
        {"bigsame.bin", testutil::SeededBytes(3 << 20, 8)},
    };
    std::string bigOther = testutil::SeededBytes(3 << 20, 7);
    bigOther[(3 << 20) - 1] ^= 1;
    const std::vector<std::pair<std::string, std::string>> right = {
        {"same.txt", "1\n"},
        {"differ.txt", "two\n"},
        {"kind", "a file\n"},
        {"only-right.txt", "r\n"},
        {"sub\\f.txt", "y\n"},
        {"sub\\right-only\\deep.txt", "d\n"},
        {kFolder + "\\" + kReport + ".txt", "b\n"},
        {kFolder + "\\" + kReport + "-2.txt", "c\n"},
        {"big.bin", bigOther},
        {"bigsame.bin", testutil::SeededBytes(3 << 20, 8)},
    };
    for (const auto& f : left) Make("left\\" + f.first, f.second);
    for (const auto& f : right) Make("right\\" + f.first, f.second);
    ExpectAsTool("diff", "-rq left right", "left right", true, true);
    ExpectAsTool("diff", "-rq right left", "right left", true, true);
    // The same trees: nothing, 0.
    Make("copy\\a.txt", "1\n");
    Make("copy2\\a.txt", "1\n");
    ExpectAsTool("diff", "-rq copy copy2", "copy copy2", true, true);
}

TEST_F(Compare, UnreadableEntriesAndLoopsAreReportedOnceAndTheWalkGoesOn) {
    Make("l\\a.txt", "1\n");
    Make("l\\m.txt", "1\n");
    Make("l\\z.txt", "1\n");
    Make("r\\a.txt", "2\n");
    Make("r\\m.txt", "2\n");
    Make("r\\z.txt", "2\n");
    const std::string both = "Files l\\a.txt and r\\a.txt differ\r\nFiles l\\z.txt and r\\z.txt differ\r\n";
    {
        // Held by another program that shares nothing: it cannot be read.
        base::UniqueFile held(CreateFileW(testutil::Utf16(dir.Path("l\\m.txt")).c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        const e2e::ConsoleRun r = e2e::RunConsoleProgram(dir.path(), "/compare l r");
        EXPECT_EQ(2u, r.code) << r.err;
        EXPECT_EQ(both, r.out);
        const std::vector<std::string> err = testutil::SplitCrLf(r.err);
        ASSERT_EQ(1u, err.size()) << r.err;
        EXPECT_EQ(0u, err[0].find("vantrel: l\\m.txt: ")) << r.err;
    }
    Make("r\\m.txt", "1\n");

    // Both sides link to the same folder: one folder, the same, as diff finds.
    Shell("ln -s .. l/up && ln -s .. r/up");
    ExpectAsTool("diff", "-rq l r", "l r", true, true);

    // A link back to a folder above on one side: reported once, not walked round.
    Shell("rm l/up r/up && ln -s . l/self && mkdir r/self && echo q > r/self/q");
    const e2e::ConsoleRun loop = e2e::RunConsoleProgram(dir.path(), "/compare l r");
    EXPECT_EQ(2u, loop.code) << loop.err;
    EXPECT_EQ(both, loop.out);
    const std::vector<std::string> loopErr = testutil::SplitCrLf(loop.err);
    ASSERT_EQ(1u, loopErr.size()) << loop.err;
    EXPECT_EQ(0u, loopErr[0].find("vantrel: l\\self: ")) << loop.err;
    EXPECT_NE(std::string::npos, loopErr[0].find("loop")) << loop.err;
}

TEST_F(Compare, DetailsListEachFieldThatDiffers) {
    Make("a.bin", "same size");
    Make("b.bin", "same SIZE");
    Make("c.bin", "longer contents");
    SetFileAttributesW(testutil::Utf16(dir.Path("b.bin")).c_str(), FILE_ATTRIBUTE_READONLY);
    const e2e::ConsoleRun r = e2e::RunConsoleProgram(dir.path(), "/compare /details a.bin b.bin");
    SetFileAttributesW(testutil::Utf16(dir.Path("b.bin")).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1u, r.code);
    const std::vector<std::string> lines = testutil::SplitCrLf(r.out);
    ASSERT_FALSE(lines.empty()) << r.out;
    EXPECT_EQ("a.bin b.bin differ: byte 6, line 1", lines[0]);
    const auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Display Name: a.bin | b.bin")) << r.out;
    EXPECT_TRUE(has("Read Only: False | True")) << r.out;
    for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find("File Size")) << r.out;
    const e2e::ConsoleRun sizes = e2e::RunConsoleProgram(dir.path(), "/compare /details a.bin c.bin");
    EXPECT_NE(std::string::npos, sizes.out.find("File Size (bytes): 9 | 15\r\n")) << sizes.out;
}

}  // namespace

namespace {

// "vantrel.exe A B" from outside: the window shows A, its title the verdict.
TEST(CompareFromOutside, StartedWithTwoPathsShowsTheFirstAndTheVerdict) {
    TempDir dir;
    const std::string a = dir.Write("a-" + kReport + ".txt", "same start, then one\n");
    const std::string b = dir.Write("b-" + kReport + ".txt", "same start, then two\n");
    e2e::Program program("\"" + a + "\" \"" + b + "\"");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(nullptr, main);
    const std::string verdict = "Differs from b-" + kReport + ".txt at byte 18";
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(main).find(verdict) != std::string::npos; }))
        << e2e::TextOf(main);
    EXPECT_EQ(a, program.Text(1001));  // the name box holds the first
    EXPECT_EQ(0u, program.Exit());
}

}  // namespace

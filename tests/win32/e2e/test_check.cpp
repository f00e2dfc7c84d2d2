// The console's /check, run as a process of its own against files and
// checksum files made by the real sha256sum, sha1sum and md5sum (plain,
// binary and tag forms) outside Wine, and an SFV file made here: names with
// blanks, letters beyond ASCII and subfolders; corrupted, missing and
// unreadable files; garbage and very long lines; names that leave the folder,
// devices, a checksum file that lists itself; the exit codes and /quiet.
#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "driver.h"
#include "testutil.h"
#include "base/handles.h"

namespace {

using testutil::TempDir;

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// The usual CRC-32 in hex, bit by bit.
std::string UsualCrc(const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", ~crc);
    return hex;
}

class Check : public testing::Test {
protected:
    // The names as the tools list them, relative to the folder.
    const std::vector<std::string> names = {
        "plain.bin",
        "name with blanks.txt",
        "na\xC3\xAFve caf\xC3\xA9.txt",
        "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.bin",
        "sub/inner.bin",
        "sub/deeper/deep file.bin",
    };

    void SetUp() override {
        CreateDirectoryA(dir.Path("sub").c_str(), nullptr);
        CreateDirectoryA(dir.Path("sub\\deeper").c_str(), nullptr);
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::string windowsName = names[i];
            std::replace(windowsName.begin(), windowsName.end(), '/', '\\');
            contents.push_back(testutil::SeededBytes(1000 + 70000 * i, static_cast<std::uint32_t>(i + 1)));
            dir.Write(windowsName, contents.back());
        }
        unixDir = testutil::UnixPath(dir.path());
        ASSERT_FALSE(unixDir.empty());
    }

    // Runs `command` in the folder, outside Wine.
    void Shell(const std::string& command) {
        ASSERT_TRUE(testutil::RunUnixShell("cd '" + unixDir + "' && " + command)) << command;
    }
    e2e::ConsoleRun Run(const std::string& arguments) {
        return e2e::RunConsoleProgram(dir.path(), arguments);
    }

    std::vector<std::string> AllOk() const {
        std::vector<std::string> lines;
        for (const std::string& n : names) lines.push_back(n + ": OK");
        return Sorted(lines);
    }

    TempDir dir;
    std::string unixDir;
    std::vector<std::string> contents;
};

TEST_F(Check, EveryFormOfTheRealToolsAndAnSfvFileVerifies) {
    Shell("sha256sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > SHA256SUMS");
    Shell("sha256sum -b *.txt *.bin sub/inner.bin sub/deeper/*.bin > binary.sha256");
    Shell("sha256sum --tag *.txt *.bin sub/inner.bin sub/deeper/*.bin > tag.sha256");
    Shell("sha1sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > SHA1SUMS");
    Shell("sha1sum --tag *.txt *.bin sub/inner.bin sub/deeper/*.bin > tag.sha1");
    Shell("md5sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > MD5SUMS");
    Shell("md5sum -b *.txt *.bin sub/inner.bin sub/deeper/*.bin > binary.md5");
    Shell("md5sum --tag *.txt *.bin sub/inner.bin sub/deeper/*.bin > tag.md5");
    // SFV by hand, as Windows tools write it: CR LF, backslashes, a comment.
    std::string sfv = "; made by hand\r\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        std::replace(name.begin(), name.end(), '/', '\\');
        sfv += name + " " + UsualCrc(contents[i]) + "\r\n";
    }
    dir.Write("release.sfv", sfv);

    for (const char* sums : {"SHA256SUMS", "binary.sha256", "tag.sha256", "SHA1SUMS", "tag.sha1", "MD5SUMS",
                             "binary.md5", "tag.md5"}) {
        SCOPED_TRACE(sums);
        const e2e::ConsoleRun r = Run(std::string("/check ") + sums);
        EXPECT_EQ(0u, r.code);
        EXPECT_EQ(AllOk(), Sorted(testutil::SplitCrLf(r.out)));
        EXPECT_EQ("", r.err);
    }
    const e2e::ConsoleRun sfvRun = Run("/check release.sfv");
    EXPECT_EQ(0u, sfvRun.code);
    std::vector<std::string> backslashed;
    for (std::string n : names) {
        std::replace(n.begin(), n.end(), '/', '\\');
        backslashed.push_back(n + ": OK");
    }
    EXPECT_EQ(backslashed, testutil::SplitCrLf(sfvRun.out));
    EXPECT_EQ("", sfvRun.err);

    // Several checksum files in one run, from another folder; /quiet prints no OK.
    const e2e::ConsoleRun quiet = Run("/check SHA256SUMS tag.md5 release.sfv /quiet");
    EXPECT_EQ(0u, quiet.code);
    EXPECT_EQ("", quiet.out);
    EXPECT_EQ("", quiet.err);
    const e2e::ConsoleRun fromSub =
        e2e::RunConsoleProgram(dir.Path("sub"), "/check ..\\SHA256SUMS \"" + dir.Path("tag.sha1") + "\"");
    EXPECT_EQ(0u, fromSub.code) << fromSub.err;
    EXPECT_EQ(2 * names.size(), testutil::SplitCrLf(fromSub.out).size());
}

TEST_F(Check, ACorruptedFileFailsAMissingOneCannotBeReadAndGarbageIsCounted) {
    Shell("sha256sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > SHA256SUMS");
    Shell("printf 'garbage\\n\\001\\002\\377 binary\\n\\n# a comment\\n' >> SHA256SUMS");
    // The same size, one bit changed; another file gone.
    std::string corrupted = contents[0];
    corrupted[500] ^= 0x10;
    dir.Write("plain.bin", corrupted);
    ASSERT_TRUE(DeleteFileA(dir.Path("name with blanks.txt").c_str()));
    // Another program holds one without sharing it.
    base::UniqueFile held(CreateFileA(dir.Path("sub\\inner.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());

    const e2e::ConsoleRun r = Run("/check SHA256SUMS");
    EXPECT_EQ(1u, r.code);
    std::vector<std::string> expected = AllOk();
    std::replace(expected.begin(), expected.end(), std::string("plain.bin: OK"),
                 std::string("plain.bin: FAILED"));
    std::replace(expected.begin(), expected.end(), std::string("name with blanks.txt: OK"),
                 std::string("name with blanks.txt: FAILED open or read"));
    std::replace(expected.begin(), expected.end(), std::string("sub/inner.bin: OK"),
                 std::string("sub/inner.bin: FAILED open or read"));
    EXPECT_EQ(Sorted(expected), Sorted(testutil::SplitCrLf(r.out)));
    const std::vector<std::string> err = testutil::SplitCrLf(r.err);
    ASSERT_EQ(5u, err.size()) << r.err;
    EXPECT_EQ(0u, err[0].find("vantrel: name with blanks.txt: ")) << err[0];
    EXPECT_EQ(0u, err[1].find("vantrel: sub/inner.bin: ")) << err[1];
    EXPECT_EQ("vantrel: WARNING: 2 lines are improperly formatted", err[2]);
    EXPECT_EQ("vantrel: WARNING: 2 listed files could not be read", err[3]);
    EXPECT_EQ("vantrel: WARNING: 1 computed checksum did NOT match", err[4]);

    const e2e::ConsoleRun quiet = Run("/check /quiet SHA256SUMS");
    EXPECT_EQ(1u, quiet.code);
    EXPECT_EQ(Sorted({"name with blanks.txt: FAILED open or read", "plain.bin: FAILED",
                      "sub/inner.bin: FAILED open or read"}),
              Sorted(testutil::SplitCrLf(quiet.out)));
}

TEST_F(Check, BadChecksumFilesAndArguments) {
    dir.Write("garbage.bin", testutil::SeededBytes(300000, 7));
    dir.Write("empty", "");
    struct Case {
        std::string args;
        DWORD code;
        std::string out, err;  // err: the start of standard error
    };
    const Case cases[] = {
        {"/check garbage.bin", 1, "", "vantrel: garbage.bin: no properly formatted checksum lines found"},
        {"/check empty", 1, "", "vantrel: empty: no properly formatted checksum lines found"},
        {"/check missing.sha256", 1, "", "vantrel: missing.sha256: "},
        {"/check sub", 1, "", "vantrel: sub: Is a folder"},
        {"/check CON", 1, "", "vantrel: CON: names a device, not a file"},
        {"/check nul.txt", 1, "", "vantrel: nul.txt: names a device, not a file"},
        {"/check", 2, "", "vantrel: no SUMFILE given\r\nUsage:"},
        {"/CHECK /strict x", 2, "", "vantrel: unknown option /strict for /check\r\nUsage:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const e2e::ConsoleRun r = Run(c.args);
        EXPECT_EQ(c.code, r.code);
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(0u, r.err.find(c.err)) << r.err;
    }
}

TEST_F(Check, NamesOutsideTheFolderTwiceDevicesAndItself) {
    Shell("cd sub && sha256sum ../plain.bin inner.bin > SHA256SUMS");
    std::string extra;
    const std::string plainHash = testutil::CryptoApiHash(CALG_SHA_256, contents[0]);
    extra += plainHash + "  " + dir.Path("plain.bin") + "\n";       // absolute, with a drive
    extra += plainHash + " *..\\plain.bin\r\n";                     // again, Windows slashes, CR LF
    extra += plainHash + "  NUL\n";                                 // a device
    extra += plainHash + "  deeper/con.txt\n";                      // a device in a folder
    extra += plainHash + "  SHA256SUMS\n";                          // the checksum file itself
    extra += plainHash + "  " + std::string(8u << 20, 'x') + "\n";  // a line of 8 MiB
    extra += "\\" + plainHash + "  new\\nline\n";                   // a name no Windows file can have
    {
        base::UniqueFile f(CreateFileA(dir.Path("sub\\SHA256SUMS").c_str(), FILE_APPEND_DATA, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(f.valid());
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f.get(), extra.data(), static_cast<DWORD>(extra.size()), &written, nullptr));
    }
    const e2e::ConsoleRun r = Run("/check sub\\SHA256SUMS");
    EXPECT_EQ(1u, r.code);
    const std::vector<std::string> expected = {
        "../plain.bin: OK",
        "inner.bin: OK",
        dir.Path("plain.bin") + ": OK",
        "..\\plain.bin: OK",
        "NUL: FAILED open or read",
        "deeper/con.txt: FAILED open or read",
        "SHA256SUMS: FAILED",
        "\\new\\nline: FAILED open or read",
    };
    EXPECT_EQ(expected, testutil::SplitCrLf(r.out));
    for (const char* part :
         {"vantrel: NUL: names a device, not a file", "vantrel: deeper/con.txt: names a device",
          "vantrel: SHA256SUMS: the checksum file lists itself",
          "vantrel: \\new\\nline: no Windows file can have a control character",
          "vantrel: WARNING: 1 line is improperly formatted",
          "vantrel: WARNING: 3 listed files could not be read",
          "vantrel: WARNING: 1 computed checksum did NOT match"})
        EXPECT_NE(std::string::npos, r.err.find(part)) << part << "\n" << r.err;
}

// Standard output a pipe whose reader is gone, as with "| head -1": the run
// ends at the first line it cannot write, with one message.
TEST_F(Check, AClosedOutputEndsTheRunWithOneMessage) {
    Shell("sha256sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > SHA256SUMS");
    const e2e::ConsoleRun run = e2e::RunConsoleIntoClosingPipe(dir.path(), "/check SHA256SUMS", 0);
    EXPECT_EQ(1u, run.code);
    EXPECT_EQ("vantrel: cannot write to standard output\r\n", run.err);
}

}  // namespace

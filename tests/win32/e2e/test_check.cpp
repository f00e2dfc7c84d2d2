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
        // As sha256sum, a file that cannot be read; of its name the part in
        // the first 256 KiB of the line and in its last 512 bytes are held.
        std::string(256 * 1024 - 66 + 512, 'x') + ": FAILED open or read",
        "\\new\\nline: FAILED open or read",
    };
    EXPECT_EQ(expected, testutil::SplitCrLf(r.out));
    for (const char* part :
         {"vantrel: NUL: names a device, not a file", "vantrel: deeper/con.txt: names a device",
          "vantrel: SHA256SUMS: the checksum file lists itself",
          "vantrel: \\new\\nline: no Windows file can have a control character",
          "vantrel: WARNING: 4 listed files could not be read",
          "vantrel: WARNING: 1 computed checksum did NOT match"})
        EXPECT_NE(std::string::npos, r.err.find(part)) << part << "\n" << r.err.substr(0, 2000);
    EXPECT_EQ(std::string::npos, r.err.find("improperly formatted"));
}

// Standard output a pipe whose reader is gone, as with "| head -1": the run
// ends at the first line it cannot write, with one message.
TEST_F(Check, AClosedOutputEndsTheRunWithOneMessage) {
    Shell("sha256sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > SHA256SUMS");
    const e2e::ConsoleRun run = e2e::RunConsoleIntoClosingPipe(dir.path(), "/check SHA256SUMS", 0);
    EXPECT_EQ(1u, run.code);
    EXPECT_EQ("vantrel: cannot write to standard output\r\n", run.err);
}

// Lines in the forms GNU coreutils reads, and lists whose name says their
// kind, each checked by the real tool on this machine (coreutils 9.1 on
// Debian 12 when this was written: sha256sum -c and md5sum -c read tagged
// and untagged lines, cksum -c tagged ones only) and by /check: the same
// lines, the same warnings and the same exit code.
TEST_F(Check, LineFormsAndListKindsAgreeWithTheRealTools) {
    // $S, $T: SHA-256 of plain.bin and sub/inner.bin; $M: MD5 of plain.bin.
    const std::string digests =
        "S=$(sha256sum plain.bin | cut -c1-64); T=$(sha256sum sub/inner.bin | cut -c1-64); "
        "M=$(md5sum plain.bin | cut -c1-32); ";
    const std::string crc = UsualCrc(contents[0]);
    struct Case {
        const char* list;
        std::string lines;  // printf's arguments that write the list
        const char* tool;
    };
    const Case cases[] = {
        // A CRC-32 in a SHA-256 list is improperly formatted.
        {"crc.sha256", "'%s  plain.bin\\n%s  sub/inner.bin\\n' " + crc + " $T", "sha256sum"},
        {"SHA256SUMS", "'%s  plain.bin\\n%s  sub/inner.bin\\n' $M $T", "sha256sum"},
        {"MD5SUMS", "'%s  plain.bin\\n%s  sub/inner.bin\\n' $M $T", "md5sum"},
        // A name longer than any line held: no such file.
        {"long.sha256", "'%s  %s\\n%s  sub/inner.bin\\n' $S $(head -c 300000 /dev/zero | tr '\\0' n) $T",
         "sha256sum"},
        {"longtag.sha256", "'SHA256 (%s) = %s\\n' $(head -c 300000 /dev/zero | tr '\\0' n) $S", "sha256sum"},
        // No blank before '=', one blank after the digits; after that
        // line, as sha256sum reads it, a second blank starts the name.
        {"forms.sha256",
         "'SHA256 (plain.bin)= %s\\nSHA256 (sub/inner.bin)=%s\\n%s plain.bin\\n   \\\\%s  sub/inner.bin\\n' "
         "$S $T $S $T",
         "sha256sum"},
        // Leading blanks and a backslash.
        {"escaped.sha256", "'   \\\\%s  sub/inner.bin\\n\\t\\\\%s *plain.bin\\n' $T $S", "sha256sum"},
        // OpenSSL's form.
        {"openssl.md5", "'MD5(plain.bin)= %s\\n  \\\\MD5 (plain.bin) = %s\\n%s\\tplain.bin\\n' $M $M $M",
         "md5sum"},
        // cksum: tagged lines, one that fails and an untagged one it refuses.
        {"tagged.sha256",
         "'SHA256(plain.bin)= %s\\n\\t\\\\SHA256 (sub/inner.bin) = %s\\nSHA256 (plain.bin) = %s\\n' $S $T $T",
         "cksum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        const std::string list = c.list;
        Shell(digests + "printf " + c.lines + " > " + list);
        Shell(std::string(c.tool) + " -c " + list + " > tool.out 2> tool.err; echo $? > tool.rc");
        // The tool's lines end in LF alone.
        auto toolLines = [&](const char* name) {
            const std::string text = testutil::ReadAll(dir.Path(name));
            std::vector<std::string> lines;
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t end = text.find('\n', at);
                lines.push_back(text.substr(at, end - at));
                at = end == std::string::npos ? text.size() : end + 1;
            }
            return lines;
        };
        const std::vector<std::string> toolOut = toolLines("tool.out"), toolErr = toolLines("tool.err");
        const DWORD toolCode = static_cast<DWORD>(std::stoul(testutil::ReadAll(dir.Path("tool.rc"))));

        const e2e::ConsoleRun r = Run("/check " + list);
        EXPECT_EQ(toolCode, r.code);
        const std::vector<std::string> out = testutil::SplitCrLf(r.out);
        ASSERT_EQ(toolOut.size(), out.size()) << r.out;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (toolOut[i].size() < 1000) {
                EXPECT_EQ(toolOut[i], out[i]);
                continue;
            }
            // Of a name beyond the lines held, its start, then the same verdict.
            const std::size_t colon = out[i].rfind(": ");
            ASSERT_NE(std::string::npos, colon);
            EXPECT_EQ(0u, toolOut[i].find(out[i].substr(0, colon)));
            EXPECT_EQ(toolOut[i].substr(toolOut[i].rfind(": ")), out[i].substr(colon));
        }
        // The same messages; the warnings word for word.
        const std::vector<std::string> err = testutil::SplitCrLf(r.err);
        ASSERT_EQ(toolErr.size(), err.size()) << r.err;
        const std::string toolPrefix = std::string(c.tool) + ": WARNING: ";
        for (std::size_t i = 0; i < err.size(); ++i)
            if (toolErr[i].compare(0, toolPrefix.size(), toolPrefix) == 0)
                EXPECT_EQ("vantrel: WARNING: " + toolErr[i].substr(toolPrefix.size()), err[i]);
            else
                EXPECT_EQ(0u, err[i].find("vantrel: ")) << err[i];
    }
}

}  // namespace

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
#include <utility>
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

    // Runs `toolCommand` (say "sha256sum -c SHA256SUMS") outside Wine and
    // /check with `arguments` in the folder, and expects what the tool gives:
    // the same exit code, the same lines on standard output, as many lines on
    // standard error, and its warnings, its messages on improperly formatted
    // lines and "no file was verified" word for word ("vantrel: " for
    // "<tool>: ", in any order: /check gives the messages on a list's lines
    // as it reads the list, before the verdicts). The tool's other messages
    // (why a file cannot be read) are its system's words.
    // `toolWords`: replacements in the tool's worded lines, for a tool run on
    // a twin list (another name, another kind).
    void ExpectSameAsTool(const std::string& toolCommand, const std::string& arguments,
                          const std::vector<std::pair<std::string, std::string>>& toolWords = {}) {
        SCOPED_TRACE(toolCommand + " | /check " + arguments);
        const std::string tool = toolCommand.substr(0, toolCommand.find(' '));
        Shell(toolCommand + " > tool.out 2> tool.err; echo $? > tool.rc");
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

        const e2e::ConsoleRun r = Run("/check " + arguments);
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
        const std::vector<std::string> err = testutil::SplitCrLf(r.err);
        EXPECT_EQ(toolErr.size(), err.size()) << r.err;
        auto worded = [](const std::string& line) {
            return line.find(": WARNING: ") != std::string::npos ||
                   line.find(": improperly formatted ") != std::string::npos ||
                   line.find(": no file was verified") != std::string::npos;
        };
        std::vector<std::string> toolWorded, ownWorded;
        for (const std::string& line : toolErr)
            if (worded(line) && line.compare(0, tool.size() + 2, tool + ": ") == 0) {
                std::string own = "vantrel: " + line.substr(tool.size() + 2);
                for (const auto& w : toolWords) {
                    const std::size_t at = own.find(w.first);
                    if (at != std::string::npos) own.replace(at, w.first.size(), w.second);
                }
                toolWorded.push_back(own);
            }
        for (const std::string& line : err) {
            EXPECT_EQ(0u, line.find("vantrel: ")) << line;
            if (worded(line)) ownWorded.push_back(line);
        }
        EXPECT_EQ(Sorted(toolWorded), Sorted(ownWorded)) << r.err;
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
        {"/CHECK /strictly x", 2, "", "vantrel: unknown option /strictly for /check\r\nUsage:"},
        {"/check /alg sha3-256 x", 2, "",
         "vantrel: unknown kind sha3-256 for /alg; it takes md5, sha1, sha256, sha384, sha512, blake2b, "
         "blake3, crc32\r\nUsage:"},
        {"/check x /alg", 2, "", "vantrel: /alg needs a kind: md5, "},
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
        ExpectSameAsTool(std::string(c.tool) + " -c " + list, list);
    }
}

// Lists each tool made of files with blanks, letters beyond ASCII and
// subfolders, with a line that is no checksum line, one of blanks, an empty
// one, a file corrupted and a
// file gone since; checked by the tool and by /check with and without each
// option (the tool's option of the same name). A BLAKE3 list is held to
// sha256sum's words on its SHA-256 twin: b3sum --check has none of the
// options, no warnings and its own words for a file it cannot read.
TEST_F(Check, ListsOfEveryToolWithAndWithoutEachOptionAgreeWithTheTool) {
    const std::string files = " *.txt *.bin sub/inner.bin sub/deeper/*.bin sub/gone.dat";
    dir.Write("sub\\gone.dat", "soon gone");
    struct List {
        const char* name;
        const char* make;
        const char* check;     // the tool's check, before its options
        const char* toolList;  // the list the tool checks
        std::vector<std::pair<std::string, std::string>> toolWords;
    };
    const List lists[] = {
        {"SHA256SUMS", "sha256sum", "sha256sum -c", "SHA256SUMS", {}},
        {"tag.sha512", "sha512sum --tag", "sha512sum -c", "tag.sha512", {}},
        {"MD5SUMS", "md5sum -b", "md5sum -c", "MD5SUMS", {}},
        {"B2SUMS", "b2sum", "b2sum -c", "B2SUMS", {}},
        {"short.b2", "b2sum -l 256", "b2sum -c", "short.b2", {}},
        {"CHECKSUMS", "cksum -a blake2b -l 256", "cksum -c", "CHECKSUMS", {}},
        {"cksum.sha384", "cksum -a sha384", "cksum -c", "cksum.sha384", {}},
        {"B3SUMS", "b3sum", "sha256sum -c", "SHA256SUMS", {{"SHA256SUMS", "B3SUMS"}, {"SHA256 ", "BLAKE3 "}}},
    };
    for (const List& l : lists)
        Shell(std::string(l.make) + files + " > " + l.name +
              " && printf 'not a checksum line\\n  \\n\\n' >> " + l.name);
    ASSERT_TRUE(DeleteFileA(dir.Path("sub\\gone.dat").c_str()));
    std::string corrupted = contents[0];
    corrupted[10] ^= 1;
    dir.Write("plain.bin", corrupted);

    for (const char* options : {"", "/strict", "/status", "/warn", "/ignore-missing", "/quiet",
                                "/ignore-missing /status", "/strict /warn", "/warn /quiet"}) {
        std::string toolOptions = options;
        for (std::size_t at = 0; (at = toolOptions.find('/', at)) != std::string::npos; at += 2)
            toolOptions.replace(at, 1, "--");
        for (const List& l : lists)
            ExpectSameAsTool(std::string(l.check) + " " + toolOptions + " " + l.toolList,
                             std::string(options) + " " + l.name, l.toolWords);
    }

    // Nothing there: with /ignore-missing, "no file was verified".
    Shell("sha256sum sub/inner.bin > none.sha256 && rm sub/inner.bin");
    for (const char* options : {"", "/ignore-missing", "/ignore-missing /quiet", "/ignore-missing /status"}) {
        std::string toolOptions = options;
        for (std::size_t at = 0; (at = toolOptions.find('/', at)) != std::string::npos; at += 2)
            toolOptions.replace(at, 1, "--");
        ExpectSameAsTool("sha256sum -c " + toolOptions + " none.sha256",
                         std::string(options) + " none.sha256");
    }
}

// BLAKE3 lists as b3sum writes them: known by their name (B3SUMS, *.b3,
// *.blake3) or by /alg blake3, and checked as b3sum --check checks them;
// given to /alg sha256 every entry fails, as with sha256sum.
TEST_F(Check, BlakeThreeListsByTheirNameOrByAlg) {
    Shell(
        "b3sum *.txt *.bin sub/inner.bin sub/deeper/*.bin > B3SUMS && cp B3SUMS list.blake3 && "
        "cp B3SUMS x.b3 && cp B3SUMS b3.txt");
    ExpectSameAsTool("b3sum --check B3SUMS", "B3SUMS");
    ExpectSameAsTool("b3sum --check list.blake3", "list.blake3");
    ExpectSameAsTool("b3sum --check --quiet x.b3", "/quiet x.b3");
    ExpectSameAsTool("b3sum --check b3.txt", "/alg blake3 b3.txt");
    ExpectSameAsTool("b3sum --check B3SUMS", "/alg BLAKE3 B3SUMS");
    // Read by its digits' length, a BLAKE3 list without its name is SHA-256.
    ExpectSameAsTool("sha256sum -c b3.txt", "b3.txt");
    ExpectSameAsTool("sha256sum -c B3SUMS", "/alg sha256 B3SUMS");
    const e2e::ConsoleRun r = Run("/check /alg sha256 B3SUMS");
    EXPECT_EQ(1u, r.code);
    EXPECT_EQ(names.size(), testutil::SplitCrLf(r.out).size());
    EXPECT_EQ(std::string::npos, r.out.find(": OK")) << r.out;
}

// A clearsigned list (written here in the armor's shape: its header, the
// blank line, a dash-escaped line, a signature block whose checksum is
// wrong) is checked as it was signed: its files get the tool's
// verdicts, the armor around the signed text is no line of the list (the
// tools count it as improperly formatted lines), the dash-escaped line is
// read unescaped, and a signature that does not verify fails the run.
TEST_F(Check, AClearsignedListIsReadAsSignedAndItsBadSignatureFailsTheRun) {
    Shell(
        "{ printf -- '-----BEGIN PGP SIGNED MESSAGE-----\\nHash: SHA256\\n\\n'; "
        "sha256sum *.txt *.bin sub/inner.bin sub/deeper/*.bin; printf -- '- -- a dash-escaped line\\n'; "
        "printf -- '-----BEGIN PGP SIGNATURE-----\\n\\niQEzBAEBCAAdFiEEq0Zr9dJb1xZkYsA6mWc2uTgV3lAFAmV0\\n"
        "=Xq3L\\n-----END PGP SIGNATURE-----\\n'; } > SHA256SUMS.asc");
    Shell("sha256sum -c SHA256SUMS.asc > tool.out 2>/dev/null");
    std::string toolOut;
    for (char c : testutil::ReadAll(dir.Path("tool.out")))
        toolOut += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string bad = "SHA256SUMS.asc: BAD signature: armor checksum (CRC-24) does not match";
    const struct {
        const char* options;
        std::string out;
        std::vector<std::string> err;
    } cases[] = {
        {"", toolOut, {bad, "vantrel: WARNING: 1 line is improperly formatted"}},
        {"/strict ", toolOut, {bad, "vantrel: WARNING: 1 line is improperly formatted"}},
        {"/status ", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const e2e::ConsoleRun r = Run(std::string("/check ") + c.options + "SHA256SUMS.asc");
        EXPECT_EQ(1u, r.code);
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(c.err, testutil::SplitCrLf(r.err));
    }
}

// Tags of algorithms not computed here: one line each on standard error and
// a count of their own, never among the improperly formatted lines; the run
// fails, whatever the options, since those files were not verified.
TEST_F(Check, AnUnsupportedDigestIsNamedAndCountedApart) {
    Shell(
        "S=$(sha256sum plain.bin | cut -c1-64); printf 'SHA3-256 (plain.bin) = %s\\nSHA256 (plain.bin) = "
        "%s\\nSM3 (sub/inner.bin) = %s\\ngarbage\\n' $S $S $S > mixed.txt");
    struct Case {
        const char* options;
        std::string out;
        std::vector<std::string> err;
    };
    const std::vector<std::string> named = {"vantrel: plain.bin: unsupported digest SHA3-256",
                                            "vantrel: sub/inner.bin: unsupported digest SM3"};
    const Case cases[] = {
        {"",
         "plain.bin: OK\r\n",
         {named[0], named[1], "vantrel: WARNING: 1 line is improperly formatted",
          "vantrel: WARNING: 2 lines use an unsupported digest"}},
        {"/ignore-missing /quiet",
         "",
         {named[0], named[1], "vantrel: WARNING: 1 line is improperly formatted",
          "vantrel: WARNING: 2 lines use an unsupported digest"}},
        {"/status", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const e2e::ConsoleRun r = Run(std::string("/check mixed.txt ") + c.options);
        EXPECT_EQ(1u, r.code);
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(c.err, testutil::SplitCrLf(r.err));
    }
}

// 100,000 lines and lines of 10 MB, garbage and a name: what sha256sum -c
// gives for this list (the lines, the warnings, exit code 1; checked by
// hand, as the tool takes longer than a shell command is given here when
// the machine is busy); a line costs no more memory than the reader holds.
TEST_F(Check, AHundredThousandLinesAndLinesOfTenMegabytes) {
    Shell(
        "S=$(sha256sum plain.bin | cut -c1-64); T=$(sha256sum sub/inner.bin | cut -c1-64); "
        "awk -v s=$S -v t=$T -v p=plain.bin -v q=sub/inner.bin "
        "'BEGIN { OFS = FS FS; for (i = 0; i < 50000; i++) { print s, p; print t, q } }' "
        "> many.sha256 && head -c 10485760 /dev/zero | tr '\\0' g >> many.sha256 && echo >> many.sha256 && "
        "printf '%s  ' $S >> many.sha256 && head -c 10485760 /dev/zero | tr '\\0' n >> many.sha256 && "
        "echo >> many.sha256");
    const e2e::ConsoleRun r = Run("/check many.sha256");
    EXPECT_EQ(1u, r.code);
    const std::vector<std::string> out = testutil::SplitCrLf(r.out);
    ASSERT_EQ(100001u, out.size());
    for (std::size_t i = 0; i < 100000; ++i)
        ASSERT_EQ(i % 2 ? "sub/inner.bin: OK" : "plain.bin: OK", out[i]) << i;
    EXPECT_EQ(std::string(256 * 1024 - 66 + 512, 'n') + ": FAILED open or read", out.back());
    const std::vector<std::string> err = testutil::SplitCrLf(r.err);
    ASSERT_EQ(3u, err.size());
    EXPECT_EQ(0u, err[0].find("vantrel: nnnn"));
    EXPECT_EQ("vantrel: WARNING: 1 line is improperly formatted", err[1]);
    EXPECT_EQ("vantrel: WARNING: 1 listed file could not be read", err[2]);
    const e2e::ConsoleRun quiet = Run("/check /quiet /strict many.sha256");
    EXPECT_EQ(1u, quiet.code);
    EXPECT_EQ(1u, testutil::SplitCrLf(quiet.out).size());
}

}  // namespace

// The console's /sums rules that need no OS: its arguments, the names a list
// gives its files, and its lines, which the list's own tool reads back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/console/consoletext.h"
#include "app/console/sumstext.h"
#include "base/asciitext.h"
#include "components/hashtext.h"

namespace {

const SameName kCaseBlind = [](const std::string& a, const std::string& b) {
    return EqualCaseBlindAscii(a, b);
};

TEST(SumsCommandParse, DefaultsKindsAndSwitches) {
    struct Case {
        std::vector<std::string> args;
        DigestKind kind;
        bool tag, zero;
        std::vector<std::string> files;
        std::string out;
    };
    const Case cases[] = {
        {{"/sums", "a"}, DigestKind::SHA256, false, false, {"a"}, ""},
        {{"/SUMS", "/alg", "BLAKE3", "a", "b\\c"}, DigestKind::BLAKE3, false, false, {"a", "b\\c"}, ""},
        {{"/sums", "/tag", "/alg", "sha512", "d", "/out", "SHA512SUMS"},
         DigestKind::SHA512,
         true,
         false,
         {"d"},
         "SHA512SUMS"},
        {{"/sums", "/zero", "/Alg", "md5", "x"}, DigestKind::MD5, false, true, {"x"}, ""},
        {{"/sums", "/alg", "crc32", "x", "/out", "x.sfv"}, DigestKind::CRC32, false, false, {"x"}, "x.sfv"},
        {{"/sums", "/alg", "blake2b", "C:/y", "/tmp/z"},
         DigestKind::BLAKE2b,
         false,
         false,
         {"C:/y", "/tmp/z"},
         ""},
    };
    for (const Case& c : cases) {
        SumsCommand cmd;
        std::string error;
        ASSERT_TRUE(ParseSumsCommand(c.args, cmd, error)) << error;
        EXPECT_EQ(c.kind, cmd.kind);
        EXPECT_EQ(c.tag, cmd.tag);
        EXPECT_EQ(c.zero, cmd.zero);
        EXPECT_EQ(c.files, cmd.files);
        EXPECT_EQ(!c.out.empty(), cmd.hasOut);
        EXPECT_EQ(c.out, cmd.out);
    }
}

TEST(SumsCommandParse, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"/sums"}, "no FILE given"},
        {{"/sums", "/out", "x"}, "no FILE given"},
        {{"/sums", "/alg", "sha3", "a"},
         "unknown /alg sha3 (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)"},
        {{"/sums", "/alg", "sha-256", "a"},
         "unknown /alg sha-256 (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)"},
        {{"/sums", "a", "/alg"}, "/alg needs a KIND"},
        {{"/sums", "/alg", "md5", "/alg", "sha1", "a"}, "/alg is given twice"},
        {{"/sums", "a", "/out"}, "/out needs a LIST"},
        {{"/sums", "a", "/out", "x", "/out", "y"}, "/out is given twice"},
        {{"/sums", "a", "/quiet"}, "unknown option /quiet for /sums"},
        {{"/sums", "/alg", "crc32", "/tag", "a"},
         "/tag does not go with /alg crc32, whose list is an .sfv file"},
        {{"/sums", "/alg", "crc32", "/zero", "a"},
         "/zero does not go with /alg crc32, whose list is an .sfv file"},
        {{"/csv", "a"}, "the first argument must be /sums"},
    };
    for (const Case& c : cases) {
        SumsCommand cmd;
        std::string error;
        EXPECT_FALSE(ParseSumsCommand(c.args, cmd, error)) << c.error;
        EXPECT_EQ(c.error, error);
    }
}

TEST(SumsListedName, RelativeToTheListsFolderWithForwardSlashes) {
    struct Case {
        const char* folder;
        const char* file;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\data", "C:\\data\\a.txt", "a.txt"},
        {"C:\\data\\", "C:\\data\\sub\\deeper\\a b.txt", "sub/deeper/a b.txt"},
        {"c:\\DATA", "C:\\data\\Sub\\x", "Sub/x"},  // folders compared as the file system does
        {"C:\\data\\lists", "C:\\data\\a.txt", "../a.txt"},
        {"C:\\data\\lists\\x", "C:\\other\\sub\\a.txt", "../../../other/sub/a.txt"},
        {"C:\\", "C:\\a.txt", "a.txt"},
        {"C:\\data", "C:\\database\\a.txt", "../database/a.txt"},
        {"C:\\data", "D:\\data\\a.txt", "D:/data/a.txt"},  // no relative name reaches another drive
        {"\\\\server\\share\\lists", "\\\\server\\share\\a\\b.txt", "../a/b.txt"},
        {"\\\\server\\share", "\\\\other\\share\\b.txt", "//other/share/b.txt"},
        {"C:\\data", "\\\\server\\share\\b.txt", "//server/share/b.txt"},
        {"\\\\?\\C:\\data", "C:\\data\\sub\\x", "sub/x"},  // the extended-length form is the same folder
        {"C:\\data", "\\\\?\\UNC\\server\\share\\x", "//server/share/x"},
        {"C:\\data", "C:\\data\\ leading blank.txt", " leading blank.txt"},
        {"C:\\data", "C:\\data\\na\xC3\xAFve\\caf\xC3\xA9.txt", "na\xC3\xAFve/caf\xC3\xA9.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.name, ListedName(c.folder, c.file, kCaseBlind)) << c.folder << " " << c.file;
}

TEST(SumsLines, EachFormAsItsToolWritesItAndReadsItBack) {
    const std::string sha256(64, 'A'), md5 = "0123456789ABCDEF0123456789ABCDEF";
    struct Case {
        DigestKind kind;
        bool tag, zero;
        std::string name, hex, line;
    };
    const std::string lower256(64, 'a');
    const Case cases[] = {
        {DigestKind::SHA256, false, false, "sub/a b.txt", sha256, lower256 + "  sub/a b.txt\n"},
        {DigestKind::SHA256, false, false, " lead", sha256, lower256 + "   lead\n"},
        {DigestKind::SHA256, true, false, "sub/a b.txt", sha256, "SHA256 (sub/a b.txt) = " + lower256 + "\n"},
        {DigestKind::MD5, true, false, "x", md5, "MD5 (x) = 0123456789abcdef0123456789abcdef\n"},
        {DigestKind::BLAKE2b, true, false, "x", std::string(128, 'B'),
         "BLAKE2b (x) = " + std::string(128, 'b') + "\n"},
        {DigestKind::BLAKE3, false, false, "x", sha256, lower256 + "  x\n"},
        // The GNU escapes: a backslash starts the line.
        {DigestKind::SHA256, false, false, "a\\b\nc\rd", sha256, "\\" + lower256 + "  a\\\\b\\nc\\rd\n"},
        {DigestKind::SHA256, true, false, "new\nline", sha256, "\\SHA256 (new\\nline) = " + lower256 + "\n"},
        // --zero: NUL ends the line, the name as it is.
        {DigestKind::SHA256, false, true, "a\\b\nc", sha256, lower256 + "  a\\b\nc" + std::string(1, '\0')},
        {DigestKind::SHA512, true, true, "new\nline (1)", std::string(128, 'C'),
         "SHA512 (new\nline (1)) = " + std::string(128, 'c') + std::string(1, '\0')},
        {DigestKind::CRC32, false, false, "sub/a b.txt", "0A1B2C3D", "sub/a b.txt 0a1b2c3d\n"},
        // An SFV line has no escapes: a name it would not carry is no line.
        {DigestKind::CRC32, false, false, "new\nline", "0A1B2C3D", ""},
        {DigestKind::CRC32, false, false, " lead", "0A1B2C3D", ""},
        {DigestKind::CRC32, false, false, ";comment", "0A1B2C3D", ""},
        {DigestKind::CRC32, false, false, "trailing ", "0A1B2C3D", ""},
    };
    for (const Case& c : cases) {
        SumsCommand cmd;
        cmd.kind = c.kind;
        cmd.tag = c.tag;
        cmd.zero = c.zero;
        const std::string line = SumsLine(cmd, c.name, c.hex);
        EXPECT_EQ(c.line, line) << c.name;
        if (line.empty() || c.zero) continue;
        // What the list's reader makes of it.
        HashLine back;
        GnuSpacing spacing = GnuSpacing::Unknown;
        ASSERT_EQ(LineKind::Entry, ParseHashLine(line.substr(0, line.size() - 1), back, spacing, c.kind))
            << line;
        EXPECT_EQ(c.kind, back.kind);
        EXPECT_EQ(c.name, back.name);
        EXPECT_EQ(c.hex, back.digest);
    }
}

}  // namespace

namespace {

// /csv /hash: the kinds in the order asked, and their columns after the others.
TEST(CsvHashColumns, KindsInTheOrderAskedAndTheirColumnsBeforeTheChecksumFiles) {
    ConsoleCommand cmd;
    std::string error;
    ASSERT_TRUE(
        ParseConsoleCommand({"/csv", "a", "/HASH", "sha256,BLAKE3,crc32", "/out", "x.csv"}, cmd, error))
        << error;
    EXPECT_EQ((std::vector<DigestKind>{DigestKind::SHA256, DigestKind::BLAKE3, DigestKind::CRC32}),
              cmd.hashes);
    const std::string last = ",Checksum file,Checksum file signature\r\n";
    EXPECT_EQ(CsvHeader().substr(0, CsvHeader().size() - last.size()) + ",SHA-256,BLAKE3,CRC-32" + last,
              CsvHeader(cmd.hashes));
    EXPECT_EQ(CsvRecord(ReportSource(), "Valid", "Example")
                      .substr(0, CsvRecord(ReportSource(), "Valid", "Example").size() - 4) +
                  ",ab,cd,SUMS,not signed\r\n",
              CsvRecord(ReportSource(), "Valid", "Example", {"ab", "cd"}, "SUMS", "not signed"));

    const struct {
        std::vector<std::string> args;
        std::string error;
    } bad[] = {
        {{"/csv", "a", "/hash"}, "/hash needs a KIND[,KIND...]"},
        {{"/csv", "a", "/hash", "sha256,"},
         "unknown /hash kind \"\" (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)"},
        {{"/csv", "a", "/hash", "sha-256"},
         "unknown /hash kind \"sha-256\" (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)"},
        {{"/csv", "a", "/hash", "md5,sha1,MD5"}, "/hash names MD5 twice"},
        {{"/csv", "a", "/hash", "md5", "/hash", "sha1"}, "/hash is given twice"},
        {{"/report", "a", "/hash", "md5"}, "/hash goes with /csv only"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(ParseConsoleCommand(c.args, cmd, error)) << c.error;
        EXPECT_EQ(c.error, error);
    }
}

}  // namespace

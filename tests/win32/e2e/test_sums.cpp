// The console's /sums and /csv /hash, run as processes of their own: every
// kind and form of list it writes is checked by the real tools outside Wine
// (sha256sum -c and its kin, b2sum -c, b3sum --check, cksum -c for the tag
// form), for names with blanks, letters beyond ASCII, subfolders and a
// leading blank; the bytes on standard output equal the tools' own; /out's
// refusals; the usage errors; the CSV's digest columns against the tools.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/handles.h"
#include "driver.h"
#include "testutil.h"

namespace {

using testutil::SplitCrLf;
using testutil::TempDir;

// The usual CRC-32 in lower-case hex, bit by bit.
std::string UsualCrc(const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", ~crc);
    return hex;
}

// The lines of a text whose lines end in `end` alone; the text must end in it.
std::vector<std::string> Lines(const std::string& text, char end = '\n') {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t stop = text.find(end, at);
        lines.push_back(text.substr(at, stop - at));
        at = stop == std::string::npos ? text.size() : stop + 1;
    }
    return lines;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

class Sums : public testing::Test {
protected:
    // The files below "data", in the console's walk order, as a list names
    // them from that folder.
    const std::vector<std::string> names = {
        " leading blank.txt",
        "name with blanks.txt",
        "na\xC3\xAFve caf\xC3\xA9.txt",
        "plain.bin",
        "sub/deeper/deep file.bin",
        "sub/inner.bin",
        "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.bin",
    };

    void SetUp() override {
        for (const char* folder : {"data", "data\\sub", "data\\sub\\deeper"})
            ASSERT_TRUE(CreateDirectoryA(dir.Path(folder).c_str(), nullptr));
        for (std::size_t i = 0; i < names.size(); ++i) {
            contents.push_back(testutil::SeededBytes(700 + 50000 * i, static_cast<std::uint32_t>(i + 11)));
            dir.Write("data\\" + Windows(names[i]), contents.back());
        }
        unixDir = testutil::UnixPath(dir.path());
        ASSERT_FALSE(unixDir.empty());
    }

    static std::string Windows(std::string name) {
        std::replace(name.begin(), name.end(), '/', '\\');
        return name;
    }
    // Runs `command` in the folder, outside Wine.
    void Shell(const std::string& command) {
        ASSERT_TRUE(testutil::RunUnixShell("cd '" + unixDir + "' && " + command)) << command;
    }
    // Runs the real `tool` on `list` in the list's folder `folder`: its exit
    // code and its standard output.
    std::pair<int, std::string> Tool(const std::string& folder, const std::string& tool,
                                     const std::string& list) {
        Shell("cd '" + folder + "' && " + tool + " '" + list + "' > '" + unixDir +
              "/tool.out' 2>&1; echo $? > '" + unixDir + "/tool.rc'");
        return {std::stoi(testutil::ReadAll(dir.Path("tool.rc"))), testutil::ReadAll(dir.Path("tool.out"))};
    }
    // The files' names after "data/", each in single quotes, for a shell.
    std::string ShellNames() const {
        std::string all;
        for (const std::string& n : names) all += " 'data/" + n + "'";
        return all;
    }
    e2e::ConsoleRun Run(const std::string& arguments) {
        return e2e::RunConsoleProgram(dir.path(), arguments);
    }

    TempDir dir;
    std::string unixDir;
    std::vector<std::string> contents;
};

TEST_F(Sums, EveryKindAndFormPassesTheRealToolsCheck) {
    struct Kind {
        const char* alg;  // empty: no /alg, which is sha256
        const char* tag;  // the BSD tag
        std::size_t digits;
        const char* check;     // the kind's own tool
        const char* tagCheck;  // the tool that reads the tag form; none for BLAKE3
    };
    const Kind kinds[] = {
        {"", "SHA256", 64, "sha256sum -c", "cksum -c"},
        {"md5", "MD5", 32, "md5sum -c", "cksum -c"},
        {"sha1", "SHA1", 40, "sha1sum -c", "cksum -c"},
        {"sha256", "SHA256", 64, "sha256sum -c", "cksum -c"},
        {"sha384", "SHA384", 96, "sha384sum -c", "cksum -c"},
        {"sha512", "SHA512", 128, "sha512sum -c", "cksum -c"},
        {"blake2b", "BLAKE2b", 128, "b2sum -c", "cksum -c"},
        {"blake3", "BLAKE3", 64, "b3sum --check", nullptr},
    };
    std::string allOk;
    for (const std::string& n : names) allOk += n + ": OK\n";
    for (const Kind& k : kinds) {
        for (const bool tag : {false, true}) {
            const std::string list =
                std::string("list.") + (*k.alg ? k.alg : "default") + (tag ? ".tag" : "");
            SCOPED_TRACE(list);
            std::string args = "/sums ";
            if (*k.alg) args += std::string("/alg ") + k.alg + " ";
            if (tag) args += "/tag ";
            // The list inside the walked folder: it never lists itself.
            const e2e::ConsoleRun r = Run(args + "data /out data\\" + list);
            EXPECT_EQ(0u, r.code) << r.err;
            EXPECT_EQ("", r.out);
            EXPECT_EQ("", r.err);
            const std::string text = testutil::ReadAll(dir.Path("data\\" + list));
            EXPECT_EQ(std::string::npos, text.find('\r'));
            EXPECT_NE(0u, text.find("\xEF\xBB\xBF"));
            ASSERT_FALSE(text.empty());
            EXPECT_EQ('\n', text.back());
            const std::vector<std::string> lines = Lines(text);
            ASSERT_EQ(names.size(), lines.size()) << text;
            for (std::size_t i = 0; i < names.size(); ++i) {
                const std::string& line = lines[i];
                if (tag) {
                    const std::string start = std::string(k.tag) + " (" + names[i] + ") = ";
                    EXPECT_EQ(start, line.substr(0, start.size()));
                    EXPECT_EQ(start.size() + k.digits, line.size()) << line;
                } else {
                    EXPECT_EQ("  " + names[i], line.substr(k.digits)) << line;
                }
            }
            const char* tool = tag ? k.tagCheck : k.check;
            if (tool) {
                const auto checked = Tool(unixDir + "/data", tool, list);
                EXPECT_EQ(0, checked.first) << checked.second;
                EXPECT_EQ(allOk, checked.second);
            } else {
                // No tool here reads BLAKE3 tags: the program's own check.
                const e2e::ConsoleRun check = Run("/check data\\" + list);
                EXPECT_EQ(0u, check.code) << check.err;
                EXPECT_EQ(names.size(), SplitCrLf(check.out).size()) << check.out;
            }
            ASSERT_TRUE(DeleteFileA(dir.Path("data\\" + list).c_str()));
        }
    }
}

// crc32 writes an SFV list; a name that no SFV line can carry (a leading
// blank is read as no part of the name) fails alone.
TEST_F(Sums, Crc32WritesAnSfvListOfTheUsualCrcs) {
    const e2e::ConsoleRun r = Run("/sums /alg crc32 data /out data\\release.sfv");
    EXPECT_EQ(1u, r.code);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("vantrel: data\\ leading blank.txt: an .sfv line cannot hold this name\r\n", r.err);
    std::string expected;
    for (std::size_t i = 1; i < names.size(); ++i) expected += names[i] + " " + UsualCrc(contents[i]) + "\n";
    EXPECT_EQ(expected, testutil::ReadAll(dir.Path("data\\release.sfv")));
    const e2e::ConsoleRun check = Run("/check data\\release.sfv");
    EXPECT_EQ(0u, check.code) << check.err;
    EXPECT_EQ(names.size() - 1, SplitCrLf(check.out).size()) << check.out;
}

// Without /out the bytes on standard output are the real tools' own for the
// same files in the same order, with --tag and --zero too.
TEST_F(Sums, StandardOutputHoldsTheToolsBytes) {
    struct Case {
        const char* args;
        const char* tool;
    };
    const Case cases[] = {
        {"/sums data", "sha256sum"},
        {"/sums /alg md5 /tag data", "md5sum --tag"},
        {"/sums /zero /alg sha1 data", "sha1sum --zero"},
        {"/sums /tag /zero /alg blake2b data", "b2sum --tag --zero"},
        {"/sums /alg sha384 data", "cksum -a sha384 --untagged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const e2e::ConsoleRun r = Run(c.args);
        EXPECT_EQ(0u, r.code) << r.err;
        EXPECT_EQ("", r.err);
        Shell(std::string(c.tool) + ShellNames() + " > tool.out");
        EXPECT_EQ(testutil::ReadAll(dir.Path("tool.out")), r.out);
    }
    // The same bytes as a list under /out in the current folder.
    const e2e::ConsoleRun out = Run("/sums data");
    ASSERT_EQ(0u, Run("/sums data /out all.sha256").code);
    EXPECT_EQ(out.out, testutil::ReadAll(dir.Path("all.sha256")));
    // A reader that goes away: one message.
    const e2e::ConsoleRun closed = e2e::RunConsoleIntoClosingPipe(dir.path(), "/sums data", 0);
    EXPECT_EQ(1u, closed.code);
    EXPECT_EQ("vantrel: cannot write to standard output\r\n", closed.err);
}

// A list in another folder names the files from there, with "../"; the tool
// run in the list's folder finds them.
TEST_F(Sums, FilesOutsideTheListsFolderAreNamedFromIt) {
    ASSERT_TRUE(CreateDirectoryA(dir.Path("lists").c_str(), nullptr));
    const e2e::ConsoleRun r =
        Run("/sums data\\sub \"" + dir.Path("data\\plain.bin") + "\" /out lists\\SHA256SUMS");
    EXPECT_EQ(0u, r.code) << r.err;
    const std::vector<std::string> listed = {"../data/sub/deeper/deep file.bin", "../data/sub/inner.bin",
                                             "../data/plain.bin"};
    const std::vector<std::string> lines = Lines(testutil::ReadAll(dir.Path("lists\\SHA256SUMS")));
    ASSERT_EQ(listed.size(), lines.size());
    std::string ok;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ("  " + listed[i], lines[i].substr(64));
        ok += listed[i] + ": OK\n";
    }
    const auto checked = Tool(unixDir + "/lists", "sha256sum -c", "SHA256SUMS");
    EXPECT_EQ(0, checked.first) << checked.second;
    EXPECT_EQ(ok, checked.second);
}

// /out refuses what /csv /out refuses, before anything is read: the target
// and every input keep their bytes, and nothing is left beside them.
TEST_F(Sums, OutRefusesADeviceAFolderAnInputAndAProtectedFile) {
    const std::string plain = dir.Path("data\\plain.bin");
    ASSERT_TRUE(CreateHardLinkA(dir.Path("hard.bin").c_str(), plain.c_str(), nullptr));
    const std::string hidden = dir.Write("hidden.sha256", "keep hidden"),
                      locked = dir.Write("locked.sha256", "keep locked");
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    struct Case {
        std::string args, target, reason;
    };
    const std::string input = "it is one of the files being read, which are never replaced";
    const Case cases[] = {
        {"/sums data /out NUL", "NUL", "names a device"},
        {"/sums data /out con.sha256", "con.sha256", "names a device"},
        {"/sums data\\plain.bin /out data", "data", "Is a folder"},
        {"/sums data /out data\\plain.bin", "data\\plain.bin", input},
        {"/sums data\\plain.bin /out DATA\\PLAIN.BIN", "DATA\\PLAIN.BIN", input},
        {"/sums data /out hard.bin", "hard.bin", input},
        {"/sums data /out hidden.sha256", "hidden.sha256",
         "File access denied (the file is hidden, and a read-only, hidden or system file is never replaced)"},
        {"/sums data /out locked.sha256", "locked.sha256",
         "File access denied (the file is read-only, and a read-only, hidden or system file is never "
         "replaced)"},
    };
    const std::vector<std::string> filesBefore = FilesIn(dir.path()), dataBefore = FilesIn(dir.Path("data"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const e2e::ConsoleRun r = Run(c.args);
        EXPECT_EQ(1u, r.code);
        EXPECT_EQ("", r.out);
        const std::string start = "vantrel: " + c.target + ": cannot write " + c.target + ": ";
        EXPECT_EQ(0u, r.err.find(start)) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(c.reason, start.size())) << r.err;
        EXPECT_EQ(1u, SplitCrLf(r.err).size()) << r.err;
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(contents[i], testutil::ReadAll(dir.Path("data\\" + Windows(names[i])))) << names[i];
        EXPECT_EQ("keep hidden", testutil::ReadAll(hidden));
        EXPECT_EQ("keep locked", testutil::ReadAll(locked));
        EXPECT_EQ(filesBefore, FilesIn(dir.path()));
        EXPECT_EQ(dataBefore, FilesIn(dir.Path("data")));
    }
}

// A file that cannot be read, or is missing, is named with its reason on
// standard error; the others are listed, and the list still passes the check.
TEST_F(Sums, AFileThatCannotBeReadIsNamedAndTheOthersListed) {
    base::UniqueFile held(testutil::OpenForWriting(dir.Path("data\\plain.bin")));
    ASSERT_TRUE(held);
    const e2e::ConsoleRun r = Run("/sums data missing.bin /out data\\SHA256SUMS");
    EXPECT_EQ(1u, r.code);
    EXPECT_EQ("", r.out);
    const std::vector<std::string> err = SplitCrLf(r.err);
    ASSERT_EQ(2u, err.size()) << r.err;
    EXPECT_EQ(0u, err[0].find("vantrel: data\\plain.bin: Cannot open file")) << err[0];
    EXPECT_EQ("vantrel: missing.bin: File not found", err[1]);
    held.reset();
    std::string ok;
    for (const std::string& n : names)
        if (n != "plain.bin") ok += n + ": OK\n";
    const auto checked = Tool(unixDir + "/data", "sha256sum -c", "SHA256SUMS");
    EXPECT_EQ(0, checked.first) << checked.second;
    EXPECT_EQ(ok, checked.second);
}

TEST_F(Sums, UsageErrors) {
    struct Case {
        const char* args;
        const char* reason;
    };
    const Case cases[] = {
        {"/sums /alg sha3 data",
         "unknown /alg sha3 (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)"},
        {"/sums data /alg", "/alg needs a KIND"},
        {"/sums", "no FILE given"},
        {"/sums /alg crc32 /tag data", "/tag does not go with /alg crc32, whose list is an .sfv file"},
        {"/sums data /check", "unknown option /check for /sums"},
        {"/csv /hash sha256,sha3 data\\plain.bin",
         "unknown /hash kind \"sha3\" (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)"},
        {"/csv /hash sha256,SHA256 data\\plain.bin", "/hash names SHA256 twice"},
        {"/report /hash md5 data\\plain.bin", "/hash goes with /csv only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const e2e::ConsoleRun r = Run(c.args);
        EXPECT_EQ(2u, r.code);
        EXPECT_EQ("", r.out);
        EXPECT_EQ(0u, r.err.find(std::string("vantrel: ") + c.reason + "\r\nUsage:")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find("sha256 (without /alg)")) << "the usage names the default";
    }
}

// A CSV line split by RFC 4180 (the line holds no line break of its own).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// /csv /hash: a column per kind after the others, in the order asked, named
// as the window names the kind, each value the real tool's.
TEST_F(Sums, CsvHashColumnsHoldTheToolsDigestsInTheOrderAsked) {
    const e2e::ConsoleRun plain = Run("/csv data");
    ASSERT_EQ(0u, plain.code) << plain.err;
    const e2e::ConsoleRun r = Run("/csv /hash blake3,sha256,crc32,BLAKE2b,sha512 data");
    EXPECT_EQ(0u, r.code) << r.err;
    EXPECT_EQ("", r.err);
    const std::vector<std::string> rows = SplitCrLf(r.out), plainRows = SplitCrLf(plain.out);
    ASSERT_EQ(names.size() + 1, rows.size()) << r.out;
    // The checksum file's two columns stay last.
    const std::string last = ",Checksum file,Checksum file signature";
    ASSERT_EQ(plainRows[0].size() - last.size(), plainRows[0].rfind(last));
    EXPECT_EQ(plainRows[0].substr(0, plainRows[0].size() - last.size()) +
                  ",BLAKE3,SHA-256,CRC-32,BLAKE2b,SHA-512" + last,
              rows[0]);
    // The real tools' digests, one line per file in the walk's order.
    Shell("for t in b3sum sha256sum b2sum sha512sum; do $t" + ShellNames() +
          " | cut -d' ' -f1 > $t.out; done");
    const std::vector<std::string> b3 = Lines(testutil::ReadAll(dir.Path("b3sum.out"))),
                                   s256 = Lines(testutil::ReadAll(dir.Path("sha256sum.out"))),
                                   b2 = Lines(testutil::ReadAll(dir.Path("b2sum.out"))),
                                   s512 = Lines(testutil::ReadAll(dir.Path("sha512sum.out")));
    ASSERT_EQ(names.size(), b3.size());
    ASSERT_EQ(names.size(), s512.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const std::vector<std::string> fields = CsvFields(rows[i + 1]);
        ASSERT_EQ(27u + 5 + 2, fields.size()) << rows[i + 1];
        const std::string file = "data\\" + Windows(names[i]);
        ASSERT_LE(file.size(), fields[0].size());
        EXPECT_EQ(file, fields[0].substr(fields[0].size() - file.size()));
        EXPECT_EQ(b3[i], fields[27]);
        EXPECT_EQ(s256[i], fields[28]);
        EXPECT_EQ(UsualCrc(contents[i]), fields[29]);
        EXPECT_EQ(b2[i], fields[30]);
        EXPECT_EQ(s512[i], fields[31]);
    }
}

}  // namespace

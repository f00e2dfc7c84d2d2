// Checksum files as a whole: lines however the bytes arrive, lines of any
// length, the names they list, and the usual names of checksum files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/hashlist.h"

namespace {

const std::string kMd5 = "0cc175b9c0f1b6a831c399e269772661";
const std::string kSha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

struct Seen {
    std::size_t number;
    LineKind kind;
    std::string name;
    bool nameCut;
};

// Every line of `bytes` as the reader reports it, fed in chunks of `chunk`
// bytes, for a list of kind `listKind`.
std::vector<Seen> ReadAll(const std::string& bytes, std::size_t chunk,
                          DigestKind listKind = DigestKind::None) {
    std::vector<Seen> seen;
    HashListReader reader(
        [&](std::size_t n, LineKind kind, const HashLine& line) {
            seen.push_back({n, kind, line.name, line.nameCut});
        },
        listKind);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        reader.Feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
    reader.Finish();
    return seen;
}

TEST(HashListReader, GivesTheSameLinesHoweverTheBytesArrive) {
    const std::string text = "\xEF\xBB\xBF" + kSha256 + "  first.bin\r\n" +  // a byte-order mark, CR LF
                             "\n" +                                          // empty
                             "garbage\n" +                                   //
                             "; comment\n" +                                 //
                             "SHA256 (tag.bin) = " + kSha256 + "\n" +        //
                             "last.sfv cbf43926";                            // no line feed at the end
    const std::vector<Seen> whole = ReadAll(text, text.size());
    ASSERT_EQ(6u, whole.size());
    const LineKind kinds[] = {LineKind::Entry,   LineKind::NoEntry, LineKind::Malformed,
                              LineKind::NoEntry, LineKind::Entry,   LineKind::Entry};
    const char* names[] = {"first.bin", "", "", "", "tag.bin", "last.sfv"};
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(i + 1, whole[i].number);
        EXPECT_EQ(kinds[i], whole[i].kind) << i;
        EXPECT_EQ(names[i], whole[i].name) << i;
    }
    for (std::size_t chunk = 1; chunk < 9; ++chunk) {
        const std::vector<Seen> split = ReadAll(text, chunk);
        ASSERT_EQ(whole.size(), split.size()) << chunk;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(whole[i].kind, split[i].kind) << chunk << " " << i;
            EXPECT_EQ(whole[i].name, split[i].name) << chunk << " " << i;
        }
    }
}

// As sha256sum -c counts them: an empty line (CR LF too) and a '#' line are
// no entries; a line of blanks is improperly formatted, and so are ';' and
// indented '#' lines in a list of a GNU tool's kind; an SFV list keeps its
// ';' comments, and a list of any kind its SFV-style ';' comments.
TEST(HashListReader, BlankLinesAndCommentsAsTheToolsCountThem) {
    const std::string text = "\n\r\n# note\n   \n\t\r\n; comment\n  # indented\n";
    const struct {
        DigestKind list;
        std::vector<LineKind> kinds;
    } cases[] = {
        {DigestKind::SHA256,
         {LineKind::NoEntry, LineKind::NoEntry, LineKind::NoEntry, LineKind::Malformed, LineKind::Malformed,
          LineKind::Malformed, LineKind::Malformed}},
        {DigestKind::BLAKE3,
         {LineKind::NoEntry, LineKind::NoEntry, LineKind::NoEntry, LineKind::Malformed, LineKind::Malformed,
          LineKind::Malformed, LineKind::Malformed}},
        {DigestKind::None,
         {LineKind::NoEntry, LineKind::NoEntry, LineKind::NoEntry, LineKind::Malformed, LineKind::Malformed,
          LineKind::NoEntry, LineKind::NoEntry}},
        {DigestKind::CRC32,
         {LineKind::NoEntry, LineKind::NoEntry, LineKind::NoEntry, LineKind::NoEntry, LineKind::NoEntry,
          LineKind::NoEntry, LineKind::NoEntry}},
    };
    for (const auto& c : cases) {
        const std::vector<Seen> seen = ReadAll(text, 3, c.list);
        ASSERT_EQ(c.kinds.size(), seen.size());
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(c.kinds[i], seen[i].kind) << DigestKindName(c.list) << " line " << i + 1;
    }
}

TEST(HashListReader, AByteOrderMarkCountsOnlyAtTheVeryStart) {
    const std::vector<Seen> later = ReadAll("\n\xEF\xBB\xBF" + kMd5 + "  a", 64);
    ASSERT_EQ(2u, later.size());
    EXPECT_EQ(LineKind::Malformed, later[1].kind);
    EXPECT_TRUE(ReadAll("", 1).empty());
    EXPECT_TRUE(ReadAll("\xEF\xBB\xBF", 1).empty());  // a mark alone is an empty file
}

TEST(HashListReader, ALineOfManyMegabytesNamesAFileByItsStartAndEndAndTheNextIsRead) {
    // As sha256sum reads it, a line names a file however long the name;
    // only the start and the end of the line are held, and the name is
    // marked as cut.
    const std::string hugeName(5u << 20, 'x');
    const std::size_t kMax = HashListReader::kMaxLine, kTail = HashListReader::kTail;
    std::string text = kMd5 + "  " + hugeName + "\n" + kMd5 + "  after.bin\n";
    text += std::string(kMax, 'y') + "\n";                    // at the limit: read
    text += std::string(kMax + 1, 'y') + "\n";                // beyond it: still no line
    text += "SHA256 (" + hugeName + ") = " + kSha256 + "\n";  // a tag line
    text += hugeName + " cbf43926\n";                         // an SFV line
    const std::vector<Seen> seen = ReadAll(text, 1u << 16);
    ASSERT_EQ(6u, seen.size());
    const std::size_t names[] = {kMax - 34 + kTail, 0, 0, 0, kMax - 8 + kTail - 68, kMax + kTail - 9};
    for (std::size_t i : {0u, 4u, 5u}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(LineKind::Entry, seen[i].kind);
        EXPECT_TRUE(seen[i].nameCut);
        EXPECT_EQ(std::string(names[i], 'x'), seen[i].name);
    }
    EXPECT_EQ(LineKind::Entry, seen[1].kind);
    EXPECT_EQ("after.bin", seen[1].name);
    EXPECT_FALSE(seen[1].nameCut);
    EXPECT_EQ(LineKind::Malformed, seen[2].kind);
    EXPECT_EQ(LineKind::Malformed, seen[3].kind);
    // A name just within the limit is kept whole.
    const std::string longName(kMax - 34, 'n');
    const std::vector<Seen> atLimit = ReadAll(kMd5 + "  " + longName, 4096);
    ASSERT_EQ(1u, atLimit.size());
    EXPECT_EQ(longName, atLimit[0].name);
    EXPECT_FALSE(atLimit[0].nameCut);
    // The end is the same however the bytes arrive.
    for (std::size_t chunk : {std::size_t{1000}, std::size_t{7}}) {
        const std::vector<Seen> split = ReadAll(text, chunk);
        ASSERT_EQ(seen.size(), split.size());
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i].name, split[i].name) << chunk << " " << i;
    }
}

TEST(HashListReader, AListWhoseNameSaysItsKindTakesOnlyThatKind) {
    // sha256sum -c finds an 8-digit line in a SHA-256 list improperly
    // formatted: a CRC-32 belongs to an .sfv list.
    const std::string lines[] = {
        "cbf43926  crc.bin",        //
        kMd5 + "  md5.bin",         //
        kSha256 + "  sha256.bin",   //
        "MD5 (tag.bin) = " + kMd5,  //
        "sfv.bin CBF43926",         //
    };
    struct Case {
        DigestKind list;
        bool read[5];
    };
    const Case cases[] = {
        {DigestKind::None, {true, true, true, true, true}},
        {DigestKind::SHA256, {false, false, true, false, false}},
        {DigestKind::MD5, {false, true, false, true, false}},
        {DigestKind::SHA1, {false, false, false, false, false}},
        {DigestKind::CRC32, {true, false, false, false, true}},
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    for (const Case& c : cases) {
        const std::vector<Seen> seen = ReadAll(text, 7, c.list);
        ASSERT_EQ(5u, seen.size());
        for (std::size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(static_cast<int>(c.list));
            SCOPED_TRACE(lines[i]);
            EXPECT_EQ(c.read[i] ? LineKind::Entry : LineKind::Malformed, seen[i].kind);
            if (!c.read[i]) {
                EXPECT_EQ("", seen[i].name);
            }
        }
    }
}

// An untagged line's digits mean the list's kind: 64 are BLAKE3 in a BLAKE3
// list and SHA-256 elsewhere; 128 BLAKE2b in a BLAKE2b list, where b2sum -c
// also takes any shorter whole number of bytes; tagged lines keep their tag.
TEST(HashListReader, UntaggedLinesAreOfTheListsKind) {
    const std::string sha512 = kSha256 + kSha256;
    const struct {
        std::string line;
        DigestKind list, kind;  // kind None: not an entry there
        std::string digest;
    } cases[] = {
        {kSha256 + "  f", DigestKind::None, DigestKind::SHA256, kSha256},
        {kSha256 + "  f", DigestKind::BLAKE3, DigestKind::BLAKE3, kSha256},
        {kSha256 + "  f", DigestKind::BLAKE2b, DigestKind::BLAKE2b, kSha256},
        {kSha256 + "  f", DigestKind::SHA512, DigestKind::None, ""},
        {sha512 + "  f", DigestKind::None, DigestKind::SHA512, sha512},
        {sha512 + "  f", DigestKind::SHA512, DigestKind::SHA512, sha512},
        {sha512 + "  f", DigestKind::BLAKE2b, DigestKind::BLAKE2b, sha512},
        {sha512 + "  f", DigestKind::BLAKE3, DigestKind::None, ""},
        {kMd5 + "  f", DigestKind::BLAKE2b, DigestKind::BLAKE2b, kMd5},
        {kMd5 + "0  f", DigestKind::BLAKE2b, DigestKind::None, ""},     // half a byte
        {sha512 + "00  f", DigestKind::BLAKE2b, DigestKind::None, ""},  // 65 bytes
        {"BLAKE3 (f) = " + kSha256, DigestKind::BLAKE3, DigestKind::BLAKE3, kSha256},
        {"SHA256 (f) = " + kSha256, DigestKind::BLAKE3, DigestKind::None, ""},
        {"BLAKE2b-256 (f) = " + kSha256, DigestKind::BLAKE2b, DigestKind::BLAKE2b, kSha256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SCOPED_TRACE(DigestAlgName(c.list));
        std::vector<HashLine> lines;
        std::vector<LineKind> kinds;
        HashListReader reader(
            [&](std::size_t, LineKind kind, const HashLine& line) {
                kinds.push_back(kind);
                lines.push_back(line);
            },
            c.list);
        const std::string text = c.line + "\n";
        reader.Feed(text.data(), text.size());
        reader.Finish();
        ASSERT_EQ(1u, kinds.size());
        EXPECT_EQ(c.kind == DigestKind::None ? LineKind::Malformed : LineKind::Entry, kinds[0]);
        EXPECT_EQ(c.kind, lines[0].kind);
        std::string upper = c.digest;
        for (char& ch : upper) ch = static_cast<char>(ch >= 'a' && ch <= 'f' ? ch - 'a' + 'A' : ch);
        EXPECT_EQ(upper, lines[0].digest);
    }
}

// A tag of an algorithm not computed here reaches the caller with its name
// and tag, in a list of any kind, so that it can be told apart.
TEST(HashListReader, AnUnsupportedTagIsNoMalformedLine) {
    for (DigestKind list : {DigestKind::None, DigestKind::SHA256, DigestKind::BLAKE3}) {
        std::vector<HashLine> lines;
        std::vector<LineKind> kinds;
        HashListReader reader(
            [&](std::size_t, LineKind kind, const HashLine& line) {
                kinds.push_back(kind);
                lines.push_back(line);
            },
            list);
        const std::string text = "SHA3-256 (a b.iso) = " + kSha256 + "\r\n";
        reader.Feed(text.data(), text.size());
        reader.Finish();
        ASSERT_EQ(1u, kinds.size());
        EXPECT_EQ(LineKind::Unsupported, kinds[0]);
        EXPECT_EQ("a b.iso", lines[0].name);
        EXPECT_EQ("SHA3-256", lines[0].tag);
    }
}

TEST(HashListReader, TheFirstGnuLineFixesTheSpacingOfTheList) {
    // As sha256sum -c reads them: after a line with two characters between
    // the digits and the name, a line with one blank is improperly
    // formatted; after one with one blank, the second blank or '*' starts
    // the name. Tag lines change nothing.
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::string> names;  // empty: malformed
    };
    const std::string tag = "MD5 (t) = " + kMd5;
    const Case cases[] = {
        {{kMd5 + "  a", kMd5 + " b", kMd5 + " *c"}, {"a", "", "c"}},
        {{kMd5 + " a", kMd5 + "  b", kMd5 + " *c"}, {"a", " b", "*c"}},
        {{tag, kMd5 + " a", tag, kMd5 + "  b"}, {"t", "a", "t", " b"}},
        {{tag, kMd5 + " *a", kMd5 + " b"}, {"t", "a", ""}},
        {{"garbage", kMd5 + " a", kMd5 + "  b"}, {"", "a", " b"}},
    };
    for (const Case& c : cases) {
        std::string text;
        for (const std::string& line : c.lines) text += line + "\n";
        SCOPED_TRACE(text);
        const std::vector<Seen> seen = ReadAll(text, 5);
        ASSERT_EQ(c.names.size(), seen.size());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(c.names[i].empty() ? LineKind::Malformed : LineKind::Entry, seen[i].kind) << i;
            EXPECT_EQ(c.names[i], seen[i].name) << i;
        }
    }
}

TEST(HashListReader, BinaryGarbageGivesMalformedLinesOnly) {
    std::string bytes;
    std::uint32_t x = 1;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        bytes += static_cast<char>(x >> 24);
    }
    std::size_t entries = 0, lines = 0;
    HashListReader reader([&](std::size_t, LineKind kind, const HashLine&) {
        ++lines;
        if (kind == LineKind::Entry) ++entries;
    });
    reader.Feed(bytes.data(), bytes.size());
    reader.Finish();
    EXPECT_GT(lines, 100u);
    EXPECT_EQ(0u, entries);
}

TEST(ListedNames, NamesNoWindowsFileCanHave) {
    EXPECT_EQ("", ListedNameProblem("a.txt"));
    EXPECT_EQ("", ListedNameProblem("sub/dir\\na\xC3\xAFve.txt"));
    EXPECT_EQ("", ListedNameProblem("\\\\?\\C:\\long\\a.txt"));
    EXPECT_EQ("", ListedNameProblem("C:\\abs\\a.txt:stream"));
    EXPECT_NE("", ListedNameProblem("new\nline"));
    EXPECT_NE("", ListedNameProblem("cr\r"));
    EXPECT_NE("", ListedNameProblem("tab\there"));
    EXPECT_NE("", ListedNameProblem("del\x7F"));
    for (const char* bad : {"a<b", "a>b", "a\"b", "a|b", "a*b", "a?b", "\\\\.\\?"})
        EXPECT_NE("", ListedNameProblem(bad)) << bad;
    EXPECT_NE("", ListedNameProblem(""));
}

TEST(ListedNames, RootedNamesAndTheirLastPart) {
    for (const char* rooted : {"/etc/passwd", "\\x", "C:\\a", "c:a", "\\\\server\\share\\a"})
        EXPECT_TRUE(IsRootedName(rooted)) << rooted;
    for (const char* relative : {"a", "../a", "sub/a", ".\\a", "1:a", ""})
        EXPECT_FALSE(IsRootedName(relative)) << relative;
    EXPECT_EQ("a.txt", LastNamePart("sub/dir\\a.txt"));
    EXPECT_EQ("a.txt", LastNamePart("a.txt"));
    EXPECT_EQ("", LastNamePart("sub/"));
}

TEST(ChecksumFileNames, TheUsualNamesInTheirOrder) {
    const std::vector<std::string> expected = {
        "SHA256SUMS",   "SHA256SUMS.txt", "SHA1SUMS",      "SHA1SUMS.txt", "MD5SUMS",
        "MD5SUMS.txt",  "CHECKSUMS",      "checksums.txt", "SHA512SUMS",   "SHA512SUMS.txt",
        "SHA384SUMS",   "SHA384SUMS.txt", "B2SUMS",        "B2SUMS.txt",   "B3SUMS",
        "B3SUMS.txt",   "x.iso.sha256",   "x.iso.sha1",    "x.iso.md5",    "x.iso.sfv",
        "x.iso.sha512", "x.iso.sha384",   "x.iso.b2",      "x.iso.b3",     "x.iso.blake3"};
    EXPECT_EQ(expected, ChecksumFileNamesFor("x.iso"));
    // Each name the window looks at says its kind, but for the two that may hold any.
    for (const std::string& name : expected)
        EXPECT_EQ(name == "CHECKSUMS" || name == "checksums.txt", ListKindOfName(name) == DigestKind::None)
            << name;
    for (const char* own : {"x.iso.sha256", "X.ISO.MD5", "x.iso.sha1", "x.iso.sha512", "x.iso.SHA384",
                            "x.iso.b2", "x.iso.b3", "x.iso.blake3"})
        EXPECT_TRUE(IsChecksumFileOf(own, "x.iso")) << own;
    EXPECT_FALSE(IsChecksumFileOf("B3SUMS", "x.iso"));
    EXPECT_FALSE(IsChecksumFileOf("x.iso.b2sum", "x.iso"));
    EXPECT_FALSE(IsChecksumFileOf("x.iso.sfv", "x.iso"));
    EXPECT_FALSE(IsChecksumFileOf("SHA256SUMS", "x.iso"));
    EXPECT_FALSE(IsChecksumFileOf("y.iso.sha1", "x.iso"));
}

TEST(ChecksumFileNames, TheKindANameSays) {
    const struct {
        const char* name;
        DigestKind kind;
    } cases[] = {
        {"SHA256SUMS", DigestKind::SHA256},
        {"sha256sums.txt", DigestKind::SHA256},
        {"x.iso.sha256", DigestKind::SHA256},
        {"C:\\dl\\X.ISO.SHA256", DigestKind::SHA256},
        {"sub/SHA1SUMS", DigestKind::SHA1},
        {"a.sha1", DigestKind::SHA1},
        {"MD5SUMS", DigestKind::MD5},
        {"MD5SUMS.txt", DigestKind::MD5},
        {"a.md5", DigestKind::MD5},
        {"disc.sfv", DigestKind::CRC32},
        {"CHECKSUMS", DigestKind::None},
        {"checksums.txt", DigestKind::None},
        {"list.txt", DigestKind::None},
        {".sha256", DigestKind::None},
        {"SHA256SUMS.asc", DigestKind::None},
        {"x.sha256.txt", DigestKind::None},
        {"sha256/list", DigestKind::None},
        {"", DigestKind::None},
        {"SHA512SUMS", DigestKind::SHA512},
        {"x.sha512", DigestKind::SHA512},
        {"SHA384SUMS.txt", DigestKind::SHA384},
        {"x.SHA384", DigestKind::SHA384},
        {"B2SUMS", DigestKind::BLAKE2b},
        {"x.b2", DigestKind::BLAKE2b},
        {"B3SUMS", DigestKind::BLAKE3},
        {"b3sums.txt", DigestKind::BLAKE3},
        {"x.b3", DigestKind::BLAKE3},
        {"x.blake3", DigestKind::BLAKE3},
        {"SHA3SUMS", DigestKind::None},
        {"x.sha3", DigestKind::None},
    };
    for (const auto& c : cases) EXPECT_EQ(c.kind, ListKindOfName(c.name)) << c.name;
}

}  // namespace

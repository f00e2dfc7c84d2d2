// Name rules of the inspection components: path parts, command-line splitting,
// the program search, and the program's own command-line arguments.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "components/names.h"

namespace {

struct PathPartsCase {
    const char* name;
    const char* path;
    const char* file;
    const char* ext;
};

TEST(NamesPathParts, SplitAtLastBackslashOrColon) {
    const PathPartsCase cases[] = {
        {"C:\\dir\\a.txt", "C:\\dir\\", "a.txt", ".txt"},
        {"C:\\dir\\", "C:\\dir\\", "", ""},
        {"C:a.txt", "C:", "a.txt", ".txt"},
        {"a.txt", "", "a.txt", ".txt"},
        {"archive.tar.gz", "", "archive.tar.gz", ".gz"},
        // A dot in a folder name is no extension of the file.
        {"C:\\v1.2\\readme", "C:\\v1.2\\", "readme", ""},
        {"C:\\v1.2\\x:y", "C:\\v1.2\\x:", "y", ""},
        {"C:\\dir\\name.", "C:\\dir\\", "name.", "."},
        {"\\\\server\\share\\f.dll,Entry %1", "\\\\server\\share\\", "f.dll,Entry %1",
         ".dll,Entry %1"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractFilePath(c.name), c.path);
        EXPECT_EQ(ExtractFileName(c.name), c.file);
        EXPECT_EQ(ExtractFileExt(c.name), c.ext);
    }
}

TEST(NamesText, TrimRemovesControlCharactersAndBlanksOnly) {
    EXPECT_EQ(Trim(" \t\r\n\x01 a b \x1F\x20"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    // Bytes of 128 and above are characters of the code page, not blanks.
    EXPECT_EQ(Trim("\xA0x\xFF"), "\xA0x\xFF");
    EXPECT_EQ(Trim(std::string("\0a\0", 3)), "a");
}

TEST(NamesText, UpperCaseChangesAsciiLettersOnly) {
    EXPECT_EQ(UpperCaseAscii("rundll32.Dll az{}`@"), "RUNDLL32.DLL AZ{}`@");
    EXPECT_EQ(UpperCaseAscii("\xE9\xE0"), "\xE9\xE0");
}

struct SplitAtCase {
    const char* delimiter;
    const char* text;
    bool keep;
    const char* left;
    const char* right;
};

TEST(NamesSplitAtDelimiter, FirstOccurrenceOnly) {
    const SplitAtCase cases[] = {
        {" -", "a - b - c", true, "a", " - b - c"},
        {" -", "a - b - c", false, "a", " b - c"},
        {",", "a,b", false, "a", "b"},
        {",", "a,", false, "a", ""},
        {",", ",a", true, "", ",a"},
        {",", "abc", true, "abc", ""},
        {"", "abc", true, "abc", ""},
        // Case-sensitive search.
        {"X", "axbXc", false, "axb", "c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.delimiter) + "|" + c.text);
        std::string left = "stale";
        std::string right = "stale";
        SplitAtDelimiter(c.delimiter, c.text, left, right, c.keep);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(right, c.right);
    }
}

struct SplitCase {
    const char* line;
    const char* name;
    const char* params;
};

TEST(NamesSplitCommandLine, Table) {
    const SplitCase cases[] = {
        // The text before " -" has no extension, so the hyphen is part of the name.
        {"C:\\Docs\\My Report - Final.txt", "C:\\Docs\\My Report - Final.txt", ""},
        // "report 2.0" has the extension ".0", so the cut is accepted.
        {"C:\\dir\\report 2.0 - notes.txt", "C:\\dir\\report 2.0", "- notes.txt"},
        {"C:\\Music\\Artist, The\\song.mp3", "C:\\Music\\Artist, The\\song.mp3", ""},
        {"C:\\Data 2.5,old\\a.txt", "C:\\Data 2.5", "old\\a.txt"},
        {"\"C:\\Program Files\\App\\app.exe\" \"C:\\My Files\\a b.txt\"",
         "C:\\Program Files\\App\\app.exe", "C:\\My Files\\a b.txt"},
        {"\"C:\\a b\\x.txt\"", "C:\\a b\\x.txt", ""},
        {"rundll32.exe \"C:\\x\\lib.dll\",Entry", "rundll32.exe", "C:\\x\\lib.dll,Entry"},
        {"rundll32.exe C:\\x\\lib.dll,Entry %1", "rundll32.exe C:\\x\\lib.dll,Entry", "%1"},
        // The library form cuts the line at the first blank of its last component.
        {"C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,Control_RunDLL desk.cpl",
         "C:\\WINDOWS\\system32\\rundll32.exe", "shell32.dll,Control_RunDLL desk.cpl"},
        {"  notepad  ", "notepad", ""},
        {"notepad.exe /p file.txt", "notepad.exe", "/p file.txt"},
        {"app -x", "app", "-x"},
        {"C:\\Program Files\\a.exe %1", "C:\\Program Files\\a.exe", "%1"},
        // No rule separates an unquoted path parameter.
        {"C:\\Windows\\notepad.exe C:\\a.txt", "C:\\Windows\\notepad.exe C:\\a.txt", ""},
        {"C:\\x\\report.txt,", "C:\\x\\report.txt", ""},
        // The character right after the closing quote belongs to neither part.
        {"\"C:\\x.exe\"-p", "C:\\x.exe", "p"},
        // Text before the opening quote: one character in front of it is dropped.
        {"start \"C:\\a b.txt\"", "start", "C:\\a b.txt"},
        {"C:\\x.exe/\"a b\"", "C:\\x.exe", "a b"},
        // Only two quote characters are taken out of the parameters.
        {"\"C:\\p.exe\" \"a\" \"b\"", "C:\\p.exe", "a \"b\""},
        {"\"C:\\a b\\x.txt  \"", "C:\\a b\\x.txt", ""},
        // A single quote is dropped and the rest read unquoted.
        {"\"C:\\a b\\x.txt", "C:\\a b\\x.txt", ""},
        {"C:\\a\"b.txt", "C:\\ab.txt", ""},
        {"\"", "", ""},
        {"\"\"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string name = c.line;
        std::string params = "stale";
        SplitCommandLine(name, params);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(params, c.params);
        EXPECT_EQ(ExtractProgramName(c.line), c.name);
    }
}

TEST(NamesSplitCommandLine, BlankNameLeavesParamsUntouched) {
    for (const char* blank : {"", "   ", "\t\r\n"}) {
        SCOPED_TRACE(blank);
        std::string name = blank;
        std::string params = "kept";
        SplitCommandLine(name, params);
        EXPECT_EQ(name, "");
        EXPECT_EQ(params, "kept");
    }
}

// A file system of a few entries; names are compared exactly, as the search
// builds them.
class NamesExpandProgramName : public ::testing::Test {
protected:
    std::map<std::string, EntryKind> entries{
        {"C:\\dir\\report 2.0 - notes.txt", EntryKind::File},
        {"C:\\Docs", EntryKind::Directory},
        {"C:\\Windows\\System32\\notepad.exe", EntryKind::File},
        {"C:\\Windows\\System32\\rundll32.exe", EntryKind::File},
        {"C:\\Windows\\explorer.exe", EntryKind::File},
        // A directory in the system folder does not stop the search.
        {"C:\\Windows\\System32\\tool.exe", EntryKind::Directory},
        {"C:\\Windows\\tool.exe", EntryKind::File},
        {"C:\\Windows\\System32\\both.exe", EntryKind::File},
        {"C:\\Windows\\both.exe", EntryKind::File},
        {"readme.txt", EntryKind::File},
        {"setup.exe", EntryKind::File},
        // A name with a leading blank beside its trimmed twin.
        {" twin.txt", EntryKind::File},
        {"twin.txt", EntryKind::File},
        {"C:\\dir\\ twin.txt", EntryKind::File},
        {"C:\\dir\\twin.txt", EntryKind::File},
    };
    std::vector<std::string> probed;

    ProgramSearch Search() {
        ProgramSearch s;
        s.Probe = [this](const std::string& name) {
            probed.push_back(name);
            const auto it = entries.find(name);
            return it == entries.end() ? EntryKind::None : it->second;
        };
        s.SystemDir = "C:\\Windows\\System32\\";
        s.WindowsDir = "C:\\Windows\\";
        return s;
    }
};

TEST_F(NamesExpandProgramName, Table) {
    struct Case {
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        // An existing name stays whole, blanks around it removed.
        {"  C:\\dir\\report 2.0 - notes.txt \r\n", "C:\\dir\\report 2.0 - notes.txt"},
        {"C:\\dir\\report 2.0 - draft.txt", "C:\\dir\\report 2.0"},
        // A name that names a file as given is never traded for its trimmed twin.
        {" twin.txt", " twin.txt"},
        {"C:\\dir\\ twin.txt", "C:\\dir\\ twin.txt"},
        {"  twin.txt", "twin.txt"},
        {"C:\\Docs", "C:\\Docs"},
        {"notepad", "C:\\Windows\\System32\\notepad.exe"},
        {"notepad.exe", "C:\\Windows\\System32\\notepad.exe"},
        {"explorer", "C:\\Windows\\explorer.exe"},
        {"tool", "C:\\Windows\\tool.exe"},
        {"both", "C:\\Windows\\System32\\both.exe"},
        {"readme.txt", "readme.txt"},
        // The current directory is tried only for the name as given.
        {"setup", "setup"},
        {"notes.txt", "notes.txt"},
        {"missing", "missing"},
        {"rundll32.exe \"C:\\x\\lib.dll\",Entry", "C:\\Windows\\System32\\rundll32.exe"},
        {"rundll32.exe C:\\x\\lib.dll,Entry %1", "rundll32.exe C:\\x\\lib.dll,Entry"},
        {"\"C:\\Program Files\\App\\app.exe\" \"C:\\a.txt\"", "C:\\Program Files\\App\\app.exe"},
        {"", ""},
        {"  \t ", ""},
    };
    const ProgramSearch search = Search();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ExpandProgramName(c.value, search), c.expected);
    }
}

TEST_F(NamesExpandProgramName, NameWithPathIsNotSearched) {
    const ProgramSearch search = Search();
    EXPECT_EQ(ExpandProgramName("C:\\nowhere\\notepad", search), "C:\\nowhere\\notepad");
    for (const auto& name : probed) {
        EXPECT_EQ(name.find("C:\\Windows\\"), std::string::npos) << name;
    }
}

// The empty name is the cleared state, even where a search directory holds a
// file named ".exe".
TEST_F(NamesExpandProgramName, EmptyNameIsNeverLookedUp) {
    entries["C:\\Windows\\System32\\.exe"] = EntryKind::File;
    EXPECT_EQ(ExpandProgramName("   ", Search()), "");
    EXPECT_TRUE(probed.empty());
    EXPECT_EQ(ExpandProgramName(" \"\" ", Search()), "");
    for (const auto& name : probed) EXPECT_EQ(name.find(".exe"), std::string::npos) << name;
}

struct ParamCase {
    const char* line;
    int index;
    const char* expected;
};

TEST(NamesParamStr, Table) {
    const ParamCase cases[] = {
        {"\"C:\\Program Files\\Vantrel\\vantrel.exe\" \"C:\\My Docs\\a b.txt\"", 0,
         "C:\\Program Files\\Vantrel\\vantrel.exe"},
        {"\"C:\\Program Files\\Vantrel\\vantrel.exe\" \"C:\\My Docs\\a b.txt\"", 1,
         "C:\\My Docs\\a b.txt"},
        {"vantrel.exe C:\\My Docs\\a b.txt", 1, "C:\\My"},
        {"vantrel.exe a.txt b.txt", 1, "a.txt"},
        {"vantrel.exe a.txt b.txt", 2, "b.txt"},
        {"vantrel.exe a.txt b.txt", 3, ""},
        {"vantrel.exe", 1, ""},
        {"vantrel.exe   ", 1, ""},
        {"\t\r\n vantrel.exe\t\x01x.txt\x1F", 1, "x.txt"},
        {"\t\r\n vantrel.exe\t\x01x.txt\x1F", 0, "vantrel.exe"},
        // A pair of quotes that opens an argument is skipped like a blank.
        {"vantrel.exe \"\" x.txt", 1, "x.txt"},
        {"vantrel.exe \"\"\"\" y", 1, "y"},
        {"vantrel.exe \"\"z", 1, "z"},
        {"vantrel.exe a\"b c\"d", 1, "ab cd"},
        {"vantrel.exe a\"\"b", 1, "ab"},
        {"vantrel.exe \"open to the end", 1, "open to the end"},
        // Bytes above 127 are ordinary characters of the argument.
        {"vantrel.exe \xE9t\xE9.txt \xA0", 1, "\xE9t\xE9.txt"},
        {"vantrel.exe \xE9t\xE9.txt \xA0", 2, "\xA0"},
        {"vantrel.exe x", -1, ""},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " #" + std::to_string(c.index));
        EXPECT_EQ(ParamStr(c.line, c.index), c.expected);
    }
}

TEST(NamesParamStr, ZeroByteEndsTheLine) {
    EXPECT_EQ(ParamStr(std::string("vantrel.exe\0a.txt", 17), 1), "");
    EXPECT_EQ(ParamStr(std::string("vantrel.exe a\0b", 15), 1), "a");
}

}  // namespace

namespace {

TEST(DeviceNames, AreToldApartFromFiles) {
    const struct {
        const char* name;
        bool device;
    } cases[] = {
        {"CON", true},           {"con", true},           {"NUL", true},
        {"nul.txt", true},       {"C:\\dir\\aux.log", true}, {"COM1", true},
        {"lpt9.", true},         {"PRN  ", true},         {"CONOUT$", true},
        {"\\\\.\\PhysicalDrive0", true}, {"\\\\.\\pipe\\x", true}, {"//./COM1", true},
        {"\\\\?\\GLOBALROOT\\Device\\Null", true},
        {"\\\\?\\C:\\dir\\file.txt", false}, {"COM10", false},  {"console.txt", false},
        {"C:\\CON\\file.txt", false}, {"nully", false},      {"", false},
        {"C:/dir/CON", true},    {"dir/nul.txt", true},
        {"C:\\dir\\report.txt", false}, {"\\\\server\\share\\a.txt", false}, {"LPT", false},
        // Superscript digits: one byte in the Western code page, two in UTF-8.
        {"COM\xB9", true},      {"lpt\xB3.txt", true},   {"COM\xC2\xB9", true},
        {"C:\\dir\\LPT\xC2\xB2.log", true}, {"COM\xC2\xB9\xC2\xB9", false}, {"COM\xC2", false},
        {"COM\xC2\xB4", false}, {"\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.device, IsDeviceName(c.name));
    }
}

}  // namespace

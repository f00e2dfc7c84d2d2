// Message and name rules of the main window.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/window/browsename.h"
#include "base/messages.h"

namespace {

TEST(MessagesFullStop, AppendedAfterCodesAboveFullStop) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"", ""},
        {"Disk full", "Disk full."},
        {"I/O error 32", "I/O error 32."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"Failed (5)", "Failed (5)"},
        {"a,", "a,"},
        {"a-", "a-"},
        {"a ", "a "},
        {"a/", "a/."},
        {"a:", "a:."},
        {"a~", "a~."},
        // Code-page letters are bytes above 127, not negative characters.
        {"Caf\xE9", "Caf\xE9."},
        {"\xFF", "\xFF."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithFullStop(c.message), c.shown) << '"' << c.message << '"';
    }
}

TEST(MessagesIOError, TextByCode) {
    const struct {
        unsigned long code;
        const char* text;
    } cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {32, "I/O error 32"},
        {0, "I/O error 0"},
        {1, "I/O error 1"},
        {6, "I/O error 6"},
        {102, "I/O error 102"},
        {1224, "I/O error 1224"},
    };
    for (const auto& c : cases) EXPECT_EQ(IOErrorMessage(c.code), c.text) << c.code;
}

TEST(MessagesValidFileName, RejectsEmptyAndReservedCharacters) {
    for (const char* valid : {"a", "C:\\dir\\a.txt", "C:", "\\\\server\\share\\", " x ", "a:b\\c"}) {
        EXPECT_TRUE(IsValidFileName(valid)) << valid;
    }
    for (const char* invalid : {"", "a<b", "a>b", "\"C:\\a\"", "a|b", "*.txt", "a?.txt",
                                "C:/dir/a.txt"}) {
        EXPECT_FALSE(IsValidFileName(invalid)) << invalid;
    }
}

struct PresetCase {
    const char* text;
    bool take;
    const char* dir;
    const char* file;
};

TEST(MessagesBrowsePreset, FromNameBoxText) {
    const std::set<std::string> directories = {"C:\\dir\\", "C:\\", "C:"};
    const auto exists = [&directories](const std::string& dir) {
        EXPECT_FALSE(dir.empty()) << "probed the empty directory part";
        return directories.count(dir) != 0;
    };
    const PresetCase cases[] = {
        {"C:\\dir\\", true, "C:\\dir\\", ""},
        {"C:\\dir\\a.txt", true, "C:\\dir\\", "C:\\dir\\a.txt"},
        {"C:\\missing\\a.txt", true, "", "C:\\missing\\a.txt"},
        {"C:\\missing\\", true, "", ""},
        {"C:\\", true, "C:\\", ""},
        {"C:a.txt", true, "C:", "C:a.txt"},
        {"a.txt", true, "", "a.txt"},
        {"C:\\dir\\*.txt", false, "", ""},
        {"C:\\a?.txt", false, "", ""},
        {"\"C:\\dir\\a.txt\"", false, "", ""},
        {"C:/dir/a.txt", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const BrowsePreset p = BrowsePresetFor(c.text, exists);
        EXPECT_EQ(p.takeFromText, c.take);
        EXPECT_EQ(p.initialDir, c.dir);
        EXPECT_EQ(p.fileName, c.file);
    }
}

TEST(MessagesCannotOpenFile, SystemTextLosesItsTrailingPunctuation) {
    const struct {
        const char* system;
        const char* reason;
    } cases[] = {
        {"The system cannot find the file specified.\r\n",
         "The system cannot find the file specified"},
        {"Access is denied.\r\n", "Access is denied"},
        {"The process cannot access the file because it is being used by another process.\r\n",
         "The process cannot access the file because it is being used by another process"},
        {"Text without end", "Text without end"},
        {"Dots... \r\n", "Dots"},
        {"Mixed . . \t", "Mixed"},
        {"Code page \xE9.\r\n", "Code page \xE9"},
        {"Inner. Dots stay.", "Inner. Dots stay"},
        {"\r\n", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.system);
        EXPECT_EQ(CannotOpenFileMessage("C:\\x y\\a.txt", c.system),
                  std::string("Cannot open file \"C:\\x y\\a.txt\". ") + c.reason);
    }
}

}  // namespace

TEST(MessagesWithSystemError, NamesTheCodeAndTheTrimmedReason) {
    const struct {
        const char* what;
        unsigned long code;
        const char* systemText;
        const char* expected;
    } cases[] = {
        {"Error creating window", 1400, "Invalid window handle.\r\n",
         "Error creating window (system error 1400: Invalid window handle)"},
        {"Cannot register the window class X", 87, "",
         "Cannot register the window class X (system error 87)"},
        {"Error creating control edt1", 0, "", "Error creating control edt1 (no system error code)"},
        {"Error creating window", 8, "Not enough memory resources are available to process this command.  ",
         "Error creating window (system error 8: Not enough memory resources are available to process this "
         "command)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, WithSystemError(c.what, c.code, c.systemText)) << c.code;
}

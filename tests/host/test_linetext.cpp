// The one-line rules of each kind of output: what a control character, a
// backslash and other bytes become in a window row, a report line, a console
// line and a checksum line.
#include <gtest/gtest.h>

#include <string>

#include "base/linetext.h"
#include "base/messages.h"

namespace {

struct Case {
    std::string in, out;
};

void ExpectRule(LineRule rule, std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(c.out, OnOneLine(c.in, rule)) << '"' << c.in << '"';
}

TEST(LineRules, WindowRowsAndReportLinesMakeEveryControlCharacterABlank) {
    for (LineRule rule : {LineRule::WindowRow, LineRule::ReportLine}) {
        ExpectRule(rule, {
                             {"C:\\plain\\name.txt", "C:\\plain\\name.txt"},
                             {"", ""},
                             {"Line one\r\nMD5: 000", "Line one  MD5: 000"},
                             {"tab\there, escape\x1b[0m\x7f", "tab here, escape [0m "},
                             {std::string("nul\0x", 5), "nul x"},
                             {"\x1f \x20", "  \x20"},
                             {"na\xC3\xAFve \xFF\x80", "na\xC3\xAFve \xFF\x80"},  // bytes above DEL stay
                         });
    }
}

TEST(LineRules, AConsoleNameIsEscapedBehindABackslashOnlyWhenItHoldsAControlCharacter) {
    ExpectRule(LineRule::ConsoleMessage,
               {
                   {"C:\\plain\\name.txt", "C:\\plain\\name.txt"},
                   {"sub\\a b.txt", "sub\\a b.txt"},
                   {"na\xC3\xAFve", "na\xC3\xAFve"},
                   {"\xD0\x98\xC3\xA9", "\xD0\x98\xC3\xA9"},
                   {"", ""},
                   {"new\nline", "\\new\\nline"},
                   {"sub\\cr\r", "\\sub\\\\cr\\r"},
                   {"a\r\n", "\\a\\r\\n"},
                   {"tab\there", "\\tab\\there"},
                   {"bell\x07", "\\bell\\x07"},
                   {std::string("nul\0x", 5), "\\nul\\x00x"},
                   {"\x1B[31m\x7F", "\\\\x1B[31m\\x7F"},
                   {"C:\\dir\\missing\nname\x01.txt", "\\C:\\\\dir\\\\missing\\nname\\x01.txt"},
               });
}

TEST(LineRules, AChecksumLineEscapesOnlyBackslashLineFeedAndCarriageReturn) {
    ExpectRule(LineRule::ChecksumFileName,
               {
                   {"plain name.txt", "plain name.txt"},
                   {"na\xC3\xAFve", "na\xC3\xAFve"},
                   {"sub\\a.txt", "\\sub\\\\a.txt"},
                   {"new\nline", "\\new\\nline"},
                   {"cr\r", "\\cr\\r"},
                   // Other control characters stay: sha256sum reads no other escape.
                   {"tab\tbell\x07", "tab\tbell\x07"},
                   {"tab\t\\", "\\tab\t\\\\"},
               });
}

TEST(LineRules, EscapingOnlyEverLengthensTheText) {
    for (LineRule rule : {LineRule::ConsoleMessage, LineRule::ChecksumFileName})
        for (const std::string& name :
             {std::string("a\\b"), std::string("a\nb"), std::string("\x01"), std::string("ab")})
            EXPECT_TRUE(OnOneLine(name, rule) == name || OnOneLine(name, rule).size() > name.size()) << name;
}

TEST(SystemTexts, OnOneLineWithoutTheirFinalFullStop) {
    const Case cases[] = {
        {"The system cannot find the file specified.\r\n", "The system cannot find the file specified"},
        {"Access is denied.  \r\n", "Access is denied"},
        {"First line.\r\nSecond line.\r\n", "First line.  Second line"},
        {"Tab\there\x01.", "Tab here"},
        {"...", ""},
        {"", ""},
        {"No stop", "No stop"},
        {"Ends in a bracket (C:).\r\n", "Ends in a bracket (C:)"},
        {"\r\n  leading blanks stay.", "    leading blanks stay"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, OneLineWithoutFullStop(c.in)) << '"' << c.in << '"';
}

}  // namespace

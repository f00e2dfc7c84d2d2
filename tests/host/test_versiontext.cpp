// Text rules of the version information component: a version text read as a
// number, and the key of a translation's string table.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

#include "components/versiontext.h"

namespace {

struct FloatCase {
    const char* text;
    double expected;
};

const FloatCase kFloatCases[] = {
    // Plain decimal numbers.
    {"2.5", 2.5},
    {"3", 3.0},
    {"  2.5", 2.5},
    {"+3", 3.0},
    {"-1.5", -1.5},
    {"1e3", 1000.0},
    {"1.5E-1", 0.15},
    // What stands before a second dot within the first six characters.
    {"6.1.7600.16385", 6.1},
    {"10.0.19041.1", 10.0},
    {"100.2.3", 100.2},
    {"123.4.5", 123.4},
    {"1.2.", 1.2},
    {" 1.2.3", 1.2},
    {"1.2.3 beta", 1.2},
    {"1.2e5.6", 1.2e5},
    // A second dot at position seven or later, or none at all, gives nothing.
    {"1000.2.3.4", 0.0},
    {"1234.5.6", 0.0},
    {"12345.6.7", 0.0},
    {"1.0 ", 0.0},
    {"2.5 ", 0.0},
    {"1, 0, 0, 1", 0.0},
    {"x1.2.3", 0.0},
    {"v1.2", 0.0},
    {"..1", 0.0},
    {"1e", 0.0},
    {"", 0.0},
};

class VersionTextToFloatTest : public ::testing::TestWithParam<char> {};

TEST_P(VersionTextToFloatTest, Table) {
    const char separator = GetParam();
    for (const auto& c : kFloatCases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(VersionTextToFloat(c.text, separator), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(DecimalSeparators, VersionTextToFloatTest,
                         ::testing::Values('.', ','),
                         [](const ::testing::TestParamInfo<char>& info) {
                             return info.param == '.' ? std::string("Dot")
                                                      : std::string("Comma");
                         });

TEST(VersionTextToFloat, FallbackReadsTheHeadWithTheUserSeparator) {
    // The first dot becomes the user's separator and is read as one, whatever
    // character that is.
    EXPECT_EQ(VersionTextToFloat("7.9.1", ';'), 7.9);
    // A separator that was already in the text makes a second one in the head.
    EXPECT_EQ(VersionTextToFloat("7;9.1.1", ';'), 0.0);
    EXPECT_EQ(VersionTextToFloat("1,5.2.3", ','), 0.0);
}

TEST(VersionTextToFloat, ASeparatorOfSeveralBytesIsReadWhole) {
    // U+066B ARABIC DECIMAL SEPARATOR in UTF-8.
    const std::string arabic = "\xD9\xAB";
    EXPECT_EQ(VersionTextToFloat("7.9.1", arabic), 7.9);
    EXPECT_EQ(VersionTextToFloat("12.25.1", arabic), 12.25);
    EXPECT_EQ(VersionTextToFloat("2.5", arabic), 2.5) << "a plain number needs no separator";
    // Positions still count the text's own bytes: a second dot past the
    // sixth byte leaves nothing to read.
    EXPECT_EQ(VersionTextToFloat("123.456.1", arabic), 0.0);
    // Half a separator is no separator.
    EXPECT_EQ(VersionTextToFloat("7\xD9" "9.1.1", arabic), 0.0);
    // A one-byte string behaves as the single character.
    for (const auto& c : kFloatCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VersionTextToFloat(c.text, std::string(",")), VersionTextToFloat(c.text, ','));
    }
}

TEST(VersionTextToFloat, IndependentOfTheCLocale) {
    const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"};
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* set = nullptr;
    for (const char* name : names) {
        if ((set = std::setlocale(LC_NUMERIC, name)) != nullptr) break;
    }
    if (set == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
    const double plain = VersionTextToFloat("2.5", ',');
    const double dotted = VersionTextToFloat("6.1.7600.16385", ',');
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(plain, 2.5);
    EXPECT_EQ(dotted, 6.1);
}

TEST(StringTablePath, LanguageThenCodePageInUpperCaseHex) {
    const struct {
        std::uint32_t translation;
        const char* expected;
    } cases[] = {
        {0x04E40409u, "StringFileInfo\\040904E4\\"},
        {0x04B00409u, "StringFileInfo\\040904B0\\"},
        {0x000004E4u, "StringFileInfo\\04E40000\\"},
        {0x00000000u, "StringFileInfo\\00000000\\"},
        {0xFFFFFFFFu, "StringFileInfo\\FFFFFFFF\\"},
        {0x0001000Au, "StringFileInfo\\000A0001\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StringTablePath(c.translation), c.expected) << std::hex << c.translation;
    }
}

TEST(VersionResource, OnlyModulesAndCompressedFilesMayHoldOne) {
    const struct {
        const char* head;
        std::size_t size;
        bool may;
    } cases[] = {
        {"MZ\x90\x00", 4, true},  {"ZM", 2, true},        {"SZDD\x88\xF0\x27\x33", 8, true},
        {"KWAJ", 4, true},        {"", 0, false},         {"M", 1, false},
        {"mz", 2, false},         {"PK\x03\x04", 4, false}, {"\x7F" "ELF", 4, false},
        {"%PDF-1.7", 8, false},   {"hello", 5, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.may, MayHoldVersionResource(reinterpret_cast<const unsigned char*>(c.head), c.size)) << c.head;
}

}  // namespace

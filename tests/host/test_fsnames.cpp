// Text rules of the file-system layer: the long form, the form the shell is
// asked about, and the name part.
#include <gtest/gtest.h>

#include <string>

#include "base/fsnames.h"

namespace {

std::string Utf8(const std::wstring& w) { return std::string(w.begin(), w.end()); }

TEST(FsNames, LongFormOnlyForFullDriveAndServerPaths) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"C:\\dir\\x.txt", L"\\\\?\\C:\\dir\\x.txt"},
        {L"z:\\x", L"\\\\?\\z:\\x"},
        {L"\\\\server\\share\\x.txt", L"\\\\?\\UNC\\server\\share\\x.txt"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},  // already long
        {L"\\??\\C:\\x", L"\\??\\C:\\x"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},  // a device stays a device
        {L"dir\\x.txt", L"dir\\x.txt"},          // relative: left alone
        {L"C:x.txt", L"C:x.txt"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.in));
        EXPECT_EQ(std::wstring(c.out), fs::LongForm(c.in));
    }
}

TEST(FsNames, PrefixesAreDetectedWithEitherSlash) {
    for (const wchar_t* yes : {L"\\\\?\\C:\\x", L"//?/C:/x", L"\\??\\C:\\x", L"\\\\?\\UNC\\s\\x"}) {
        SCOPED_TRACE(Utf8(yes));
        EXPECT_TRUE(fs::HasLocalDevicePrefix(yes));
    }
    for (const wchar_t* no : {L"C:\\x", L"\\\\.\\C:", L"\\\\server\\x", L"??\\x", L"\\\\?", L"/?" L"?/C:/x"}) {
        SCOPED_TRACE(Utf8(no));
        EXPECT_FALSE(fs::HasLocalDevicePrefix(no));
    }
}

TEST(FsNames, ShellFormTakesOffThePrefixesOfDriveAndServerPaths) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"\\\\?\\C:\\dir\\x.txt", L"C:\\dir\\x.txt"},
        {L"//?/C:/dir/x.txt", L"C:/dir/x.txt"},
        {L"\\??\\C:\\dir\\x.txt\\.", L"C:\\dir\\x.txt\\."},
        {L"\\\\?\\UNC\\server\\share\\x.txt", L"\\\\server\\share\\x.txt"},
        {L"\\\\?\\GLOBALROOT\\Device\\Null", L"\\\\?\\GLOBALROOT\\Device\\Null"},
        {L"Z:/home/me/x.txt", L"Z:/home/me/x.txt"},
        {L"/home/me/x.txt", L"/home/me/x.txt"},
        {L"x.txt", L"x.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.in));
        EXPECT_EQ(std::wstring(c.out), fs::ShellForm(c.in));
    }
}

TEST(FsNames, NamePartFollowsTheLastSeparator) {
    EXPECT_EQ(L"x.txt", fs::NamePart(L"C:\\dir\\x.txt"));
    EXPECT_EQ(L"x.txt", fs::NamePart(L"C:/dir/x.txt"));
    EXPECT_EQ(L"x.txt", fs::NamePart(L"C:x.txt"));
    EXPECT_EQ(L"x.txt", fs::NamePart(L"x.txt"));
    EXPECT_EQ(L"", fs::NamePart(L"C:\\dir\\"));
    EXPECT_EQ(L"\x65E5\x672C\x8A9E.txt", fs::NamePart(L"C:\\d\\\x65E5\x672C\x8A9E.txt"));
}

TEST(FsNames, DialogTargetPathResolvesTheTypedNameAgainstTheFolder) {
    const struct {
        const wchar_t* folder;
        const wchar_t* typed;
        const wchar_t* path;
    } cases[] = {
        {L"C:\\dir", L"report", L"C:\\dir\\report.txt"},
        {L"C:\\dir\\", L"report.log", L"C:\\dir\\report.log"},
        {L"C:\\dir", L"\"quoted name\"", L"C:\\dir\\quoted name.txt"},
        {L"C:\\dir", L"D:\\other\\r", L"D:\\other\\r.txt"},
        {L"C:\\dir", L"\\\\srv\\share\\r.txt", L"\\\\srv\\share\\r.txt"},
        {L"C:\\dir", L"\\top\\r", L"C:\\top\\r.txt"},
        {L"C:\\dir", L"sub.d\\r", L"C:\\dir\\sub.d\\r.txt"},
        {L"", L"r", L"r.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::wstring(c.path), fs::DialogTargetPath(c.folder, c.typed, L"txt"));
}

}  // namespace

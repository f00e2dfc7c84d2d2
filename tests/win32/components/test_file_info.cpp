// The file information component on real files: names, size, attributes,
// times, icons, and the writers.
#include <windows.h>

#include <gtest/gtest.h>

#include "components/dcFileInfo.h"
#include "components/dcUtils.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

FILETIME LocalToUtc(int y, int mo, int d, int h, int mi, int s, int ms) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

void SetTimes(const std::string& path, const FILETIME* created, const FILETIME* accessed, const FILETIME* written) {
    base::UniqueFile f(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(f.valid());
    ASSERT_TRUE(SetFileTime(f.get(), created, accessed, written));
}

TDateTime Local(int y, int mo, int d, int h, int mi, int s) {
    TDateTime date = 0, time = 0;
    TryEncodeDate(y, mo, d, date);
    TryEncodeTime(h, mi, s, 0, time);
    return date + time;
}

TEST(FileInfo, StartsEmptyAndReadsNothing) {
    TdcFileInfo info;
    EXPECT_EQ("", info.FILENAME());
    EXPECT_EQ(0, info.FileSize());
    EXPECT_TRUE(info.LargeIcon().Empty());
    EXPECT_TRUE(info.SmallIcon().Empty());
    EXPECT_EQ(0.0, info.TimeCreated());
}

TEST(FileInfo, DescribesARealFile) {
    TempDir dir;
    const std::string path = dir.Write("notes.txt", std::string(1234, 'x'));
    TdcFileInfo info;
    info.SetFILENAME(path);
    EXPECT_EQ(path, info.FILENAME());
    EXPECT_EQ(1234, info.FileSize());
    EXPECT_FALSE(info.DisplayName().empty());
    EXPECT_FALSE(info.FileType().empty());
    EXPECT_FALSE(info.LargeIcon().Empty());
    EXPECT_FALSE(info.SmallIcon().Empty());
    EXPECT_TRUE(info.FileAttributes().Contains(fiaArchive));
    EXPECT_FALSE(info.FileAttributes().Contains(fiaDirectory));
    EXPECT_GT(info.TimeLastModified(), 40000.0);  // some time after 2009
}

TEST(FileInfo, NotFoundClearsResultsAndShowsTheShellsDefaultIcons) {
    TempDir dir;
    TdcFileInfo info;
    info.SetFILENAME(dir.Write("a.txt", "abc"));
    info.SetFILENAME(dir.Path("missing.txt"));
    EXPECT_EQ(dir.Path("missing.txt"), info.FILENAME());
    EXPECT_EQ("", info.DisplayName());
    EXPECT_EQ("", info.FileType());
    EXPECT_EQ(0, info.FileSize());
    EXPECT_EQ(0, info.SysImageIndex());
    EXPECT_EQ(0, info.FileAttributes().bits);
    EXPECT_EQ(0.0, info.TimeCreated());
    EXPECT_EQ(0.0, info.TimeLastAccessed());
    EXPECT_EQ(0.0, info.TimeLastModified());
    EXPECT_FALSE(info.LargeIcon().Empty());
    EXPECT_FALSE(info.SmallIcon().Empty());
    // A trailing backslash is not found either.
    info.SetFILENAME(dir.Write("b.txt", "b") + "\\");
    EXPECT_EQ(0, info.FileSize());
}

TEST(FileInfo, MapsEveryAttributeBitToItsFlag) {
    const struct {
        DWORD windows;
        TdcFileInfoAttribute flag;
    } cases[] = {
        {FILE_ATTRIBUTE_ARCHIVE, fiaArchive},     {FILE_ATTRIBUTE_HIDDEN, fiaHidden},
        {FILE_ATTRIBUTE_READONLY, fiaReadOnly},   {FILE_ATTRIBUTE_SYSTEM, fiaSystem},
        {FILE_ATTRIBUTE_DIRECTORY, fiaDirectory}, {FILE_ATTRIBUTE_TEMPORARY, fiaTemporary},
        {FILE_ATTRIBUTE_COMPRESSED, fiaCompressed}, {FILE_ATTRIBUTE_OFFLINE, fiaOffline},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        const TdcFileInfoAttributes set = TdcFileInfoAttributes::FromWindows(c.windows | FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(1u << c.flag, set.bits);
        const bool writtenBack = c.flag != fiaDirectory && c.flag != fiaCompressed;
        EXPECT_EQ(writtenBack ? c.windows : 0u, set.ToWindows());
    }
}

TEST(FileInfo, ReadsTheAttributesOfTheFile) {
    TempDir dir;
    const std::string path = dir.Write("h.txt", "h");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
    TdcFileInfo info;
    info.SetFILENAME(path);
    const TdcFileInfoAttributes a = info.FileAttributes();
    EXPECT_TRUE(a.Contains(fiaHidden));
    EXPECT_TRUE(a.Contains(fiaReadOnly));
    EXPECT_TRUE(a.Contains(fiaSystem));
    EXPECT_FALSE(a.Contains(fiaTemporary));
}

TEST(FileInfo, ReportsSizesAbove4GiBExactly) {
    TempDir dir;
    const std::string path = dir.Path("big.bin");
    const std::uint64_t size = (5ull << 30) + 12345;
    ASSERT_TRUE(testutil::MakeSparseFile(path, size));
    TdcFileInfo info;
    info.SetFILENAME(path);
    EXPECT_EQ(static_cast<std::int64_t>(size), info.FileSize());
}

TEST(FileInfo, TimesHaveTwoSecondResolutionAndALimitedRange) {
    TempDir dir;
    // The file system here keeps last-access and last-write times exactly;
    // creation times cannot always be set, so they are not used.
    const struct {
        FILETIME accessed, written;
        TDateTime expectAccessed, expectWritten;
    } cases[] = {
        {LocalToUtc(1979, 12, 31, 23, 59, 59, 0), LocalToUtc(2009, 7, 3, 10, 15, 37, 900), -1.0,
         Local(2009, 7, 3, 10, 15, 36)},
        {LocalToUtc(1980, 1, 1, 0, 0, 1, 0), LocalToUtc(2107, 12, 31, 23, 59, 59, 0), Local(1980, 1, 1, 0, 0, 0),
         Local(2107, 12, 31, 23, 59, 58)},
        {LocalToUtc(2010, 1, 1, 0, 0, 0, 0), LocalToUtc(2108, 1, 1, 0, 0, 0, 0), Local(2010, 1, 1, 0, 0, 0), -1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectWritten);
        const std::string path = dir.Write("t.txt", "t");
        SetTimes(path, nullptr, &c.accessed, &c.written);
        TdcFileInfo info;
        info.SetFILENAME(path);
        EXPECT_DOUBLE_EQ(c.expectWritten, info.TimeLastModified());
        EXPECT_DOUBLE_EQ(c.expectAccessed, info.TimeLastAccessed());
    }
}

TEST(FileInfo, ReadsOnceForTheSameNameAndAgainAfterTheEmptyName) {
    TempDir dir;
    const std::string path = dir.Write("once.txt", "12345");
    TdcFileInfo info;
    info.SetFILENAME(path);
    dir.Write("once.txt", "1234567890");
    info.SetFILENAME(path);
    EXPECT_EQ(5, info.FileSize()) << "the unchanged name is not read again";
    info.SetFILENAME("");
    EXPECT_EQ(0, info.FileSize());
    EXPECT_TRUE(info.LargeIcon().Empty());
    info.SetFILENAME(path);
    EXPECT_EQ(10, info.FileSize());
}

TEST(FileInfo, NormalisesTheAssignedName) {
    TempDir dir;
    const std::string spaced = dir.Write("report 2.0 - notes.txt", "abc");
    TdcFileInfo info;
    info.SetFILENAME("  " + spaced + "  ");
    EXPECT_EQ(spaced, info.FILENAME()) << "an existing file is kept whole";
    EXPECT_EQ(3, info.FileSize());

    info.SetFILENAME(dir.Path("gone 2.0 - notes.txt"));
    EXPECT_EQ(dir.Path("gone 2.0"), info.FILENAME()) << "a missing one is split as a command line";
}

TEST(FileInfo, FindsBareProgramNamesInTheSystemDirectory) {
    TdcFileInfo info;
    info.SetFILENAME("notepad");
    const std::string sys = GetSystemDir() + "notepad.exe";
    const std::string win = GetWindowsDir() + "notepad.exe";
    EXPECT_TRUE(info.FILENAME() == sys || info.FILENAME() == win) << info.FILENAME();
    EXPECT_GT(info.FileSize(), 0);
}

TEST(FileInfo, WritesAttributesExceptDirectoryAndCompressed) {
    TempDir dir;
    const std::string path = dir.Write("w.txt", "w");
    TdcFileInfo info;
    info.SetFILENAME(path);
    TdcFileInfoAttributes a = info.FileAttributes();
    info.SetFileAttributes(a.Include(fiaReadOnly).Include(fiaHidden));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA(path.c_str()) & 0xFF);
    EXPECT_TRUE(info.FileAttributes().Contains(fiaReadOnly));

    // Only the flags that are never written changed: the file keeps its
    // flags and the property shows them again.
    const TdcFileInfoAttributes before = info.FileAttributes();
    TdcFileInfoAttributes odd = before;
    info.SetFileAttributes(odd.Include(fiaCompressed).Include(fiaDirectory));
    EXPECT_EQ(before, info.FileAttributes());

    TdcFileInfo empty;
    empty.SetFileAttributes(TdcFileInfoAttributes().Include(fiaHidden));
    EXPECT_EQ(0, empty.FileAttributes().bits);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileInfo, WritesTimesWithinTheirRange) {
    TempDir dir;
    const std::string path = dir.Write("w.txt", "w");
    TdcFileInfo info;
    info.SetFILENAME(path);
    // Each setter writes its own time of the file and no other. (Wine keeps
    // no creation time of its own on Linux: it follows the others.)
    struct Time {
        const char* name;
        void (TdcFileInfo::*set)(TDateTime);
        TDateTime (TdcFileInfo::*get)() const;
    };
    const Time times[] = {
        {"accessed", &TdcFileInfo::SetTimeLastAccessed, &TdcFileInfo::TimeLastAccessed},
        {"modified", &TdcFileInfo::SetTimeLastModified, &TdcFileInfo::TimeLastModified},
    };
    int day = 10;
    for (const Time& t : times) {
        SCOPED_TRACE(t.name);
        const TDateTime wanted = Local(2015, 5, day++, 8, 30, 20);
        TdcFileInfo before;
        before.SetFILENAME(path);
        (info.*t.set)(wanted);
        EXPECT_EQ(wanted, (info.*t.get)());
        TdcFileInfo fresh;
        fresh.SetFILENAME(path);
        for (const Time& other : times)
            EXPECT_DOUBLE_EQ(&other == &t ? wanted : (before.*other.get)(), (fresh.*other.get)())
                << other.name;
    }

    info.SetTimeCreated(Local(1975, 1, 1, 0, 0, 0));
    EXPECT_NE(Local(1975, 1, 1, 0, 0, 0), info.TimeCreated()) << "1975 cannot be written";

    EXPECT_TRUE(SetFileTimes(path, -1.0, -1.0, Local(2020, 2, 29, 12, 0, 0)));
    EXPECT_FALSE(SetFileTimes(dir.Path("missing"), -1.0, -1.0, Local(2020, 2, 29, 12, 0, 0)));
}

TEST(FileInfo, ReleasesTheIconsItReplaces) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", "a");
    TdcFileInfo info;
    info.SetFILENAME(a);
    const HICON large = info.LargeIcon().Handle();
    const HICON small = info.SmallIcon().Handle();
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(large, &ii));
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    info.SetFILENAME(dir.Path("missing"));  // new icons replace the old ones
    EXPECT_FALSE(GetIconInfo(large, &ii)) << "the replaced large icon is destroyed";
    EXPECT_FALSE(GetIconInfo(small, &ii)) << "the replaced small icon is destroyed";
    const HICON defaultLarge = info.LargeIcon().Handle();
    info.SetFILENAME("");
    EXPECT_TRUE(info.LargeIcon().Empty());
    EXPECT_FALSE(GetIconInfo(defaultLarge, &ii)) << "emptying destroys the icon";
}

TEST(FileInfo, ReleasesEveryIconHandle) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", "a");
    const std::string b = dir.Write("b.exe", "MZ");
    TdcFileInfo info;
    info.SetFILENAME(a);
    info.SetFILENAME(b);
    const testutil::ResourceCounts before = testutil::LiveResources();
    for (int i = 0; i < 300; ++i) {
        info.SetFILENAME(i % 3 == 0 ? dir.Path("missing") : i % 2 ? a : b);
    }
    const testutil::ResourceCounts after = testutil::LiveResources();
    EXPECT_LE(after.gdi, before.gdi + 4);
    EXPECT_LE(after.user, before.user + 4);
    EXPECT_LE(after.handles, before.handles + 4);
}

}  // namespace

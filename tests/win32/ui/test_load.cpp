// Loading a file into the main window: typing, pasting, browsing, the command
// line and dropping; the colours, the refresh, Clear all Fields and the one
// failure message.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "app/details/datetimetext.h"
#include "app/window/frmMain.h"
#include "app/details/datetimesettings.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using testutil::TempDir;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
const char kLoadFailure[] = "No Version Information for this File";

class Load : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
        a = dir.Write("alpha.txt", "alpha");
        b = dir.Write("beta.bin", std::string(300, 'b'));
    }
    void TearDown() override { form.reset(); }

    void Type(const std::string& chars) {
        for (unsigned char c : chars) SendMessageA(form->Control(edt1), WM_CHAR, c, 1);
    }
    void Drop(const std::vector<std::string>& paths) {
        SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(testutil::MakeDrop(paths)), 0);
    }
    bool ShowsFile(const std::string& size) { return form->Text(edt4) == size && !form->Text(edt18).empty(); }

    TempDir dir;
    std::string a, b;
    std::unique_ptr<TForm1> form;
    testutil::MessageBoxRecorder boxes;
};

TEST_F(Load, AnExistingFileFillsTheRowsAndTurnsTheBoxBlue) {
    form->SetText(edt1, a);
    EXPECT_EQ(kBlue, form->FontColor(edt1));
    EXPECT_EQ(a, form->SelectedFileName);
    EXPECT_EQ("alpha.txt", form->Text(edt2));
    EXPECT_FALSE(form->Text(edt3).empty());
    EXPECT_NE(nullptr, form->IconOf(image2));
    EXPECT_NE(nullptr, form->IconOf(image3));
    EXPECT_EQ("5", form->Text(edt4));
    EXPECT_TRUE(form->Checked(chk1));
    EXPECT_FALSE(form->Checked(chk2));
    EXPECT_FALSE(form->Text(edt5).empty());
    EXPECT_FALSE(form->Text(edt7).empty());
    EXPECT_EQ("2C1743A391305FBF367DF8E4F069F9F9", form->Text(edt18));  // md5sum of "alpha"
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Load, AChangeOfTheLocaleSettingsTakesEffectAtTheNextLoad) {
    // The user's short date changes; the system announces it to the window.
    char saved[80] = "";
    ASSERT_TRUE(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved, sizeof saved));
    struct Restore {
        const char* pattern;
        ~Restore() {
            SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pattern);
            ReloadFormatSettings();
        }
    } restore{saved};
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, "yyyy'#'MM'#'dd"));
    SendMessageA(form->Handle(), WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("intl"));
    form->SetText(edt1, a);
    SYSTEMTIME st;
    GetLocalTime(&st);
    char year[8];
    std::snprintf(year, sizeof year, "%04u#", st.wYear);
    for (int row : {edt5, edt6, edt7}) EXPECT_EQ(0u, form->Text(row).find(year)) << form->Text(row);
}

TEST_F(Load, TheIconPicturesHoldTheirOwnCopies) {
    form->SetText(edt1, a);
    EXPECT_NE(form->Finfo1.LargeIcon().Handle(), form->IconOf(image2));
    EXPECT_NE(form->Finfo1.SmallIcon().Handle(), form->IconOf(image3));
}

TEST_F(Load, TypingLoadsAtTheFirstKeystrokeThatNamesAFile) {
    form->SetText(edt1, b);
    const std::string prefix = a.substr(0, a.size() - 1);
    form->SetText(edt1, "");
    Type(prefix);
    EXPECT_EQ(kRed, form->FontColor(edt1));
    EXPECT_EQ("", form->SelectedFileName);
    Type(a.substr(a.size() - 1));
    EXPECT_EQ(kBlue, form->FontColor(edt1));
    EXPECT_TRUE(ShowsFile("5"));
    Type(".bak");
    EXPECT_EQ(kRed, form->FontColor(edt1));
    EXPECT_EQ("", form->SelectedFileName);
    EXPECT_TRUE(ShowsFile("5")) << "a further keystroke keeps the rows";
}

TEST_F(Load, PastingLoads) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, b.size() + 1);
    memcpy(GlobalLock(mem), b.c_str(), b.size() + 1);
    GlobalUnlock(mem);
    ASSERT_TRUE(OpenClipboard(form->Handle()));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
    SendMessageA(form->Control(edt1), WM_PASTE, 0, 0);
    EXPECT_EQ(b, form->Text(edt1));
    EXPECT_TRUE(ShowsFile("300"));
}

TEST_F(Load, MissingPathsAndDirectoriesTurnTheBoxRedAndKeepTheRows) {
    form->SetText(edt1, a);
    for (const std::string& path : {dir.Path("missing.txt"), dir.path(), dir.path() + "\\", a + "\\"}) {
        SCOPED_TRACE(path);
        form->SetText(edt1, path);
        EXPECT_EQ(kRed, form->FontColor(edt1));
        EXPECT_EQ("", form->SelectedFileName);
        EXPECT_TRUE(ShowsFile("5"));
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Load, EmptyingTheBoxClearsAllFieldsButProductVersion) {
    form->SetText(edt1, a);
    form->SetText(edt19, "7.1");
    form->SetText(edt1, "");
    for (int id = edt2; id <= edt18; ++id) EXPECT_EQ("", form->Text(id)) << id;
    EXPECT_EQ("7.1", form->Text(edt19));
    for (int id = chk1; id <= chk7; ++id) EXPECT_FALSE(form->Checked(id));
    EXPECT_EQ(nullptr, form->IconOf(image2));
    EXPECT_EQ(nullptr, form->IconOf(image3));
    EXPECT_EQ(kRed, form->FontColor(edt1));
    EXPECT_EQ("", form->SelectedFileName);
    EXPECT_EQ("", form->Finfo1.FILENAME());
    EXPECT_EQ("", form->fver1.FILENAME());
    EXPECT_EQ(a, form->dcflcrc1.FILENAME()) << "the checksum component is never emptied";
}

TEST_F(Load, ClearAllFieldsWithAnEmptyBoxKeepsItsColour) {
    form->SetText(edt1, a);
    form->image8Click();
    EXPECT_EQ(kRed, form->FontColor(edt1));
    form->SetFontColor(edt1, kBlue);
    form->image8Click();
    EXPECT_EQ(kBlue, form->FontColor(edt1)) << "no change event for an empty box";
}

TEST_F(Load, TheCommandLinesFirstArgumentIsLoadedAtCreation) {
    const std::string spaced = dir.Write("with space.txt", "12");
    form = std::make_unique<TForm1>("\"C:\\prog\\vantrel.exe\" \"" + spaced + "\" \"" + a + "\"");
    EXPECT_EQ(spaced, form->Text(edt1));
    EXPECT_EQ(kBlue, form->FontColor(edt1));
    EXPECT_EQ("2", form->Text(edt4));

    form = std::make_unique<TForm1>("vantrel.exe " + spaced);
    EXPECT_EQ(spaced.substr(0, spaced.find(' ')), form->Text(edt1)) << "unquoted: up to the first space";
    EXPECT_EQ(kRed, form->FontColor(edt1));
}

TEST_F(Load, BrowsingLoadsTheChosenFileAndPresetsTheDialog) {
    OPENFILENAMEW seen{};
    std::string seenName, seenDir;
    std::wstring seenFilter;
    std::string answer = a;
    bool confirm = true;
    form->onOpenDialog = [&](OPENFILENAMEW& ofn) {
        seen = ofn;
        seenName = testutil::Utf8(ofn.lpstrFile);
        seenDir = ofn.lpstrInitialDir ? testutil::Utf8(ofn.lpstrInitialDir) : "";
        seenFilter.assign(ofn.lpstrFilter, 26);
        if (confirm)
            lstrcpynW(ofn.lpstrFile, testutil::Utf16(answer).c_str(), static_cast<int>(ofn.nMaxFile));
        return confirm;
    };
    form->SetText(edt1, dir.path() + "\\");
    form->Browse();
    EXPECT_EQ(dir.path() + "\\", seenDir);
    EXPECT_EQ("", seenName);
    EXPECT_EQ(std::wstring(L"All files (*.*)\0*.*\0", 21), seenFilter.substr(0, 21));
    EXPECT_EQ(1u, seen.nFilterIndex);
    EXPECT_EQ(static_cast<DWORD>(OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER), seen.Flags);
    EXPECT_EQ(nullptr, seen.lpstrDefExt);
    EXPECT_EQ(nullptr, seen.lpstrTitle);
    EXPECT_EQ(a, form->Text(edt1));
    EXPECT_TRUE(ShowsFile("5"));

    // A text with wildcards keeps what the previous use left.
    form->SetText(edt1, dir.path() + "\\*.txt");
    answer = b;
    form->Browse();
    EXPECT_EQ(dir.path() + "\\", seenDir);
    EXPECT_EQ(a, seenName);
    EXPECT_TRUE(ShowsFile("300"));

    // Cancelling changes nothing.
    confirm = false;
    form->Browse();
    EXPECT_EQ(b, form->Text(edt1));
    EXPECT_EQ(b, seenName);
}

TEST_F(Load, ConfirmingTheShownPathLoadsNothingAgain) {
    form->SetText(edt1, a);
    form->onOpenDialog = [&](OPENFILENAMEW& ofn) {
        lstrcpynW(ofn.lpstrFile, testutil::Utf16(a).c_str(), static_cast<int>(ofn.nMaxFile));
        return true;
    };
    form->SetText(edt2, "marker");
    form->Browse();
    EXPECT_EQ("marker", form->Text(edt2));
}

TEST_F(Load, DroppingSeveralFilesLoadsEachAndEndsWithTheLast) {
    const std::string c = dir.Write("gamma.txt", "gamma!");
    base::UniqueFile held(testutil::OpenForWriting(b));  // the second one fails its digest
    Drop({a, b, c});
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(kLoadFailure, boxes.boxes()[0].text);
    EXPECT_EQ("Error", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.boxes()[0].flags);
    EXPECT_EQ(c, form->Text(edt1));
    EXPECT_EQ(c, form->SelectedFileName);
    EXPECT_TRUE(ShowsFile("6"));
}

TEST_F(Load, DroppingTheShownFileLoadsNothingButEmptiesTwoComponents) {
    form->SetText(edt1, a);
    form->SetText(edt2, "marker");
    Drop({a});
    EXPECT_EQ("marker", form->Text(edt2));
    EXPECT_EQ("", form->Finfo1.FILENAME());
    EXPECT_EQ("", form->fver1.FILENAME());
    EXPECT_EQ(a, form->SelectedFileName);
}

TEST_F(Load, DroppingADirectoryKeepsItsPathInSelectedFileName) {
    form->SetText(edt1, a);
    Drop({dir.path()});
    EXPECT_EQ(kRed, form->FontColor(edt1));
    EXPECT_EQ(dir.path(), form->SelectedFileName);
    EXPECT_TRUE(ShowsFile("5"));
}

TEST_F(Load, AFailedLoadEmptiesWhatItDidNotRewrite) {
    form->SetText(edt1, b);
    const std::string oldDigest = form->Text(edt18);
    ASSERT_EQ(32u, oldDigest.size());
    base::UniqueFile held(testutil::OpenForWriting(a));
    form->SetText(edt1, a);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(kLoadFailure, boxes.boxes()[0].text);
    EXPECT_EQ(kBlue, form->FontColor(edt1));
    EXPECT_EQ(a, form->SelectedFileName);
    EXPECT_EQ("5", form->Text(edt4)) << "rows before the failing one show the new file";
    EXPECT_EQ("", form->Text(edt18)) << "never the previous file's digest";
}

TEST_F(Load, SizesAbove4GiBAreExact) {
    const std::string big = dir.Path("big.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(big, (4ull << 30) + 7));
    form->SetText(edt1, big);
    EXPECT_EQ("4294967303", form->Text(edt4));
}

TEST_F(Load, TimesAtMidnightShowTheDateAlone) {
    SYSTEMTIME st{};
    st.wYear = 2009;
    st.wMonth = 7;
    st.wDay = 3;
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    {
        base::UniqueFile f(CreateFileA(a.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        ASSERT_TRUE(SetFileTime(f.get(), nullptr, nullptr, &utc));
    }
    form->SetText(edt1, a);
    TDateTime day = 0;
    TryEncodeDate(2009, 7, 3, day);
    EXPECT_EQ(FormatShortDate(DecodeDateTime(day), CurrentDateTimeFormat()), form->Text(edt7));
}

TEST_F(Load, IconAndGdiObjectsStayFlatOverManyLoads) {
    form->SetText(edt1, a);
    form->SetText(edt1, b);
    const testutil::ResourceCounts before = testutil::LiveResources();
    for (int i = 0; i < 200; ++i) {
        form->SetText(edt1, i % 2 ? a : b);
        if (i % 20 == 0) form->image8Click();
        if (i % 25 == 0) Drop({a, b});
    }
    const testutil::ResourceCounts after = testutil::LiveResources();
    EXPECT_LE(after.gdi, before.gdi + 4);
    EXPECT_LE(after.user, before.user + 4);
    EXPECT_LE(after.handles, before.handles + 4);
}

// The date-time text from two real locales of the system.
TEST(LocaleText, EnglishAndGermanSettings) {
    TDateTime date = 0, time = 0;
    TryEncodeDate(2009, 7, 3, date);
    TryEncodeTime(14, 5, 9, 0, time);
    const DateTimeFormat us = ReadDateTimeFormat(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    EXPECT_EQ("7/3/2009 2:05:09 PM", DateTimeText(date + time, us));
    EXPECT_EQ("7/3/2009", DateTimeText(date, us));
    // German: 24-hour clock, no marker; the day and month digits depend on
    // the system's pattern (d.M.yyyy or dd.MM.yyyy).
    const DateTimeFormat de = ReadDateTimeFormat(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    EXPECT_TRUE(de.clock24);
    const std::string germanDate = DateTimeText(date, de);
    EXPECT_TRUE(germanDate == "3.7.2009" || germanDate == "03.07.2009") << germanDate;
    EXPECT_EQ(germanDate + " 14:05:09", DateTimeText(date + time, de));
}

}  // namespace

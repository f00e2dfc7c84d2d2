// Detail fields whose text does not fit: the whole text in a tooltip while the
// mouse rests on the field, none on a field whose text fits, and the layout as
// it was.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/details/datetimesettings.h"
#include "app/window/frmMain.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

std::string LocaleValue(LCTYPE type) {
    char value[80] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, value, sizeof value);
    return value;
}

// The user's settings switched to a 12-hour clock for the test's length.
class TwelveHourClock {
public:
    TwelveHourClock() : format_(LocaleValue(LOCALE_STIMEFORMAT)), clock_(LocaleValue(LOCALE_ITIME)) {
        SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, "h:mm:ss tt");
        if (LocaleValue(LOCALE_ITIME) != "0") SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ITIME, "0");
        ReloadFormatSettings();
    }
    ~TwelveHourClock() {
        SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format_.c_str());
        if (LocaleValue(LOCALE_ITIME) != clock_) SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ITIME, clock_.c_str());
        ReloadFormatSettings();
    }

private:
    std::string format_, clock_;
};

// Sets all three times of `path` to December 10, 2026, 5:43:46 PM, local time:
// the time that is cut short in a 12-hour locale.
void SetAfternoonTimes(const std::string& path) {
    SYSTEMTIME local{2026, 12, 4, 10, 17, 43, 46, 0}, utc;
    FILETIME ft;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_TRUE(SetFileTime(h, &ft, &ft, &ft));
    CloseHandle(h);
}

class ClippedFields : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
        ShowWindow(form->Handle(), SW_SHOW);
        SetForegroundWindow(form->Handle());
        testutil::Pump();
    }
    void TearDown() override { form.reset(); }

    void Load(const std::string& path) {
        form->SetText(edt1, path);
        ASSERT_FALSE(form->Text(edt18).empty()) << "the file did not load";
        testutil::Pump();
    }

    std::vector<HWND> FormTips() const {
        std::vector<HWND> tips;
        for (HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); tip;
             tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr))
            if (GetWindow(tip, GW_OWNER) == form->Handle()) tips.push_back(tip);
        return tips;
    }

    // A move the system sees as the mouse's own: set beside the point, then
    // moved onto it.
    static void MoveMouse(int x, int y) {
        SetCursorPos(x - 1, y);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_MOVE;
        in.mi.dx = 1;
        SendInput(1, &in, sizeof in);
        testutil::Pump();
    }

    // The text of the tooltip that shows while the mouse rests on `id`; empty
    // when none shows within `waitMs`. The tip shows once the mouse has been
    // still for a moment: each move starts the wait again.
    std::string TipShownOver(int id, DWORD waitMs = 4000) {
        HWND field = form->Control(id);
        // The last tip goes first, as when the hand left the last field.
        for (HWND tip : FormTips()) SendMessageA(tip, TTM_POP, 0, 0);
        RECT rc;
        GetWindowRect(field, &rc);
        MoveMouse((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < waitMs) {
            testutil::Pump();
            for (HWND tip : FormTips()) {
                if (!IsWindowVisible(tip)) continue;
                TOOLINFOA ti{};
                ti.cbSize = sizeof ti;
                if (SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&ti)) &&
                    ti.uId == reinterpret_cast<UINT_PTR>(field))
                    return testutil::WindowText(tip);
            }
            Sleep(20);
        }
        return std::string();
    }

    testutil::TempDir dir;
    std::unique_ptr<TForm1> form;
};

TEST_F(ClippedFields, AnAfternoonTimeShowsWholeInItsTooltipOnEachTimeField) {
    TwelveHourClock clock;
    const std::string file = dir.Write("afternoon.txt", "x");
    SetAfternoonTimes(file);
    const RECT before = form->Bounds(edt7);
    Load(file);
    const std::string pm = LocaleValue(LOCALE_S2359);
    ASSERT_FALSE(pm.empty());
    for (int id : {edt5, edt6, edt7}) {
        SCOPED_TRACE(form->SpecOf(id)->name);
        // Reading the file for its digests may have moved its last access on.
        const std::string text = form->Text(id);
        const std::string marker = id == edt6 ? text.substr(text.rfind(' ') + 1) : pm;
        ASSERT_TRUE(marker == pm || marker == LocaleValue(LOCALE_S1159)) << text;
        ASSERT_EQ(text.size() - marker.size(), text.rfind(" " + marker) + 1) << text;
        EXPECT_TRUE(form->Clipped(id)) << text;
        EXPECT_EQ(text, TipShownOver(id));
    }
    const RECT after = form->Bounds(edt7);
    EXPECT_TRUE(EqualRect(&before, &after)) << "the field keeps its place and size";
}

TEST_F(ClippedFields, ALongNameShowsWholeAndAShortTextShowsNoTooltip) {
    const std::string name = "a name long enough not to fit in its field at any display scale "
                             "of this window.txt";
    Load(dir.Write(name, "x"));
    const std::string shown = form->Text(edt2);
    EXPECT_EQ(0u, shown.find("a name long enough")) << shown;
    EXPECT_TRUE(form->Clipped(edt2));
    EXPECT_EQ(shown, TipShownOver(edt2));

    EXPECT_EQ("1", form->Text(edt4));
    EXPECT_FALSE(form->Clipped(edt4));
    EXPECT_EQ("", TipShownOver(edt4, 1500));
}

TEST_F(ClippedFields, TheTooltipFollowsTheFieldsTextOfTheMoment) {
    // The product version is the field the user may edit: shortened until it
    // fits, it shows no tooltip any more.
    form->SetText(edt19, std::string(80, '9'));
    EXPECT_TRUE(form->Clipped(edt19));
    EXPECT_EQ(std::string(80, '9'), TipShownOver(edt19));
    form->SetText(edt19, "1.0");
    EXPECT_FALSE(form->Clipped(edt19));
    EXPECT_EQ("", TipShownOver(edt19, 1500));
}

}  // namespace

// The button row (hover nudge, hints, actions) and the notification-area icon.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/window/frmMain.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

constexpr int kButtons[] = {image4, image8, image7, image6, image5};

class ButtonRow : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
        form->Show(SW_SHOWNORMAL);
        testutil::Pump();
    }
    void TearDown() override { form.reset(); }

    // The icon is in the notification area when the shell accepts a change
    // to it.
    bool IconPresent() {
        NOTIFYICONDATAW d = form->trycn1.Data();
        return Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
    }
    void TrayCallback(UINT mouseMessage) {
        SendMessageA(form->trycn1.Handle(), ui::TTrayIcon::kCallbackMessage, 0, mouseMessage);
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(ButtonRow, HoverNudgesThePictureAndNeverLetsItDrift) {
    for (int id : kButtons) {
        SCOPED_TRACE(id);
        const RECT home = form->Bounds(id);
        HWND pic = form->Control(id);
        for (int visit = 0; visit < 3; ++visit) {
            SendMessageA(pic, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
            SendMessageA(pic, WM_MOUSEMOVE, 0, MAKELPARAM(21, 20));  // still inside: no second nudge
            const RECT moved = form->Bounds(id);
            EXPECT_EQ(home.left + 2, moved.left);
            EXPECT_EQ(home.top + 2, moved.top);
            SendMessageA(pic, WM_MOUSELEAVE, 0, 0);
            SendMessageA(pic, WM_MOUSELEAVE, 0, 0);  // a second leave changes nothing
            const RECT back = form->Bounds(id);
            EXPECT_EQ(home.left, back.left);
            EXPECT_EQ(home.top, back.top);
        }
    }
    // The captions never move.
    EXPECT_EQ(21, form->Bounds(lbl1).left);
    EXPECT_EQ(501, form->Bounds(lbl1).top);
}

TEST_F(ButtonRow, TheHandCursorShowsWhileThePointerIsOver) {
    HWND pic = form->Control(image8);
    SendMessageA(pic, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageA(pic, WM_SETCURSOR, reinterpret_cast<WPARAM>(pic), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());
    SendMessageA(pic, WM_MOUSELEAVE, 0, 0);
    SendMessageA(pic, WM_SETCURSOR, reinterpret_cast<WPARAM>(pic), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), GetCursor());
}

TEST_F(ButtonRow, EachPictureHasItsOwnHint) {
    // The form's tooltip window, owned by the form.
    HWND found = nullptr;
    for (HWND h = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); h;
         h = FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr))
        if (GetWindow(h, GW_OWNER) == form->Handle()) found = h;
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(5, SendMessageA(found, TTM_GETTOOLCOUNT, 0, 0));
    const std::pair<int, const char*> hints[] = {
        {image4, "Save File Details to a Text File"}, {image8, "Clear all Fields"},
        {image7, "Minimize to System Tray"},          {image6, "About Vantrel"},
        {image5, "Exit"},
    };
    for (const auto& h : hints) {
        char text[128] = {};
        TOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = form->Handle();
        ti.uId = reinterpret_cast<UINT_PTR>(form->Control(h.first));
        ti.lpszText = text;
        SendMessageA(found, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
        EXPECT_STREQ(h.second, text);
    }
}

TEST_F(ButtonRow, ClearButtonClearsAllFields) {
    testutil::TempDir dir;
    form->SetText(edt1, dir.Write("x.txt", "x"));
    HWND pic = form->Control(image8);
    SendMessageA(pic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(pic, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ("", form->Text(edt1));
    EXPECT_EQ("", form->Text(edt4));
}

TEST_F(ButtonRow, TheTrayIconIsThereFromTheStartWithItsRecord) {
    EXPECT_TRUE(IconPresent());
    const NOTIFYICONDATAW& d = form->trycn1.Data();
    // The version-2 record (balloon fields, no GUID) of each build.
    constexpr UINT kV2RecordSize = sizeof(void*) == 8 ? 952u : 936u;
    EXPECT_EQ(kV2RecordSize, d.cbSize);
    EXPECT_EQ(form->trycn1.Handle(), d.hWnd);
    EXPECT_EQ(static_cast<UINT>(reinterpret_cast<UINT_PTR>(d.hWnd)), d.uID);
    EXPECT_EQ(static_cast<UINT>(WM_APP + 1), d.uCallbackMessage);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), d.uFlags);
    EXPECT_NE(nullptr, d.hIcon);
    EXPECT_STREQ(L"Click To Open Vantrel", d.szTip);
    EXPECT_STREQ(L"Click To Open Vantrel", d.szInfo);
    EXPECT_STREQ(L"Vantrel", d.szInfoTitle);
    EXPECT_EQ(3000u, d.uTimeout);
    EXPECT_FALSE(IsWindowVisible(d.hWnd));
}

TEST_F(ButtonRow, TrayHidesAndTheIconBringsTheWindowBack) {
    HWND pic = form->Control(image7);
    const struct {
        const char* how;
        std::vector<UINT> messages;
        bool shows;
    } cases[] = {
        {"mouse move", {WM_MOUSEMOVE}, true},
        {"click", {WM_LBUTTONDOWN, WM_LBUTTONUP}, true},
        {"release without press", {WM_LBUTTONUP}, false},
        {"right click", {WM_RBUTTONDOWN, WM_RBUTTONUP}, false},
        {"double click", {WM_LBUTTONDBLCLK}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        SendMessageA(pic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(pic, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        testutil::Pump();
        ASSERT_FALSE(IsWindowVisible(form->Handle()));
        EXPECT_TRUE(IconPresent());
        for (UINT m : c.messages) TrayCallback(m);
        EXPECT_EQ(c.shows, IsWindowVisible(form->Handle()) != FALSE);
        if (!c.shows) form->trycn1Click();
    }
}

TEST_F(ButtonRow, AMinimisedWindowStaysMinimised) {
    ShowWindow(form->Handle(), SW_MINIMIZE);
    TrayCallback(WM_MOUSEMOVE);
    TrayCallback(WM_LBUTTONDOWN);
    TrayCallback(WM_LBUTTONUP);
    EXPECT_TRUE(IsIconic(form->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(ButtonRow, TheIconSurvivesAShellRestartAndLeavesWithTheSession) {
    NOTIFYICONDATAW d = form->trycn1.Data();
    Shell_NotifyIconW(NIM_DELETE, &d);  // as if the shell had restarted
    ASSERT_FALSE(IconPresent());
    SendMessageA(form->trycn1.Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(IconPresent());
    EXPECT_EQ(1, SendMessageA(form->trycn1.Handle(), WM_QUERYENDSESSION, 0, 0));
    SendMessageA(form->trycn1.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IconPresent());
}

TEST_F(ButtonRow, ExitClosesTheWindowAndTheIconGoesWithIt) {
    HWND main = form->Handle();
    NOTIFYICONDATAW d = form->trycn1.Data();
    HWND pic = form->Control(image5);
    SendMessageA(pic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(pic, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    bool quit = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) quit = true;
        DispatchMessageA(&msg);
    }
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &d));
    EXPECT_TRUE(quit) << "the program ends";
}

}  // namespace

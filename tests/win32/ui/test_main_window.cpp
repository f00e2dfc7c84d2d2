// The main window as built from its stored layout: properties, controls,
// tab order and the behaviour of the name box and the read-only controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "app/window/frmMain.h"
#include "base/errors.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
    }
    void TearDown() override { form.reset(); }

    HWND Ctl(int id) const { return form->Control(id); }
    LONG Style(int id) const { return GetWindowLongA(Ctl(id), GWL_STYLE); }
    void Type(int id, const std::string& chars) {
        for (unsigned char c : chars) SendMessageA(Ctl(id), WM_CHAR, c, 1);
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, HasTheWindowPropertiesOfTheDesign) {
    HWND h = form->Handle();
    char cls[64];
    GetClassNameA(h, cls, sizeof cls);
    EXPECT_STREQ("TForm1", cls);
    EXPECT_EQ("Vantrel 1.0", testutil::WindowText(h));
    RECT rc;
    GetClientRect(h, &rc);
    EXPECT_EQ(405, rc.right);
    EXPECT_EQ(560, rc.bottom);
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_HSCROLL | WS_VSCROLL));
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(nullptr, GetWindow(h, GW_OWNER));
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(SendMessageA(h, WM_GETICON, ICON_BIG, 0)));

    LOGFONTA lf{};
    GetObjectA(form->Font(), sizeof lf, &lf);
    EXPECT_STREQ("Tahoma", lf.lfFaceName);
    EXPECT_EQ(-11, lf.lfHeight);
}

TEST_F(MainWindow, IsCentredOnTheRectangleOfAllMonitors) {
    RECT rc;
    GetWindowRect(form->Handle(), &rc);
    const int cx = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2;
    const int cy = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2;
    EXPECT_NEAR(cx, (rc.left + rc.right) / 2, 1);
    EXPECT_NEAR(cy, (rc.top + rc.bottom) / 2, 1);
}

TEST_F(MainWindow, EveryControlIsAWindowAtItsStoredPlace) {
    for (size_t i = 0; i < kMainLayoutCount; ++i) {
        const ui::ControlSpec& row = kMainLayout[i];
        SCOPED_TRACE(row.name);
        HWND h = Ctl(row.id);
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(row.id, GetDlgCtrlID(h));
        HWND expectedParent = row.parent ? Ctl(row.parent) : form->Handle();
        EXPECT_EQ(expectedParent, GetParent(h));
        const RECT rc = form->Bounds(row.id);
        EXPECT_EQ(row.left, rc.left);
        EXPECT_EQ(row.top, rc.top);
        EXPECT_EQ(row.width, rc.right - rc.left);
        EXPECT_EQ(row.height, rc.bottom - rc.top);
        EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
    }
}

TEST_F(MainWindow, ControlsHaveTheirKindsCaptionsAndReadOnlyFlags) {
    for (size_t i = 0; i < kMainLayoutCount; ++i) {
        const ui::ControlSpec& row = kMainLayout[i];
        SCOPED_TRACE(row.name);
        char cls[64];
        GetClassNameA(Ctl(row.id), cls, sizeof cls);
        const LONG style = Style(row.id);
        switch (row.kind) {
        case ui::Kind::NameBox:
        case ui::Kind::DetailField:
            EXPECT_STRCASEEQ("Edit", cls);
            EXPECT_EQ(row.readOnly, (style & ES_READONLY) != 0);
            EXPECT_TRUE(style & WS_TABSTOP);
            break;
        case ui::Kind::CheckBox:
            EXPECT_STRCASEEQ("Button", cls);
            EXPECT_EQ(row.caption, testutil::WindowText(Ctl(row.id)));
            EXPECT_EQ(row.readOnly ? BS_CHECKBOX : BS_AUTOCHECKBOX, style & BS_TYPEMASK);
            EXPECT_TRUE(style & WS_TABSTOP);
            break;
        case ui::Kind::CaptionLabel:
            EXPECT_STRCASEEQ("Static", cls);
            EXPECT_EQ(row.caption, testutil::WindowText(Ctl(row.id)));
            break;
        default:
            EXPECT_FALSE(style & WS_TABSTOP);
            break;
        }
    }
}

TEST_F(MainWindow, DetailFieldLabelsStandDirectlyAboveTheirFields) {
    for (int id = edt2; id <= edt19; ++id) {
        SCOPED_TRACE(id);
        HWND label = form->LabelOf(id);
        ASSERT_NE(nullptr, label);
        EXPECT_EQ(form->SpecOf(id)->caption, testutil::WindowText(label));
        RECT l, f;
        GetWindowRect(label, &l);
        GetWindowRect(Ctl(id), &f);
        EXPECT_EQ(f.left, l.left);
        EXPECT_EQ(f.top, l.bottom);
        EXPECT_EQ(13, l.bottom - l.top);
    }
    // The name box's label stands 4 pixels before the box, centred on it.
    RECT l, f;
    GetWindowRect(form->LabelOf(edt1), &l);
    GetWindowRect(Ctl(edt1), &f);
    EXPECT_EQ("File:", testutil::WindowText(form->LabelOf(edt1)));
    EXPECT_EQ(f.left - 4, l.right);
    EXPECT_NEAR((f.top + f.bottom) / 2, (l.top + l.bottom) / 2, 1);
}

TEST_F(MainWindow, TabOrderRunsFromTheNameBoxThroughTheStoredOrder) {
    std::vector<int> expected = {edt1};
    std::vector<std::pair<int, int>> stops;
    for (size_t i = 0; i < kMainLayoutCount; ++i)
        if (kMainLayout[i].parent == spnl2 && kMainLayout[i].tabOrder >= 0)
            stops.push_back({kMainLayout[i].tabOrder, kMainLayout[i].id});
    std::sort(stops.begin(), stops.end());
    for (auto& s : stops) expected.push_back(s.second);
    ASSERT_EQ(26u, expected.size());

    HWND h = Ctl(edt1);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i], GetDlgCtrlID(h));
        h = GetNextDlgTabItem(form->Handle(), h, FALSE);
    }
    EXPECT_EQ(Ctl(edt1), h);  // and round again
}

TEST_F(MainWindow, TheNameBoxHasTheFocusWhenTheWindowIsActivated) {
    form->Show(SW_SHOWNOACTIVATE);
    EXPECT_EQ(Ctl(edt1), form->FirstTabStop());
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(Ctl(edt1), GetFocus());
    SetFocus(Ctl(edt5));
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(Ctl(edt5), GetFocus()) << "back where it was left";
}

TEST_F(MainWindow, ReadOnlyFieldsRefuseTypingPastingAndDeleting) {
    for (int id = edt2; id <= edt18; ++id) {
        SCOPED_TRACE(id);
        SetWindowTextA(Ctl(id), "keep");
        Type(id, "x");
        SendMessageA(Ctl(id), EM_SETSEL, 0, -1);
        SendMessageA(Ctl(id), WM_KEYDOWN, VK_DELETE, 0);
        SendMessageA(Ctl(id), WM_CUT, 0, 0);
        SendMessageA(Ctl(id), WM_CLEAR, 0, 0);
        SendMessageA(Ctl(id), WM_PASTE, 0, 0);
        EXPECT_EQ("keep", testutil::WindowText(Ctl(id)));
    }
    // Product Version takes typing.
    Type(edt19, "1.2");
    EXPECT_EQ("1.2", testutil::WindowText(Ctl(edt19)));
}

TEST_F(MainWindow, ReadOnlyCheckBoxesIgnoreClicksAndSpaceButReadOnlyToggles) {
    using Action = void (*)(HWND);
    const std::pair<const char*, Action> actions[] = {
        {"click", [](HWND h) {
             SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         }},
        {"double click", [](HWND h) {
             SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
             SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         }},
        {"space bar", [](HWND h) {
             SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0);
             SendMessageA(h, WM_CHAR, ' ', 0);
             SendMessageA(h, WM_KEYUP, VK_SPACE, 0);
         }},
        {"BM_CLICK", [](HWND h) { SendMessageA(h, BM_CLICK, 0, 0); }},
    };
    form->Show(SW_SHOWNOACTIVATE);
    for (int id = chk1; id <= chk7; ++id) {
        for (const auto& action : actions) {
            SCOPED_TRACE(std::to_string(id) + " " + action.first);
            const bool before = form->Checked(id);
            action.second(Ctl(id));
            testutil::Pump();
            const int state = static_cast<int>(SendMessageA(Ctl(id), BM_GETSTATE, 0, 0));
            EXPECT_FALSE(state & BST_PUSHED) << "never left pressed";
            if (id != chk2) {
                EXPECT_EQ(before, form->Checked(id));
            } else if (std::string(action.first) != "double click") {
                EXPECT_NE(before, form->Checked(id));
            }
        }
    }
}

TEST_F(MainWindow, NameBoxLimitsTypingButNotAssignment) {
    EXPECT_EQ(255, SendMessageA(Ctl(edt1), EM_GETLIMITTEXT, 0, 0));
    const std::string longPath = "C:\\" + std::string(297, 'a');
    form->SetText(edt1, longPath);
    EXPECT_EQ(longPath, form->Text(edt1));

    form->SetText(edt1, "");
    Type(edt1, std::string(300, 'b'));
    EXPECT_EQ(std::string(255, 'b'), form->Text(edt1));
}

TEST_F(MainWindow, EnterInTheNameBoxDoesNothing) {
    // Through the program's own loop, where the dialog manager sees the key
    // first: typed on the keyboard, posted to the box by another program, and
    // sent to it directly. The box itself does nothing for Enter.
    testutil::TempDir dir;
    const std::string file = dir.Write("x.txt", "x");
    testutil::MessageBoxRecorder boxes;
    int browses = 0;
    form->onOpenDialog = [&](OPENFILENAMEW&) {
        ++browses;
        return false;
    };
    form->Show(SW_SHOWNORMAL);
    form->SetText(edt1, file);
    const std::string md5 = form->Text(edt18);
    SetForegroundWindow(form->Handle());
    SetFocus(Ctl(edt1));
    SendMessageA(Ctl(edt1), EM_SETSEL, 2, 2);
    const auto pump = [] {
        for (int i = 0; i < 20; ++i) {
            ui::Application().ProcessMessages();
            Sleep(5);
        }
    };
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    pump();
    PostMessageA(Ctl(edt1), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(Ctl(edt1), WM_CHAR, '\r', 1);
    PostMessageA(Ctl(edt1), WM_CHAR, '\n', 1);
    pump();
    // And sent straight to the box, past the loop.
    SendMessageA(Ctl(edt1), WM_KEYDOWN, VK_RETURN, 1);
    SendMessageA(Ctl(edt1), WM_CHAR, '\r', 1);
    SendMessageA(Ctl(edt1), WM_KEYUP, VK_RETURN, 1);
    pump();
    EXPECT_EQ(file, form->Text(edt1));
    DWORD start = 0, end = 0;
    SendMessageA(Ctl(edt1), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(2u, start);
    EXPECT_EQ(2u, end);
    EXPECT_EQ(Ctl(edt1), GetFocus());
    EXPECT_EQ(md5, form->Text(edt18));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(0, browses);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MainWindow, TheNameBoxHasABrowseButtonAtItsRightEnd) {
    HWND button = GetWindow(Ctl(edt1), GW_CHILD);
    ASSERT_NE(nullptr, button);
    RECT b, e;
    GetWindowRect(button, &b);
    GetClientRect(Ctl(edt1), &e);
    MapWindowPoints(Ctl(edt1), nullptr, reinterpret_cast<POINT*>(&e), 2);
    EXPECT_EQ(22, b.right - b.left);
    EXPECT_EQ(e.right, b.right);
}

TEST_F(MainWindow, StartsEmpty) {
    for (int id = edt1; id <= edt19; ++id) EXPECT_EQ("", form->Text(id)) << id;
    for (int id = chk1; id <= chk7; ++id) EXPECT_FALSE(form->Checked(id)) << id;
    EXPECT_EQ(nullptr, form->IconOf(image2));
    EXPECT_EQ(nullptr, form->IconOf(image3));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), form->FontColor(edt1));
    EXPECT_EQ("", form->SelectedFileName);
}

// The failure display: what a handler lets through is shown with the title as
// caption and a full stop where the message needs one.
TEST(FailureDisplay, ShowsTheMessageWithTheFullStopRule) {
    testutil::MessageBoxRecorder boxes;
    ui::Guarded([] { throw base::Exception("Disk full"); });
    ui::Guarded([] { throw base::Exception("Done."); });
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_EQ("Disk full.", boxes.boxes()[0].text);
    EXPECT_EQ("Vantrel 1.0", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), boxes.boxes()[0].flags);
    EXPECT_EQ("Done.", boxes.boxes()[1].text);
}

}  // namespace

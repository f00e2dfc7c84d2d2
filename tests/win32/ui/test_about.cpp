// The About window: its layout, the modal show, the links, the hover
// behaviour and the title's shadow.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/window/About.h"
#include "app/window/frmMain.h"
#include "testutil.h"

using namespace About;

using namespace frmMain;

namespace {

constexpr COLORREF kBackground = RGB(192, 220, 192);

void CALLBACK CloseByPicture(HWND, UINT, UINT_PTR id, DWORD);
void CALLBACK CloseByTitleBar(HWND, UINT, UINT_PTR id, DWORD);

class AboutWindow : public testing::Test {
public:
    void SetUp() override {
        main = std::make_unique<TForm1>("vantrel.exe");
        main->Show(SW_SHOWNORMAL);
        about = std::make_unique<TAboutBox>(main->Handle());
        main->SetAboutBox(about.get());
        about->onOpenAddress = [this](HWND owner, const char* verb, const char* address) {
            opened.push_back({owner, std::string(verb) + " " + address});
        };
    }
    void TearDown() override {
        about.reset();
        main.reset();
    }

    // Runs `during` once the About window is open, then closes it by its
    // close picture, and returns when the modal show has returned.
    void ShowAndRun(std::function<void()> during) {
        pending = std::move(during);
        current = this;
        SetTimer(nullptr, 0, 10, CloseByPicture);
        main->image6Click();
    }
    void Click(int id) {
        HWND h = about->Control(id);
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    }

    static AboutWindow* current;
    std::function<void()> pending;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<TAboutBox> about;
    std::vector<std::pair<HWND, std::string>> opened;
};

AboutWindow* AboutWindow::current = nullptr;

void CALLBACK CloseByPicture(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (AboutWindow::current->pending) AboutWindow::current->pending();
    HWND close = AboutWindow::current->about->Control(About::image3);
    SendMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(close, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
}

void CALLBACK CloseByTitleBar(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SendMessageA(AboutWindow::current->about->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(AboutWindow, HasTheWindowPropertiesOfTheDesign) {
    char cls[64];
    GetClassNameA(about->Handle(), cls, sizeof cls);
    EXPECT_STREQ("TAboutBox", cls);
    EXPECT_EQ("Vantrel 1.0", testutil::WindowText(about->Handle()));
    RECT rc;
    GetClientRect(about->Handle(), &rc);
    EXPECT_EQ(298, rc.right);
    EXPECT_EQ(287, rc.bottom);
    const LONG style = GetWindowLongA(about->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_FALSE(IsWindowVisible(about->Handle())) << "hidden until asked for";
    EXPECT_EQ(main->Handle(), GetWindow(about->Handle(), GW_OWNER));
}

TEST_F(AboutWindow, ControlsAreAtTheirPlacesAndLaterOnesLieOnTop) {
    const struct {
        int id, parent, left, top, width, height;
        const char* text;
    } rows[] = {
        {About::image3, 0, 128, 233, 48, 48, nullptr},
        {Panel1, 0, 9, 8, 281, 218, nullptr},
        {Copyright, Panel1, 3, 34, 273, 13, "Written by the Vantrel developers"},
        {Comments, Panel1, 3, 69, 273, 13, "vantrel.example.org"},
        {Image1, Panel1, 71, 95, 145, 105, nullptr},
        {sLabelFX1, Panel1, 3, 5, 273, 32, "Vantrel 1.0"},
        {sLabel1, Panel1, 3, 53, 273, 13, "Display and Save File Properties"},
        {About::image4, Panel1, 59, 83, 168, 128, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        HWND h = about->Control(r.id);
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(r.parent ? about->Control(r.parent) : about->Handle(), GetParent(h));
        const RECT rc = about->Bounds(r.id);
        EXPECT_EQ(r.left, rc.left);
        EXPECT_EQ(r.top, rc.top);
        EXPECT_EQ(r.width, rc.right - rc.left);
        EXPECT_EQ(r.height, rc.bottom - rc.top);
        if (r.text) {
            EXPECT_EQ(r.text, testutil::WindowText(h));
        }
    }
    // The frame lies over the logo...
    HWND panel = about->Control(Panel1);
    bool frameAbove = false;
    for (HWND h = GetWindow(panel, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == about->Control(About::image4)) frameAbove = true;
        if (h == about->Control(Image1)) break;
    }
    EXPECT_TRUE(frameAbove);
    // ...but the mouse reaches the logo through it, and the panel at its border.
    ShowWindow(about->Handle(), SW_SHOWNOACTIVATE);
    SetWindowPos(about->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto atPanelPoint = [&](int x, int y) {
        POINT pt{x, y};
        ClientToScreen(panel, &pt);
        return WindowFromPoint(pt);
    };
    const RECT logo = about->Bounds(Image1);
    EXPECT_EQ(about->Control(Image1), atPanelPoint((logo.left + logo.right) / 2, (logo.top + logo.bottom) / 2));
    EXPECT_EQ(panel, atPanelPoint((logo.left + logo.right) / 2, 86));
    ShowWindow(about->Handle(), SW_HIDE);
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(about->Control(About::image4), WM_NCHITTEST, 0, 0));
}

TEST_F(AboutWindow, OpensModallyCentredAndComesBackWhereItWasLeft) {
    bool mainEnabled = true, visible = false;
    RECT first{};
    ShowAndRun([&] {
        mainEnabled = IsWindowEnabled(main->Handle()) != FALSE;
        visible = IsWindowVisible(about->Handle()) != FALSE;
        GetWindowRect(about->Handle(), &first);
        SetWindowPos(about->Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // dragged away
    });
    EXPECT_FALSE(mainEnabled) << "the main window takes no input while AboutWindow is open";
    EXPECT_TRUE(visible);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    EXPECT_FALSE(IsWindowVisible(about->Handle()));
    const int w = first.right - first.left, h = first.bottom - first.top;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - w) / 2, first.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - h) / 2, first.top);

    RECT second{};
    ShowAndRun([&] { GetWindowRect(about->Handle(), &second); });
    EXPECT_EQ(40, second.left);
    EXPECT_EQ(30, second.top);
}

TEST_F(AboutWindow, TheTitleBarsCloseBoxClosesIt) {
    pending = nullptr;
    current = this;
    SetTimer(nullptr, 0, 10, CloseByTitleBar);
    main->image6Click();
    EXPECT_FALSE(IsWindowVisible(about->Handle()));
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
}

TEST_F(AboutWindow, TheLinksOpenTheAddressThroughTheApplicationWindow) {
    Click(Image1);
    Click(Comments);
    Click(About::image4);  // decoration only
    ASSERT_EQ(2u, opened.size());
    for (const auto& o : opened) {
        EXPECT_EQ(ui::Application().Handle(), o.first);
        EXPECT_EQ(std::string("Open ") + TAboutBox::kAddress, o.second);
    }
    EXPECT_FALSE(IsWindowVisible(main->Handle()) == FALSE);
}

TEST_F(AboutWindow, TheTextLinkTurnsBlueUnderTheMouseAndBlackAfter) {
    HWND link = about->Control(Comments);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), about->FontColor(Comments));
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(RGB(0, 0, 255), about->FontColor(Comments));
    SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());
    SendMessageA(link, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(RGB(0, 0, 0), about->FontColor(Comments));
}

TEST_F(AboutWindow, TheClosePictureNudgesLikeTheButtons) {
    HWND pic = about->Control(About::image3);
    for (int i = 0; i < 3; ++i) {
        SendMessageA(pic, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
        EXPECT_EQ(130, about->Bounds(About::image3).left);
        EXPECT_EQ(235, about->Bounds(About::image3).top);
        SendMessageA(pic, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(128, about->Bounds(About::image3).left);
        EXPECT_EQ(233, about->Bounds(About::image3).top);
    }
}

TEST_F(AboutWindow, TheTitleIsWhiteOverASoftShadowOnThePanel) {
    const RECT rc = about->Bounds(sLabelFX1);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    base::MemoryDC dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    base::UniqueBitmap bmp = ui::CreateDib32(w, h, &bits);
    ASSERT_TRUE(bmp.valid());
    base::SelectObj sel(dc.get(), bmp.get());
    RECT local{0, 0, w, h};
    ASSERT_TRUE(static_cast<ui::Form&>(*about).PaintControl(sLabelFX1, dc.get(), local));
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    const std::uint32_t background = 0xC0DCC0;  // BGRA of RGB(192, 220, 192)
    int white = 0, shadow = 0;
    for (int i = 0; i < w * h; ++i) {
        const std::uint32_t c = px[i] & 0xFFFFFF;
        if (c == 0xFFFFFF) ++white;
        else if (c != background) ++shadow;
    }
    EXPECT_EQ(background, px[0] & 0xFFFFFF) << "the panel shows where the shadow does not reach";
    EXPECT_EQ(background, px[w * h - 1] & 0xFFFFFF);
    EXPECT_GT(white, 20);
    EXPECT_GT(shadow, white / 2) << "a blurred shadow around the letters";
    (void)kBackground;
}

}  // namespace

// Both windows at the screen's display scale: every rectangle of the layouts,
// every font and every picture follows the dpi, and at 96 dpi they are
// exactly the stored values. The ordinary run covers 96 dpi; the test command
// runs this suite again with the prefix at 120, 144 and 192 dpi
// (scripts/wine-dpi.sh), and VANTREL_TEST_DPI says which scale to expect.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/window/About.h"
#include "app/window/frmMain.h"
#include "mainform.h"
#include "resources/resource.h"
#include "testutil.h"
#include "ui/dpi.h"

using namespace frmMain;

namespace {

// The scale the session was set to, or the screen's when none was named.
int ExpectedDpi() {
    char value[16] = "";
    if (GetEnvironmentVariableA("VANTREL_TEST_DPI", value, sizeof value) > 0) return std::atoi(value);
    return ui::ScreenDpi();
}

RECT WindowRectIn(HWND h, HWND parent) {
    RECT rc;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT i;
    return IntersectRect(&i, &a, &b) != FALSE;
}

LOGFONTA FontOf(HWND h) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

SIZE TextSize(HWND h, const std::string& text) {
    base::WindowDC dc(h);
    base::SelectObj sel(dc.get(), reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

std::vector<std::uint32_t> Pixels(const ui::Picture& pic) {
    DIBSECTION ds{};
    if (pic.empty() || GetObjectA(pic.bitmap(), sizeof ds, &ds) != sizeof ds || ds.dsBm.bmBitsPixel != 32) return {};
    const auto* px = static_cast<const std::uint32_t*>(ds.dsBm.bmBits);
    return std::vector<std::uint32_t>(px, px + static_cast<size_t>(pic.width()) * pic.height());
}

LONG TitleHeight(const TAboutBox& about) {
    LOGFONTA lf{};
    GetObjectA(about.TitleFont(), sizeof lf, &lf);
    return lf.lfHeight;
}

int S(int value, int dpi) { return ui::ScaleToDpi(value, dpi); }

// The controls that carry a caption the system draws and that may widen to
// it away from 96 dpi.
bool HasCaption(ui::Kind k) {
    return k == ui::Kind::CheckBox || k == ui::Kind::CaptionLabel || k == ui::Kind::Label ||
           k == ui::Kind::LinkLabel;
}

// Every control of `form` stands at its row's rectangle scaled to `dpi`; a
// control with a caption may only be wider (and taller) than that, to fit its caption,
// never anywhere else, and only away from 96 dpi.
void ExpectScaledLayout(const ui::Form& form, const std::vector<int>& ids, int dpi) {
    for (int id : ids) {
        const ui::ControlSpec& row = *form.SpecOf(id);
        SCOPED_TRACE(row.name);
        const RECT rc = form.Bounds(id);
        const int w = rc.right - rc.left;
        EXPECT_EQ(S(row.top, dpi), rc.top);
        // A caption may also need a pixel more height than the scaled row
        // gives (the font's cell does not scale linearly).
        if (dpi == ui::kBaseDpi || !HasCaption(row.kind))
            EXPECT_EQ(S(row.height, dpi), rc.bottom - rc.top);
        else
            EXPECT_GE(rc.bottom - rc.top, S(row.height, dpi));
        if (dpi == ui::kBaseDpi || !HasCaption(row.kind) || w == S(row.width, dpi)) {
            EXPECT_EQ(S(row.left, dpi), rc.left);
            EXPECT_EQ(S(row.width, dpi), w);
        } else {
            EXPECT_GT(w, S(row.width, dpi));
            const bool centred = row.kind == ui::Kind::Label || row.kind == ui::Kind::LinkLabel;
            EXPECT_EQ(centred ? S(row.left, dpi) - (w - S(row.width, dpi)) / 2 : S(row.left, dpi), rc.left);
        }
    }
}

void ExpectClientArea(HWND h, int width, int height, int dpi) {
    RECT rc;
    GetClientRect(h, &rc);
    EXPECT_EQ(S(width, dpi), rc.right);
    EXPECT_EQ(S(height, dpi), rc.bottom);
}

std::vector<int> MainIds() {
    std::vector<int> ids;
    for (size_t i = 0; i < kMainLayoutCount; ++i) ids.push_back(kMainLayout[i].id);
    return ids;
}

std::vector<int> AboutIds() {
    std::vector<int> ids;
    for (int id = About::image3; id <= About::image4; ++id) ids.push_back(id);
    return ids;
}

// The fonts, labels, browse button and pictures of the main window at `dpi`.
void ExpectMainContents(const TForm1& form, int dpi) {
    LOGFONTA lf{};
    GetObjectA(form.Font(), sizeof lf, &lf);
    EXPECT_EQ(-S(11, dpi), lf.lfHeight);
    EXPECT_EQ(-S(11, dpi), FontOf(form.Control(edt1)).lfHeight);
    EXPECT_EQ(-S(11, dpi), FontOf(form.Control(edt2)).lfHeight);
    EXPECT_EQ(FW_BOLD, FontOf(form.Control(edt2)).lfWeight);
    EXPECT_EQ(-S(11, dpi), FontOf(form.Control(chk1)).lfHeight);
    EXPECT_EQ(-S(11, dpi), FontOf(form.LabelOf(edt2)).lfHeight);

    for (int id = edt2; id <= edt19; ++id) {
        SCOPED_TRACE(id);
        const RECT field = form.Bounds(id);
        const RECT label = WindowRectIn(form.LabelOf(id), GetParent(form.Control(id)));
        EXPECT_EQ(field.left, label.left);
        EXPECT_EQ(field.top, label.bottom);
        const SIZE text = TextSize(form.LabelOf(id), form.SpecOf(id)->caption);
        EXPECT_EQ(text.cx, label.right - label.left);
        EXPECT_EQ(text.cy, label.bottom - label.top);
    }
    const RECT box = form.Bounds(edt1);
    const RECT nameLabel = WindowRectIn(form.LabelOf(edt1), GetParent(form.Control(edt1)));
    EXPECT_EQ(box.left - S(4, dpi), nameLabel.right);
    EXPECT_NEAR((box.top + box.bottom) / 2, (nameLabel.top + nameLabel.bottom) / 2, 1);

    HWND browse = GetWindow(form.Control(edt1), GW_CHILD);
    ASSERT_NE(nullptr, browse);
    RECT b, e;
    GetWindowRect(browse, &b);
    GetClientRect(form.Control(edt1), &e);
    MapWindowPoints(form.Control(edt1), nullptr, reinterpret_cast<POINT*>(&e), 2);
    EXPECT_EQ(S(22, dpi), b.right - b.left);
    EXPECT_EQ(e.right, b.right);
    EXPECT_EQ(e.bottom - e.top, b.bottom - b.top);

    // A frame is only its outline, two pixels of the scale wide.
    for (int id : {sbvl1, sbvl2, sbvl3}) {
        SCOPED_TRACE(id);
        base::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(ERROR, GetWindowRgn(form.Control(id), region.get()));
        const RECT rc = form.Bounds(id);
        const int line = S(2, dpi), midY = (rc.bottom - rc.top) / 2;
        EXPECT_TRUE(PtInRegion(region.get(), line - 1, midY));
        EXPECT_FALSE(PtInRegion(region.get(), line, midY));
        EXPECT_TRUE(PtInRegion(region.get(), rc.right - rc.left - line, midY));
        EXPECT_FALSE(PtInRegion(region.get(), rc.right - rc.left - line - 1, midY));
    }

    for (int id : {image4, image5, image6, image7, image8}) {
        const ui::Picture* pic = form.PictureOf(id);
        ASSERT_NE(nullptr, pic) << id;
        EXPECT_EQ(S(48, dpi), pic->width()) << id;
        EXPECT_EQ(S(48, dpi), pic->height()) << id;
    }
    for (int state = 0; state < 3; ++state) {
        const ui::Picture* pic = form.PictureOf(edt1, state);
        ASSERT_NE(nullptr, pic) << state;
        EXPECT_EQ(S(20, dpi), pic->width());
        EXPECT_EQ(S(17, dpi), pic->height());
    }
}

class Dpi : public testing::Test {
protected:
    void SetUp() override {
        main = testutil::NewMainForm();
        about = std::make_unique<TAboutBox>(main->Handle());
        dpi = ExpectedDpi();
    }
    void TearDown() override {
        about.reset();
        main.reset();
    }

    std::unique_ptr<TForm1> main;
    std::unique_ptr<TAboutBox> about;
    int dpi = ui::kBaseDpi;
};

TEST_F(Dpi, TheWindowsTakeTheScreensScale) {
    ASSERT_EQ(dpi, ui::ScreenDpi()) << "the session's LogPixels is in force";
    EXPECT_EQ(dpi, main->Dpi());
    EXPECT_EQ(dpi, about->Dpi());
    EXPECT_EQ(dpi, ui::WindowDpi(main->Handle()));
}

TEST_F(Dpi, TheMainWindowIsItsLayoutScaled) {
    ExpectClientArea(main->Handle(), 405, 560, dpi);
    ExpectScaledLayout(*main, MainIds(), dpi);
    ExpectMainContents(*main, dpi);
    // Still centred on the rectangle of all monitors.
    RECT rc;
    GetWindowRect(main->Handle(), &rc);
    EXPECT_NEAR(GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2,
                (rc.left + rc.right) / 2, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2,
                (rc.top + rc.bottom) / 2, 1);
}

TEST_F(Dpi, TheAboutWindowIsItsLayoutScaled) {
    ExpectClientArea(about->Handle(), 298, 287, dpi);
    ExpectScaledLayout(*about, AboutIds(), dpi);
    EXPECT_EQ(-S(11, dpi), FontOf(about->Control(About::Copyright)).lfHeight);
    EXPECT_EQ(-S(19, dpi), TitleHeight(*about));
    // The title paints over its whole scaled label: white letters, a shadow
    // around them that reaches past them by its scaled distance, the panel
    // where it does not reach.
    {
        const RECT rc = about->Bounds(About::sLabelFX1);
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        base::MemoryDC dc(CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        base::UniqueBitmap bmp = ui::CreateDib32(w, h, &bits);
        ASSERT_TRUE(bmp.valid());
        base::SelectObj sel(dc.get(), bmp.get());
        RECT local{0, 0, w, h};
        ASSERT_TRUE(static_cast<ui::Form&>(*about).PaintControl(About::sLabelFX1, dc.get(), local));
        GdiFlush();
        const auto* px = static_cast<const std::uint32_t*>(bits);
        const std::uint32_t background = 0xC0DCC0;
        int lastWhiteRow = -1, lastShadowRow = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = px[y * w + x] & 0xFFFFFF;
                if (c == 0xFFFFFF) lastWhiteRow = y;
                else if (c != background) lastShadowRow = y;
            }
        EXPECT_EQ(background, px[0] & 0xFFFFFF);
        ASSERT_GE(lastWhiteRow, 0);
        EXPECT_GE(lastShadowRow, lastWhiteRow + S(1, dpi));
    }

    const struct {
        int id, width, height;
    } pictures[] = {{About::image3, 48, 48}, {About::image4, 155, 115}, {About::Image1, 147, 110}};
    for (const auto& p : pictures) {
        const ui::Picture* pic = about->PictureOf(p.id);
        ASSERT_NE(nullptr, pic) << p.id;
        EXPECT_EQ(S(p.width, dpi), pic->width()) << p.id;
        EXPECT_EQ(S(p.height, dpi), pic->height()) << p.id;
    }
}

TEST_F(Dpi, NoEditsOverlapAndEveryCaptionFits) {
    // Edits and their caption labels, in the lower panel's coordinates.
    std::vector<std::pair<int, RECT>> boxes;
    for (int id = edt2; id <= edt19; ++id) {
        boxes.push_back({id, main->Bounds(id)});
        boxes.push_back({-id, WindowRectIn(main->LabelOf(id), main->Control(spnl2))});
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(Overlap(boxes[i].second, boxes[j].second))
                << boxes[i].first << " and " << boxes[j].first << " (negative: the label)";
    // Check boxes keep clear of each other and of the edits.
    for (int id = chk1; id <= chk7; ++id) {
        for (int other = id + 1; other <= chk7; ++other) {
            RECT a = main->Bounds(id), b = main->Bounds(other);
            // Stacked boxes share their border rows by design: compare the
            // text bands only.
            InflateRect(&a, 0, -S(3, dpi));
            InflateRect(&b, 0, -S(3, dpi));
            EXPECT_FALSE(Overlap(a, b)) << id << " and " << other;
        }
        for (const auto& box : boxes) EXPECT_FALSE(Overlap(main->Bounds(id), box.second)) << id;
    }
    if (dpi == ui::kBaseDpi) return;  // the stored layout stands as it is at 96 dpi

    // Every caption fits: the text, and for a check box its box in front.
    auto expectFits = [&](const ui::Form& form, int id) {
        HWND h = form.Control(id);
        const std::string caption = testutil::WindowText(h);
        SCOPED_TRACE(caption);
        const SIZE text = TextSize(h, caption);
        RECT rc;
        GetClientRect(h, &rc);
        int need = text.cx;
        if (form.SpecOf(id)->kind == ui::Kind::CheckBox) need += ui::SystemMetricForDpi(SM_CXMENUCHECK, dpi);
        EXPECT_LE(need, rc.right);
        EXPECT_LE(text.cy, rc.bottom);
    };
    for (size_t i = 0; i < kMainLayoutCount; ++i)
        if (HasCaption(kMainLayout[i].kind)) expectFits(*main, kMainLayout[i].id);
    for (int id : {About::Copyright, About::Comments, About::sLabel1}) expectFits(*about, id);
}

TEST_F(Dpi, PicturesAreTheStoredRenditionsForTheScale) {
    const int offset = dpi <= 96 ? 0 : dpi <= 144 ? IDP_RENDITION_150 : IDP_RENDITION_200;
    const ui::Picture stored = ui::Picture::FromResource(IDP_SAVE + offset);
    const ui::Picture* shown = main->PictureOf(image4);
    ASSERT_NE(nullptr, shown);
    ASSERT_FALSE(stored.empty());
    if (stored.width() == S(48, dpi)) {
        // 96, 144, 192 dpi: exactly the rendition made for the scale.
        EXPECT_EQ(Pixels(stored), Pixels(*shown));
    } else {
        // Between the stored scales: the larger rendition taken down, never
        // the 100 % picture blown up.
        EXPECT_GT(stored.width(), shown->width());
        const ui::Picture blownUp = ui::Picture::FromResource(IDP_SAVE).Scaled(shown->width(), shown->height());
        EXPECT_NE(Pixels(blownUp), Pixels(*shown));
    }
    // The logo, a bitmap without alpha, follows the same rule: taken from the
    // rendition at or above its scaled size, drawn without alpha.
    const ui::Picture logo = ui::Picture::FromBitmapResource(IDB_ABOUT_LOGO + offset);
    const ui::Picture* shownLogo = about->PictureOf(About::Image1);
    ASSERT_NE(nullptr, shownLogo);
    ASSERT_FALSE(logo.empty());
    EXPECT_FALSE(shownLogo->alpha());
    EXPECT_EQ(S(147, dpi), shownLogo->width());
    EXPECT_EQ(S(110, dpi), shownLogo->height());
    EXPECT_GE(logo.width(), shownLogo->width());
    EXPECT_GE(logo.height(), shownLogo->height());
}

TEST_F(Dpi, TheNotificationIconHasTheSmallIconSizeOfTheScale) {
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(main->trycn1.Data().hIcon, &info));
    base::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(ui::SystemMetricForDpi(SM_CXSMICON, dpi), bm.bmWidth);
    EXPECT_EQ(S(16, dpi), bm.bmWidth);
}

// A move to a display of another scale, as the system announces it: both
// windows take the suggested rectangle and rebuild their layout, fonts and
// pictures; moving back restores exactly what was there.
TEST_F(Dpi, DpiChangedRebuildsBothWindowsInPlace) {
    // 96 dpi goes to 150 %, the others to 100 %: the screen of a session
    // is as large as its scale makes it.
    const int other = dpi == ui::kBaseDpi ? 144 : ui::kBaseDpi;
    auto announce = [](ui::Form& form, int newDpi, int clientW, int clientH) {
        RECT now;
        GetWindowRect(form.Handle(), &now);
        RECT suggested{0, 0, S(clientW, newDpi), S(clientH, newDpi)};
        ui::AdjustWindowRectForDpi(&suggested, GetWindowLongA(form.Handle(), GWL_STYLE),
                                   GetWindowLongA(form.Handle(), GWL_EXSTYLE), newDpi);
        OffsetRect(&suggested, now.left + 10 - suggested.left, now.top + 10 - suggested.top);
        SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
        return suggested;
    };
    std::vector<RECT> before;
    for (int id : MainIds()) before.push_back(main->Bounds(id));

    // A picture nudged by the mouse when the scale changes goes back to its
    // place in the new scale when the mouse leaves.
    SendMessageA(main->Control(image4), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    const RECT suggested = announce(*main, other, 405, 560);
    SendMessageA(main->Control(image4), WM_MOUSELEAVE, 0, 0);
    announce(*about, other, 298, 287);

    RECT rc;
    GetWindowRect(main->Handle(), &rc);
    EXPECT_EQ(suggested.left, rc.left);
    EXPECT_EQ(suggested.top, rc.top);
    EXPECT_EQ(other, main->Dpi());
    EXPECT_EQ(other, about->Dpi());
    ExpectClientArea(main->Handle(), 405, 560, other);
    ExpectScaledLayout(*main, MainIds(), other);
    ExpectMainContents(*main, other);
    ExpectClientArea(about->Handle(), 298, 287, other);
    ExpectScaledLayout(*about, AboutIds(), other);
    EXPECT_EQ(-S(19, other), TitleHeight(*about));
    EXPECT_EQ(S(48, other), about->PictureOf(About::image3)->width());
    EXPECT_EQ(S(155, other), about->PictureOf(About::image4)->width());

    announce(*main, dpi, 405, 560);
    announce(*about, dpi, 298, 287);
    ExpectClientArea(main->Handle(), 405, 560, dpi);
    ExpectMainContents(*main, dpi);
    const std::vector<int> ids = MainIds();
    for (size_t i = 0; i < ids.size(); ++i) {
        const RECT now = main->Bounds(ids[i]);
        EXPECT_TRUE(EqualRect(&before[i], &now)) << main->SpecOf(ids[i])->name;
    }
    ExpectScaledLayout(*about, AboutIds(), dpi);
}

}  // namespace

#include "app/window/About.h"

#include <shellapi.h>

#include <vector>

#include "app/window/titleblur.h"
#include "base/product.h"
#include "resources/resource.h"
#include "ui/application.h"
#include "ui/dpi.h"

using ui::Kind;

const char* const TAboutBox::kAddress = "https://vantrel.example.org/";

using namespace About;

namespace {

constexpr COLORREF kBackground = RGB(192, 220, 192);

const ui::FormSpec kAboutSpec = {
    "TAboutBox", kProductTitle, 298, 287,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
    kBackground, "MS Sans Serif", 11, 0,
};

// clang-format off
const ui::ControlSpec kAboutLayout[] = {
//   id           name          kind              parent  left top  w    h    caption                              r/o    tab picture          bitmap
    {image3,      "image3",     Kind::Picture,    0,      128, 233, 48,  48,  "",                                  false, -1, IDP_ABOUT_CLOSE, false},
    {Panel1,      "Panel1",     Kind::Panel,      0,      9,   8,   281, 218, "",                                  false, -1, 0,               false},
    {Copyright,   "Copyright",  Kind::Label,      Panel1, 3,   34,  273, 13,  "Written by the Vantrel developers", false, -1, 0,               false},
    {Comments,    "Comments",   Kind::LinkLabel,  Panel1, 3,   69,  273, 13,  "vantrel.example.org",               false, -1, 0,               false},
    {Image1,      "Image1",     Kind::Picture,    Panel1, 71,  95,  145, 105, "",                                  false, -1, IDB_ABOUT_LOGO,  true},
    {sLabelFX1,   "sLabelFX1",  Kind::TitleLabel, Panel1, 3,   5,   273, 32,  kProductTitle,                       false, -1, 0,               false},
    {sLabel1,     "sLabel1",    Kind::Label,      Panel1, 3,   53,  273, 13,  "Display and Save File Properties",  false, -1, 0,               false},
    {image4,      "image4",     Kind::Decoration, Panel1, 59,  83,  168, 128, "",                                  false, -1, IDP_ABOUT_FRAME, false},
};
// clang-format on

// The title's font height, its shadow's distance and the blur's passes, at
// 96 dpi.
constexpr int kTitleFontHeight = 19;
constexpr int kShadowOffset = 1;
constexpr int kBlurPasses = 4;
constexpr int kBevelWidth = 2;

// Lowered outer and raised inner bevel, each `width` pixels.
void DrawBevels(HDC dc, RECT rc, int width) {
    ui::DrawEdges(dc, rc, BDR_SUNKENOUTER, width);
    InflateRect(&rc, -width, -width);
    ui::DrawEdges(dc, rc, BDR_RAISEDINNER, width);
}

}  // namespace

TAboutBox::TAboutBox(HWND owner) {
    CreateForm(kAboutSpec, kAboutLayout, sizeof kAboutLayout / sizeof kAboutLayout[0], owner);
    CreateTitleFont();
    SetFontColor(sLabel1, RGB(0, 0, 0));
}

void TAboutBox::CreateTitleFont() {
    titleFont_.reset(CreateFontW(-Scale(kTitleFontHeight), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
    SendMessageW(Control(sLabelFX1), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
}

void TAboutBox::DpiChanged() { CreateTitleFont(); }

void TAboutBox::Execute() {
    if (!placed_) {
        // Placing is a courtesy: should the window's own rectangle not be had,
        // it is taken as empty and the window placed by its corner.
        RECT rc{};
        (void)GetWindowRect(Handle(), &rc);
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        int left = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        int top = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        if (left < GetSystemMetrics(SM_XVIRTUALSCREEN)) left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        if (top < GetSystemMetrics(SM_YVIRTUALSCREEN)) top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        (void)SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        placed_ = true;
    }
    ShowModal();
}

namespace {

using ui::Event;

// clang-format off
constexpr ui::EventRow<TAboutBox> kEvents[] = {
    {image3,   Event::Click,      &TAboutBox::image3Click},        // close
    {image3,   Event::MouseEnter, &TAboutBox::image3MouseEnter},
    {image3,   Event::MouseLeave, &TAboutBox::image3MouseLeave},
    {Comments, Event::Click,      &TAboutBox::CommentsClick},      // open the web address
    {Comments, Event::MouseMove,  &TAboutBox::CommentsMouseMove},
    {Comments, Event::MouseLeave, &TAboutBox::CommentsMouseLeave},
    {Image1,   Event::Click,      &TAboutBox::Image1Click},        // open the web address
    {Image1,   Event::MouseMove,  &TAboutBox::Image1MouseMove},
    {Image1,   Event::MouseLeave, &TAboutBox::Image1MouseLeave},
};
// clang-format on

}  // namespace

void TAboutBox::OnEvent(int id, ui::Event event) { ui::DispatchEvent(*this, kEvents, id, event); }

void TAboutBox::image3Click() { CloseModal(); }

// The same nudge as the main window's button pictures.
void TAboutBox::image3MouseEnter() { Nudge(image3, 2, LoadCursor(nullptr, IDC_HAND)); }

void TAboutBox::image3MouseLeave() { Nudge(image3, -2, LoadCursor(nullptr, IDC_ARROW)); }

void TAboutBox::CommentsClick() { onOpenAddress(ui::Application().Handle(), "Open", kAddress); }

void TAboutBox::CommentsMouseMove() {
    SetCursor(Comments, LoadCursor(nullptr, IDC_HAND));
    SetFontColor(Comments, RGB(0, 0, 255));
}

void TAboutBox::CommentsMouseLeave() {
    SetCursor(Comments, LoadCursor(nullptr, IDC_ARROW));
    SetFontColor(Comments, RGB(0, 0, 0));
}

void TAboutBox::Image1Click() { onOpenAddress(ui::Application().Handle(), "Open", kAddress); }

void TAboutBox::Image1MouseMove() { SetCursor(Image1, LoadCursor(nullptr, IDC_HAND)); }

void TAboutBox::Image1MouseLeave() { SetCursor(Image1, LoadCursor(nullptr, IDC_ARROW)); }

bool TAboutBox::PaintControl(int id, HDC dc, const RECT& rc) {
    if (id == Panel1) {
        RECT inner = rc;
        base::UniqueBrush brush(CreateSolidBrush(kBackground));
        // As for the title: a failed drawing call spoils one paint only.
        FillRect(dc, &inner, brush.get());
        DrawBevels(dc, rc, Scale(kBevelWidth));
        return true;
    }
    if (id == sLabelFX1) {
        PaintTitle(dc, rc);
        return true;
    }
    return false;
}

// The title in white over a soft black shadow, on the panel's background.
// The drawing calls' results are not checked: one that fails leaves this
// paint of the label incomplete, and the next paint draws it again.
void TAboutBox::PaintTitle(HDC dc, const RECT& rc) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return;
    const UINT flags = DT_CENTER | DT_NOPREFIX | DT_WORDBREAK;
    const std::wstring caption = fs::Widen(kProductTitle);

    void* bits = nullptr;
    base::UniqueBitmap work = ui::CreateDib32(w, h, &bits);
    base::MemoryDC mem(CreateCompatibleDC(dc));
    if (!work || !bits || !mem) return;
    base::SelectObj selBitmap(mem.get(), work.get());
    base::SelectObj selFont(mem.get(), titleFont_.get());
    auto* px = static_cast<std::uint32_t*>(bits);

    // 1. The caption in white on black, moved by the shadow distance.
    const int offset = Scale(kShadowOffset);
    RECT shadow{offset, offset, w + offset, h + offset};
    PatBlt(mem.get(), 0, 0, w, h, BLACKNESS);
    SetBkMode(mem.get(), TRANSPARENT);
    ::SetTextColor(mem.get(), RGB(255, 255, 255));
    DrawTextW(mem.get(), caption.c_str(), -1, &shadow, flags);
    GdiFlush();
    // 2-3. The blurred mask.
    std::vector<std::uint8_t> covered(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < covered.size(); ++i) covered[i] = static_cast<std::uint8_t>(px[i] & 0xFF);
    const std::vector<std::uint8_t> mask = BlurShadowMask(covered, w, h, Scale(kBlurPasses));
    // 4. The background under the label, with the shadow blended in.
    base::UniqueBrush brush(CreateSolidBrush(kBackground));
    RECT all{0, 0, w, h};
    FillRect(mem.get(), &all, brush.get());
    GdiFlush();
    std::vector<std::uint32_t> pixels(px, px + covered.size());
    BlendShadow(pixels, w, h, mask, 0x000000);
    std::copy(pixels.begin(), pixels.end(), px);
    // 5. Onto the label, then the caption in white on top.
    BitBlt(dc, rc.left, rc.top, w, h, mem.get(), 0, 0, SRCCOPY);
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    base::SelectObj selTitle(dc, titleFont_.get());
    RECT text = rc;
    DrawTextW(dc, caption.c_str(), -1, &text, flags);
}

// The parts of the form runtime that follow the window's display scale: the
// client area, fonts, icons, control rectangles, pictures, window shapes, the
// browse button and the caption labels. Every value of a layout is given at
// 96 dpi and scaled here to the window's dpi; at 96 dpi nothing changes.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstring>

#include "base/fs.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/form.h"

namespace ui {

namespace {

constexpr int kNameLabelGap = 4;        // the name box's label stands this far before it
constexpr int kFrameLine = 2;           // a frame's outline, drawn and hit
constexpr int kCheckGap = 4;            // between a check box's box and its caption

SIZE TextExtent(HWND hwnd, HFONT font, const char* text) {
    base::WindowDC dc(hwnd);
    base::SelectObj sel(dc.get(), font);
    SIZE size{};
    const std::wstring wide = fs::Widen(text);
    GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

// The region of the pixels that are not fully transparent when `picture` is
// stretched to w x h.
base::UniqueRegion VisibleRegion(const Picture& picture, int w, int h) {
    void* bits = nullptr;
    base::UniqueBitmap target = CreateDib32(w, h, &bits);
    if (!target || !bits) return base::UniqueRegion();
    {
        base::MemoryDC dst(CreateCompatibleDC(nullptr));
        base::MemoryDC src(CreateCompatibleDC(nullptr));
        base::SelectObj selDst(dst.get(), target.get());
        base::SelectObj selSrc(src.get(), picture.bitmap());
        SetStretchBltMode(dst.get(), COLORONCOLOR);
        StretchBlt(dst.get(), 0, 0, w, h, src.get(), 0, 0, picture.width(), picture.height(), SRCCOPY);
    }
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);
    base::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w;) {
            while (x < w && (px[y * w + x] >> 24) == 0) ++x;
            const int start = x;
            while (x < w && (px[y * w + x] >> 24) != 0) ++x;
            if (x > start) {
                base::UniqueRegion run(CreateRectRgn(start, y, x, y + 1));
                CombineRgn(region.get(), region.get(), run.get(), RGN_OR);
            }
        }
    }
    return region;
}

HFONT NewFont(const FormSpec& spec, int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       fs::Widen(spec.fontName ? spec.fontName : "").c_str());
}

}  // namespace

void Form::CreateFonts() {
    font_.reset(NewFont(*spec_, Scale(spec_->fontHeight), FW_NORMAL));
    boldFont_.reset(NewFont(*spec_, Scale(spec_->fontHeight), FW_BOLD));
}

void Form::LoadIcons() {
    if (!spec_->iconResource) return;
    icon_.reset(LoadIconForDpi(spec_->iconResource, SM_CXICON, SM_CYICON, dpi_));
    smallIcon_.reset(LoadIconForDpi(spec_->iconResource, SM_CXSMICON, SM_CYSMICON, dpi_));
    if (icon_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    if (smallIcon_) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void Form::FitClientArea() {
    // The client area is fixed; the frame around it is what the system draws
    // at this dpi, so the window is measured rather than computed alone.
    const int w = Scale(spec_->clientWidth), h = Scale(spec_->clientHeight);
    RECT client, window;
    GetClientRect(hwnd_, &client);
    if (client.right == w && client.bottom == h) return;
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + w - client.right,
                 window.bottom - window.top + h - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT Form::FontOf(const ControlState* s) const {
    return s->spec->kind == Kind::DetailField ? boldFont_.get() : font_.get();
}

const Picture* Form::PictureOf(int id, int state) const {
    ControlState* s = StateOf(id);
    if (!s || state < 0 || state > 2) return nullptr;
    const Picture& pic = s->spec->kind == Kind::NameBox ? s->states[state] : s->picture;
    return pic.empty() ? nullptr : &pic;
}

void Form::PlaceControl(ControlState* s) {
    const ControlSpec& row = *s->spec;
    // A nudged picture keeps its nudge, so that leaving it brings it back
    // to its place in the new scale.
    const int nudge = Scale(s->nudge);
    int x = Scale(row.left) + nudge, y = Scale(row.top) + nudge, w = Scale(row.width), h = Scale(row.height);
    if (dpi_ != kBaseDpi) {
        // Text does not grow exactly in proportion with the scale (hinting,
        // the fonts at hand), so a caption that no longer fits its scaled
        // control widens it rather than being cut; a centred one stays
        // centred. At 96 dpi the layout stands as it is given.
        const SIZE need = CaptionSize(s);
        if (need.cx > w) {
            if (row.kind == Kind::Label || row.kind == Kind::LinkLabel) x -= (need.cx - w) / 2;
            w = need.cx;
        }
        if (need.cy > h) h = need.cy;
    }
    SetWindowPos(s->hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE Form::CaptionSize(const ControlState* s) const {
    const ControlSpec& row = *s->spec;
    SIZE need{0, 0};
    if (row.kind != Kind::CheckBox && row.kind != Kind::CaptionLabel && row.kind != Kind::Label &&
        row.kind != Kind::LinkLabel)
        return need;
    if (!row.caption || !*row.caption) return need;
    need = TextExtent(s->hwnd, FontOf(s), row.caption);
    if (row.kind == Kind::CheckBox) {
        // The box, the gap and the text, as the control itself measures them
        // where it can.
        SIZE ideal{0, 0};
        if (SendMessageW(s->hwnd, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) && ideal.cx > 0)
            need.cx = ideal.cx;
        else
            need.cx += SystemMetricForDpi(SM_CXMENUCHECK, dpi_) + Scale(kCheckGap);
        need.cy = 0;  // the box is as high as the layout makes it
    }
    return need;
}

void Form::LoadPictures(ControlState* s) {
    const ControlSpec& row = *s->spec;
    if (!row.picture) return;
    if (row.kind == Kind::PictureButton || row.kind == Kind::Picture || row.kind == Kind::Decoration)
        s->picture = Picture::ForDpi(row.picture, row.bitmap, dpi_);
    if (row.kind == Kind::NameBox) {
        for (int i = 0; i < 3; ++i) s->states[i] = Picture::ForDpi(row.picture + i, false, dpi_);
    }
}

void Form::ShapeControl(ControlState* s) {
    const ControlSpec& row = *s->spec;
    const int w = Scale(row.width), h = Scale(row.height);
    if (row.kind == Kind::Decoration && !s->picture.empty()) {
        // The window covers only the picture's visible pixels, so whatever
        // lies beneath shows through its transparent parts.
        base::UniqueRegion shape = VisibleRegion(s->picture, w, h);
        // The window owns a region it accepts.
        if (shape && SetWindowRgn(s->hwnd, shape.get(), !building_)) shape.release();
    }
    if (row.kind == Kind::Frame) {
        // Only the outline belongs to the frame, so the controls it surrounds
        // are neither painted over nor hidden from the mouse.
        const int line = Scale(kFrameLine);
        base::UniqueRegion outer(CreateRectRgn(0, 0, w, h));
        base::UniqueRegion inner(CreateRectRgn(line, line, w - line, h - line));
        CombineRgn(outer.get(), outer.get(), inner.get(), RGN_DIFF);
        if (SetWindowRgn(s->hwnd, outer.get(), !building_)) outer.release();
    }
}

void Form::PlaceBrowseButton(ControlState* s) {
    if (!s->browse) return;
    const int width = Scale(kBrowseButtonWidth);
    SendMessageW(s->hwnd, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width));
    RECT rc;
    GetClientRect(s->hwnd, &rc);
    MoveWindow(s->browse, rc.right - width, 0, width, rc.bottom, TRUE);
}

// Caption labels of edits: the name box's stands 4 pixels to its left,
// centred vertically; a detail field's stands directly above it. The label
// is as large as its text.
void Form::PlaceLabel(ControlState* s) {
    if (!s->label) return;
    const ControlSpec& row = *s->spec;
    SendMessageW(s->label, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    const SIZE sz = TextExtent(GetParent(s->label), font_.get(), row.caption);
    const int left = Scale(row.left), top = Scale(row.top), height = Scale(row.height);
    int x = left, y = top - sz.cy;
    if (row.kind == Kind::NameBox) {
        x = left - Scale(kNameLabelGap) - sz.cx;
        y = top + (height - sz.cy) / 2;
    }
    SetWindowPos(s->label, nullptr, x, y, sz.cx, sz.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(s->label, nullptr, TRUE);
}

void Form::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi > 0 ? dpi : kBaseDpi;
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    FitClientArea();
    LoadIcons();
    // The controls take the new fonts before the old ones go.
    base::UniqueFont oldFont = std::move(font_), oldBold = std::move(boldFont_);
    CreateFonts();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (clipTip_) SendMessageW(clipTip_, TTM_SETMAXTIPWIDTH, 0, Scale(kClipTipWidth));
    for (auto& c : controls_) {
        ControlState* s = c.get();
        SendMessageW(s->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(s)), FALSE);
        PlaceControl(s);
        LoadPictures(s);
        ShapeControl(s);
        PlaceBrowseButton(s);
        PlaceLabel(s);
    }
    DpiChanged();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace ui

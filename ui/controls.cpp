#include "ui/controls.h"
#include "ui/window.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/dpi.h"

namespace ui {

namespace {

void TrackLeave(HWND hwnd) {
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
}

// The mouse moved over a control: its enter event once per visit, then its
// move event.
void MouseMoved(ControlState* s, HWND hwnd) {
    if (!s->hover) {
        s->hover = true;
        TrackLeave(hwnd);
        s->form->Dispatch(s, Event::MouseEnter);
    }
    s->form->Dispatch(s, Event::MouseMove);
}

// The mouse left a control: its leave event once per visit.
void MouseLeft(ControlState* s) {
    if (!s->hover) return;
    s->hover = false;
    s->form->Dispatch(s, Event::MouseLeave);
}

// Fills with the colour of whatever the control stands on.
void PaintParentBackground(HWND hwnd, HDC dc, const RECT& rc) {
    HWND parent = GetParent(hwnd);
    HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(
        parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

void PaintPicture(ControlState* s, HDC dc, const RECT& rc) {
    // Double-buffered so that the alpha blend never flickers.
    base::MemoryDC mem(CreateCompatibleDC(dc));
    base::UniqueBitmap bmp(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
    base::SelectObj sel(mem.get(), bmp.get());
    PaintParentBackground(s->hwnd, mem.get(), rc);
    switch (s->spec->kind) {
    case Kind::IconPicture:
        if (s->icon) DrawIconEx(mem.get(), 0, 0, s->icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
        break;
    case Kind::PictureButton:
    case Kind::Decoration:
        s->picture.Draw(mem.get(), 0, 0, rc.right, rc.bottom);
        break;
    default:
        if (!s->form->PaintControl(s->spec->id, mem.get(), rc)) s->picture.Draw(mem.get(), 0, 0);
        break;
    }
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
}

}  // namespace

// The name box's browse button: a picture of three states that raises the
// box's browse event when clicked.
LRESULT CALLBACK BrowseButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = BindThis<ControlState>(hwnd, msg, lp);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: {
        base::PaintDC pdc(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(pdc.get(), &rc, GetSysColorBrush(COLOR_WINDOW));
        const int state = s->browsePressed ? 2 : s->browseHot ? 1 : 0;
        const Picture& pic = s->states[state].empty() ? s->states[0] : s->states[state];
        if (!pic.empty())
            pic.Draw(pdc.get(), (rc.right - pic.width()) / 2, (rc.bottom - pic.height()) / 2);
        if (s->browsePressed) DrawEdges(pdc.get(), rc, BDR_SUNKENOUTER, s->form->Scale(1));
        else if (s->browseHot) DrawEdges(pdc.get(), rc, BDR_RAISEDINNER, s->form->Scale(1));
        return 0;
    }
    case WM_MOUSEMOVE:
        if (!s->browseHot) {
            s->browseHot = true;
            TrackLeave(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_MOUSELEAVE:
        s->browseHot = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        s->browsePressed = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = s->browsePressed;
        s->browsePressed = false;
        ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (wasPressed && PtInRect(&rc, pt)) s->form->Dispatch(s, Event::Browse);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (s->browsePressed) {
            s->browsePressed = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}


// Raised panel holding other controls; passes their notifications on to the
// form.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = BindThis<ControlState>(hwnd, msg, lp);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
        return SendMessageW(s->form->Handle(), msg, wp, lp);
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        PaintParentBackground(hwnd, reinterpret_cast<HDC>(wp), rc);
        return 1;
    }
    case WM_PAINT: {
        base::PaintDC pdc(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (!s->form->PaintControl(s->spec->id, pdc.get(), rc))
            DrawEdges(pdc.get(), rc, BDR_RAISEDINNER, s->form->Scale(1));
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Lowered outline around other controls: drawn only, the mouse goes through.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = BindThis<ControlState>(hwnd, msg, lp);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        base::PaintDC pdc(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawEdges(pdc.get(), rc, BDR_SUNKENOUTER, s->form->Scale(1));
        return 0;
    }
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Icons, pictures, picture buttons, decorations and the title the form paints:
// double-buffered drawing, their cursor, and clicks for the kinds that take
// them.
LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = BindThis<ControlState>(hwnd, msg, lp);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    const Kind kind = s->spec->kind;
    const bool clickable = kind == Kind::PictureButton || kind == Kind::Picture;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        base::PaintDC pdc(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        PaintPicture(s, pdc.get(), rc);
        return 0;
    }
    case WM_NCHITTEST:
        if (kind == Kind::Decoration) return HTTRANSPARENT;
        break;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT && s->cursor) {
            SetCursor(s->cursor);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (clickable) {
            MouseMoved(s, hwnd);
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        MouseLeft(s);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (clickable) {
            s->pressed = true;
            SetCapture(hwnd);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (s->pressed) {
            s->pressed = false;
            ReleaseCapture();
            RECT rc;
            GetClientRect(hwnd, &rc);
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (PtInRect(&rc, pt)) s->form->Dispatch(s, Event::Click);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        s->pressed = false;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The name box's keys: Alt+Down browses; its browse button follows its size.
// Enter needs nothing here: the program's loop hands keys to the dialog
// manager (IsDialogMessage), which takes Enter before the box sees it, and a
// single-line edit inserts no line break for a carriage return it is sent.
LRESULT CALLBACK NameBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    auto* s = reinterpret_cast<ControlState*>(ref);
    switch (msg) {
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, NameBoxProc, id);
        break;
    case WM_SYSKEYDOWN:
        if (wp == VK_DOWN) {
            s->form->Dispatch(s, Event::Browse);
            return 0;
        }
        break;
    case WM_SIZE: {
        LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        s->form->PlaceBrowseButton(s);
        return r;
    }
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// A static label that reacts to the mouse: enter, move and leave events and
// its own cursor.
LRESULT CALLBACK LinkLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    auto* s = reinterpret_cast<ControlState*>(ref);
    switch (msg) {
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, LinkLabelProc, id);
        break;
    case WM_NCHITTEST:
        return HTCLIENT;  // a static control is otherwise transparent to the mouse
    case WM_MOUSEMOVE:
        MouseMoved(s, hwnd);
        return 0;
    case WM_MOUSELEAVE:
        MouseLeft(s);
        return 0;
    case WM_SETCURSOR:
        if (s->cursor) {
            SetCursor(s->cursor);
            return TRUE;
        }
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// A read-only check box changes only when the program sets it: clicks and the
// space bar neither toggle it nor show it pressed, but it still takes the
// focus.
LRESULT CALLBACK ReadOnlyCheckBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
    switch (msg) {
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, ReadOnlyCheckBoxProc, id);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wp == VK_SPACE) return 0;
        break;
    case WM_CHAR:
        if (wp == ' ') return 0;
        break;
    case BM_CLICK:
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace ui

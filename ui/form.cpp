#include "ui/form.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "ui/controls.h"
#include "base/errors.h"
#include "ui/dpi.h"
#include "ui/tooltips.h"
#include "ui/window.h"
#include "base/fs.h"

namespace ui {

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

namespace {

const char kPanelClass[] = "VantrelPanel";
const char kPictureClass[] = "VantrelPicture";
const char kFrameClass[] = "VantrelFrame";
const char kBrowseClass[] = "VantrelBrowseButton";
constexpr COLORREF kSilver = RGB(192, 192, 192);

// The runtime's own window classes. Pictures set their cursor themselves.
struct ClassSpec {
    const char* name;
    WNDPROC proc;
    bool arrowCursor;
};
const ClassSpec kClasses[] = {
    {kPanelClass,   PanelProc,        true},
    {kPictureClass, PictureProc,      false},
    {kFrameClass,   FrameProc,        true},
    {kBrowseClass,  BrowseButtonProc, true},
};

bool IsRuntimeClass(const char* name) {
    for (const ClassSpec& c : kClasses)
        if (c.name == name) return true;
    return false;
}

// How each kind of control is made. Every control is also a visible child that
// clips its siblings, and a tab stop when its row gives it a tab order.
struct KindSpec {
    Kind kind;
    const char* className;
    DWORD style;
    DWORD readOnlyStyle;   // the style instead, for a read-only row
    DWORD exStyle;
    SUBCLASSPROC subclass; // the runtime's additions to a system control
    SUBCLASSPROC readOnlySubclass;
    bool captionIsText;    // the row's caption is the window's text
};
// clang-format off
const KindSpec kKinds[] = {
    // kind                class          style                        read-only style                            ex style              subclass     read-only subclass    caption is text
    {Kind::Panel,         kPanelClass,   WS_CLIPCHILDREN,             WS_CLIPCHILDREN,                           WS_EX_CONTROLPARENT,  nullptr,       nullptr,              false},
    {Kind::NameBox,       "EDIT",        ES_AUTOHSCROLL | WS_TABSTOP, ES_AUTOHSCROLL | WS_TABSTOP,               WS_EX_CLIENTEDGE,     NameBoxProc,   NameBoxProc,          false},
    {Kind::DetailField,   "EDIT",        ES_AUTOHSCROLL | WS_TABSTOP, ES_AUTOHSCROLL | WS_TABSTOP | ES_READONLY, WS_EX_CLIENTEDGE,     nullptr,       nullptr,              false},
    {Kind::CheckBox,      "BUTTON",      BS_AUTOCHECKBOX | WS_TABSTOP, BS_CHECKBOX | WS_TABSTOP,                 0,                    nullptr,       ReadOnlyCheckBoxProc, true},
    {Kind::IconPicture,   kPictureClass, 0,                           0,                                         0,                    nullptr,       nullptr,              false},
    {Kind::Frame,         kFrameClass,   0,                           0,                                         0,                    nullptr,       nullptr,              false},
    {Kind::PictureButton, kPictureClass, 0,                           0,                                         0,                    nullptr,       nullptr,              false},
    {Kind::Picture,       kPictureClass, 0,                           0,                                         0,                    nullptr,       nullptr,              false},
    {Kind::CaptionLabel,  "STATIC",      SS_LEFT | SS_NOPREFIX,       SS_LEFT | SS_NOPREFIX,                     0,                    nullptr,       nullptr,              true},
    {Kind::Label,         "STATIC",      SS_CENTER | SS_NOPREFIX,     SS_CENTER | SS_NOPREFIX,                   0,                    nullptr,       nullptr,              true},
    {Kind::LinkLabel,     "STATIC",      SS_CENTER | SS_NOPREFIX | SS_NOTIFY, SS_CENTER | SS_NOPREFIX | SS_NOTIFY, 0,                  LinkLabelProc, LinkLabelProc,        true},
    {Kind::TitleLabel,    kPictureClass, 0,                           0,                                         0,                    nullptr,       nullptr,              true},
    {Kind::Decoration,    kPictureClass, 0,                           0,                                         0,                    nullptr,       nullptr,              false},
};
// clang-format on

const KindSpec& SpecOfKind(Kind kind) {
    for (const KindSpec& k : kKinds)
        if (k.kind == kind) return k;
    throw base::Exception("Unknown control kind");
}

bool IsEdit(Kind k) { return k == Kind::NameBox || k == Kind::DetailField; }

// The whole text of a window, as the wide functions give it.
std::wstring WindowTextW(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(std::max(0, GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size())))));
    return text;
}

}  // namespace

Form::Form() = default;

Form::~Form() {
    Application().ClearMainForm(this);
    if (hwnd_) DestroyWindow(hwnd_);
}

void Form::CreateForm(const FormSpec& spec, const ControlSpec* rows, size_t count, HWND owner) {
    spec_ = &spec;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (spec.background != CLR_INVALID) background_.reset(CreateSolidBrush(spec.background));
    silver_.reset(CreateSolidBrush(kSilver));

    RegisterClassOnce(spec.className, FormProc, LoadCursor(nullptr, IDC_ARROW),
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    for (const ClassSpec& c : kClasses)
        RegisterClassOnce(c.name, c.proc, c.arrowCursor ? LoadCursor(nullptr, IDC_ARROW) : nullptr, nullptr);

    // Sized for the screen's dpi first; FitClientArea corrects it once the
    // window's own dpi is known.
    dpi_ = ScreenDpi();
    RECT rc{0, 0, Scale(spec.clientWidth), Scale(spec.clientHeight)};
    AdjustWindowRectForDpi(&rc, spec.style, spec.exStyle, dpi_);
    building_ = true;
    CreateWindowExW(spec.exStyle, fs::Widen(spec.className).c_str(),
                    fs::Widen(spec.caption ? spec.caption : "").c_str(), spec.style, CW_USEDEFAULT,
                    CW_USEDEFAULT, rc.right - rc.left, rc.bottom - rc.top, owner, nullptr, inst, this);
    if (!hwnd_) {
        building_ = false;
        ThrowWindowFailure("Error creating window");
    }
    dpi_ = WindowDpi(hwnd_);
    FitClientArea();
    LoadIcons();
    CreateFonts();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    tooltip_ = CreateTooltip(hwnd_, 0);
    clipTip_ = CreateTooltip(hwnd_, Scale(kClipTipWidth));

    for (size_t i = 0; i < count; ++i) CreateControl(rows[i]);
    ArrangeZOrder(hwnd_);
    for (auto& c : controls_)
        if (c->spec->kind == Kind::Panel) ArrangeZOrder(c->hwnd);
    building_ = false;
}

ControlState* Form::StateOf(int id) const {
    for (auto& c : controls_)
        if (c->spec->id == id) return c.get();
    return nullptr;
}

ControlState* Form::StateOf(HWND hwnd) const {
    for (auto& c : controls_)
        if (c->hwnd == hwnd) return c.get();
    return nullptr;
}

HWND Form::Control(int id) const {
    ControlState* s = StateOf(id);
    return s ? s->hwnd : nullptr;
}

HWND Form::LabelOf(int id) const {
    ControlState* s = StateOf(id);
    return s ? s->label : nullptr;
}

const ControlSpec* Form::SpecOf(int id) const {
    ControlState* s = StateOf(id);
    return s ? s->spec : nullptr;
}

void Form::CreateControl(const ControlSpec& row) {
    auto state = std::make_unique<ControlState>();
    ControlState* s = state.get();
    s->form = this;
    s->spec = &row;
    controls_.push_back(std::move(state));

    HINSTANCE inst = GetModuleHandleW(nullptr);
    HWND parent = row.parent ? Control(row.parent) : hwnd_;
    const KindSpec& kind = SpecOfKind(row.kind);
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const DWORD tab = (row.tabOrder >= 0 && row.kind != Kind::Panel) ? WS_TABSTOP : 0;
    const DWORD style = child | tab | (row.readOnly ? kind.readOnlyStyle : kind.style);
    const char* text = kind.captionIsText && row.caption ? row.caption : "";
    // The runtime's own classes take the control's state with them.
    void* param = IsRuntimeClass(kind.className) ? s : nullptr;
    s->hwnd = CreateWindowExW(kind.exStyle, fs::Widen(kind.className).c_str(), fs::Widen(text).c_str(), style,
                              Scale(row.left), Scale(row.top), Scale(row.width), Scale(row.height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), inst, param);
    if (!s->hwnd) ThrowWindowFailure(std::string("Error creating control ") + row.name);

    SendMessageW(s->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(s)), FALSE);
    if (dpi_ != kBaseDpi) PlaceControl(s);
    s->cursor = LoadCursor(nullptr, IDC_ARROW);
    s->color = GetSysColor(COLOR_WINDOWTEXT);
    LoadPictures(s);
    ShapeControl(s);
    if (SUBCLASSPROC proc = row.readOnly ? kind.readOnlySubclass : kind.subclass)
        SetWindowSubclass(s->hwnd, proc, 0, reinterpret_cast<DWORD_PTR>(s));

    if (row.kind == Kind::PictureButton && row.caption && *row.caption && tooltip_) {
        // The tooltip keeps its own copy of the text.
        std::wstring hint = fs::Widen(row.caption);
        TOOLINFOW ti = WindowTool<TOOLINFOW>(hwnd_, s->hwnd);
        ti.lpszText = &hint[0];
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    if (row.kind == Kind::NameBox) {
        // Typing and pasting stop at 255 characters; assigned text is not cut.
        SendMessageW(s->hwnd, EM_LIMITTEXT, 255, 0);
        s->browse = CreateWindowExW(0, fs::Widen(kBrowseClass).c_str(), L"", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                    0, s->hwnd, nullptr, inst, s);
        if (!s->browse) ThrowWindowFailure(std::string("Error creating control ") + row.name);
        PlaceBrowseButton(s);
    }
    if (IsEdit(row.kind)) {
        // Caption labels of edits (placed by PlaceLabel).
        if (row.caption && *row.caption) {
            s->label =
                CreateWindowExW(0, L"STATIC", fs::Widen(row.caption).c_str(), child | SS_LEFT | SS_NOPREFIX,
                                0, 0, 0, 0, parent, nullptr, inst, nullptr);
            if (!s->label) ThrowWindowFailure(std::string("Error creating control ") + row.name);
            PlaceLabel(s);
        }
        AddClipTool(s->hwnd);
    }
}

void Form::ArrangeZOrder(HWND parent) {
    // Tab stops first, in their tab order (the dialog manager walks the
    // z-order); then the other controls, each later one over the earlier ones
    // as in the stored order; frames last, behind what they surround.
    std::vector<ControlState*> order;
    for (auto& c : controls_)
        if (GetParent(c->hwnd) == parent) order.push_back(c.get());
    auto rank = [](const ControlState* c) {
        if (c->spec->tabOrder >= 0) return 0;  // panels holding tab stops too
        return c->spec->kind == Kind::Frame ? 2 : 1;
    };
    std::vector<ControlState*> sorted(order.rbegin(), order.rend());
    std::stable_sort(sorted.begin(), sorted.end(), [&](const ControlState* a, const ControlState* b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        if (rank(a) == 0) return a->spec->tabOrder < b->spec->tabOrder;
        return false;
    });
    HWND after = HWND_TOP;
    for (ControlState* c : sorted) {
        SetWindowPos(c->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->hwnd;
    }
    for (ControlState* c : sorted)
        if (c->label) SetWindowPos(c->label, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::string Form::Text(int id) const {
    HWND h = Control(id);
    if (!h) return std::string();
    return fs::Narrow(WindowTextW(h));
}

void Form::SetText(int id, const std::string& text) {
    HWND h = Control(id);
    if (!h || Text(id) == text) return;
    SetWindowTextW(h, fs::Widen(text).c_str());
}

bool Form::Checked(int id) const {
    HWND h = Control(id);
    return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::SetChecked(int id, bool checked) {
    if (HWND h = Control(id)) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form::SetIcon(int id, HICON icon) {
    base::UniqueIcon owned(icon);  // released here when there is no such picture
    ControlState* s = StateOf(id);
    if (!s) return;
    s->icon = std::move(owned);
    InvalidateRect(s->hwnd, nullptr, TRUE);
}

HICON Form::IconOf(int id) const {
    ControlState* s = StateOf(id);
    return s ? s->icon.get() : nullptr;
}

void Form::SetFontColor(int id, COLORREF color) {
    ControlState* s = StateOf(id);
    if (!s || s->color == color) return;
    s->color = color;
    InvalidateRect(s->hwnd, nullptr, TRUE);
}

COLORREF Form::FontColor(int id) const {
    ControlState* s = StateOf(id);
    return s ? s->color : CLR_INVALID;
}

void Form::SetCursor(int id, HCURSOR cursor) {
    ControlState* s = StateOf(id);
    if (!s) return;
    s->cursor = cursor;
    POINT pt;
    if (GetCursorPos(&pt) && WindowFromPoint(pt) == s->hwnd) ::SetCursor(cursor);
}

void Form::SetPosition(int id, int left, int top) {
    if (HWND h = Control(id))
        SetWindowPos(h, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Nudge(int id, int delta, HCURSOR cursor) {
    const RECT rc = Bounds(id);
    const int scaled = Scale(delta);
    SetPosition(id, rc.left + scaled, rc.top);
    SetPosition(id, rc.left + scaled, rc.top + scaled);
    if (ControlState* s = StateOf(id)) s->nudge += delta;
    SetCursor(id, cursor);
}

RECT Form::Bounds(int id) const {
    RECT rc{};
    HWND h = Control(id);
    if (!h) return rc;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Form::AddClipTool(HWND edit) {
    if (!clipTip_) return;
    // The text is asked for each time the tip is about to show, so it is
    // always the edit's text of the moment, and none when it fits.
    TOOLINFOW ti = WindowTool<TOOLINFOW>(hwnd_, edit);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(clipTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

namespace {

// The whole text of an edit when it is wider than the room the edit shows it
// in; empty when it fits.
std::wstring ClippedText(HWND edit) {
    std::wstring text = WindowTextW(edit);
    if (text.empty()) return text;
    RECT room{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    base::WindowDC dc(edit);
    base::SelectObj sel(dc.get(), reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx > room.right - room.left ? text : std::wstring();
}

}  // namespace

bool Form::Clipped(int id) const {
    ControlState* s = StateOf(id);
    return s && IsEdit(s->spec->kind) && !ClippedText(s->hwnd).empty();
}

bool Form::OnClipTipNeedsText(NMHDR* hdr) {
    // The form is a wide window, so its tooltips ask in the wide form.
    if (hdr->hwndFrom != clipTip_ || hdr->code != TTN_GETDISPINFOW) return false;
    // An empty text shows no tip.
    clipText_ = ClippedText(reinterpret_cast<HWND>(hdr->idFrom));
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
    info->szText[0] = L'\0';
    info->lpszText = &clipText_[0];
    return true;
}

namespace {

// The first tab stop in z-order, looking into control parents (panels) as the
// dialog manager does.
HWND FirstTabStopIn(HWND parent) {
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
        if (style & WS_TABSTOP) return h;
        if (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
            if (HWND inner = FirstTabStopIn(h)) return inner;
    }
    return nullptr;
}

}  // namespace

HWND Form::FirstTabStop() const { return FirstTabStopIn(hwnd_); }

void Form::OnEvent(int, Event) {}

bool Form::PaintControl(int, HDC, const RECT&) { return false; }

void Form::Dispatch(ControlState* state, Event event) {
    if (building_) return;
    Guarded([&] { OnEvent(state->spec->id, event); });
}

LRESULT Form::Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

LRESULT Form::OnCtlColor(UINT msg, HDC dc, HWND child) {
    ControlState* s = StateOf(child);
    HBRUSH face = background_ ? background_.get() : GetSysColorBrush(COLOR_BTNFACE);
    COLORREF faceColor = spec_->background != CLR_INVALID ? spec_->background : GetSysColor(COLOR_BTNFACE);
    if (s && s->spec->kind == Kind::CheckBox) {
        SetBkColor(dc, kSilver);
        ::SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(silver_.get());
    }
    if (s && s->spec->kind == Kind::NameBox) {
        ::SetTextColor(dc, s->color);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    if (s && s->spec->kind == Kind::DetailField) {
        ::SetTextColor(dc, s->color);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    (void)msg;
    // Labels: the form's own background shows through.
    ::SetTextColor(dc, s ? s->color : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, faceColor);
    return reinterpret_cast<LRESULT>(face);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        return OnCtlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_NOTIFY:
        if (OnClipTipNeedsText(reinterpret_cast<NMHDR*>(lp))) return 0;
        break;
    case WM_COMMAND: {
        ControlState* s = StateOf(reinterpret_cast<HWND>(lp));
        // A shown tip of an edit whose text changed goes; the next one has
        // the new text.
        if (s && HIWORD(wp) == EN_CHANGE && clipTip_ && IsWindowVisible(clipTip_)) {
            TOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            if (SendMessageW(clipTip_, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) &&
                ti.uId == reinterpret_cast<UINT_PTR>(s->hwnd))
                SendMessageW(clipTip_, TTM_POP, 0, 0);
        }
        if (s && HIWORD(wp) == EN_CHANGE && s->spec->kind == Kind::NameBox) Dispatch(s, Event::Change);
        else if (s && HIWORD(wp) == BN_CLICKED) Dispatch(s, Event::Click);
        return 0;
    }
    case WM_ACTIVATE:
        // Keyboard focus goes back where it was when the window was left, or
        // to the first tab stop.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (!HIWORD(wp)) {
            HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : FirstTabStop();
            if (target) SetFocus(target);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (background_) {
            RECT rc;
            GetClientRect(hwnd_, &rc);
            FillRect(reinterpret_cast<HDC>(wp), &rc, background_.get());
            return 1;
        }
        break;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_CLOSE:
        if (modal_) {
            CloseModal();
            return 0;
        }
        if (Application().MainForm() == this) {
            DestroyWindow(hwnd_);
            return 0;
        }
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
    case WM_DESTROY:
        if (Application().MainForm() == this) PostQuitMessage(0);
        break;
    }
    return Default(msg, wp, lp);
}

namespace {

struct Scan {
    HWND self;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectEnabledWindow(HWND h, LPARAM lp) {
    auto* sc = reinterpret_cast<Scan*>(lp);
    if (h != sc->self && IsWindowVisible(h) && IsWindowEnabled(h)) sc->windows.push_back(h);
    return TRUE;
}

}  // namespace

void Form::ShowModal() {
    if (modal_) return;
    modal_ = true;
    // Every other enabled top-level window of the thread takes no input while
    // this form is open.
    Scan scan{hwnd_, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        CollectEnabledWindow,
        reinterpret_cast<LPARAM>(&scan));
    std::vector<HWND>& disabled = scan.windows;
    for (HWND h : disabled) EnableWindow(h, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    MSG m;
    while (modal_) {
        if (!Application().ProcessMessage(m)) {
            PostQuitMessage(static_cast<int>(m.wParam));  // let the outer loop end too
            break;
        }
    }
    modal_ = false;
    for (HWND h : disabled) EnableWindow(h, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (!disabled.empty()) SetActiveWindow(disabled.front());
}

void Form::CloseModal() { modal_ = false; }

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* form = BindThis<Form>(hwnd, msg, lp);
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCCREATE) {
        form->hwnd_ = hwnd;
        Application().SetMainForm(form, hwnd);
    }
    if (msg == WM_NCDESTROY) {
        form->hwnd_ = nullptr;
        Application().MainWindowGone(form);
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    LRESULT result = 0;
    Guarded([&] { result = form->HandleMessage(msg, wp, lp); });
    return result;
}

}  // namespace ui

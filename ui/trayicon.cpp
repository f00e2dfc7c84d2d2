#include "ui/trayicon.h"

#include <cstring>

#include "base/errors.h"
#include "base/fs.h"
#include "ui/form.h"
#include "ui/window.h"

namespace ui {

namespace {

const char kClassName[] = "VantrelTrayIconWindow";

// `text` in a fixed field of `size` units, cut to fit; a cut never splits a
// surrogate pair.
void CopyCut(wchar_t* dest, size_t size, const std::string& text) {
    const std::wstring wide = fs::Widen(text);
    size_t n = wide.size() < size - 1 ? wide.size() : size - 1;
    if (n < wide.size() && n > 0 && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
    std::memcpy(dest, wide.data(), n * sizeof(wchar_t));
    dest[n] = L'\0';
}

}  // namespace

TTrayIcon::~TTrayIcon() { Remove(); }

void TTrayIcon::Remove() {
    if (visible_) Notify(NIM_DELETE);
    visible_ = false;
}

void TTrayIcon::Create(HICON icon, const std::string& tip, const std::string& balloonText,
                       const std::string& balloonTitle, UINT balloonTimeout) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    RegisterClassOnce(kClassName, WindowProc, nullptr, nullptr, 0);
    window_.reset(CreateWindowExW(0, fs::Widen(kClassName).c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, inst, this));
    if (!window_) ThrowWindowFailure("Cannot create shell notification icon");
    // Zero when it fails: the icon just does not come back after a restart of the shell.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    icon_.reset(icon);

    static_assert(sizeof(NOTIFYICONDATAW) >= kRecordSize, "the record carries the balloon fields");
    std::memset(&data_, 0, sizeof data_);
    data_.cbSize = kRecordSize;
    data_.hWnd = window_.get();
    data_.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(window_.get()));
    data_.uCallbackMessage = kCallbackMessage;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.hIcon = icon_.get();
    CopyCut(data_.szTip, sizeof data_.szTip, tip);
    CopyCut(data_.szInfo, sizeof data_.szInfo, balloonText);
    CopyCut(data_.szInfoTitle, sizeof data_.szInfoTitle, balloonTitle);
    data_.uTimeout = balloonTimeout;
    // NIF_INFO is never set: the balloon is never asked for.
    if (!Notify(NIM_ADD)) throw base::Exception("Cannot create shell notification icon");
    visible_ = true;
}

bool TTrayIcon::Notify(DWORD message) { return Shell_NotifyIconW(message, &data_) != FALSE; }

LRESULT CALLBACK TTrayIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = BindThis<TTrayIcon>(hwnd, msg, lp);
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    Guarded([&] { result = self->HandleMessage(hwnd, msg, wp, lp); });
    return result;
}

LRESULT TTrayIcon::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kCallbackMessage) {
        switch (static_cast<UINT>(lp)) {
        case WM_MOUSEMOVE: {
            POINT pt{};
            GetCursorPos(&pt);
            if (OnMouseMove) OnMouseMove(pt.x, pt.y);
            break;
        }
        case WM_LBUTTONDOWN:
            pressed_ = true;
            break;
        case WM_LBUTTONUP:
            if (pressed_) {
                pressed_ = false;
                if (OnClick) OnClick();
            }
            break;
        }
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return 1;
    if (msg == WM_ENDSESSION) {
        if (wp && visible_) {
            Notify(NIM_DELETE);
            visible_ = false;
        }
        return 0;
    }
    if (taskbarCreated_ && msg == taskbarCreated_) {
        // The shell restarted: the icon comes back with it.
        if (visible_) Notify(NIM_ADD);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace ui

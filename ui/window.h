// What every window procedure of the runtime shares: registering its class
// once, and binding the C++ object behind a window to its handle.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// Registers a (wide) window class of this module unless it exists already;
// throws the system's reason when it cannot.
void RegisterClassOnce(const char* name, WNDPROC proc, HCURSOR cursor = LoadCursor(nullptr, IDC_ARROW),
                       HBRUSH background = nullptr, UINT style = CS_DBLCLKS);

// Throws base::Exception: `what`, then the last error's code and the
// system's text for it. Called at once after the platform call that failed.
[[noreturn]] void ThrowWindowFailure(const std::string& what);

// The object behind `hwnd`: taken from CreateWindowEx's creation parameter at
// WM_NCCREATE and kept with the window until WM_NCDESTROY, whose call still
// returns it; null before WM_NCCREATE (the messages that precede it).
template <typename T>
T* BindThis(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return self;
}

}  // namespace ui

// What every window procedure of the runtime shares: registering its class
// once, and binding the C++ object behind a window to its handle.
#pragma once

#include <windows.h>

namespace ui {

// Registers a window class of this module unless it exists already.
void RegisterClassOnce(const char* name, WNDPROC proc, HCURSOR cursor = LoadCursor(nullptr, IDC_ARROW),
                       HBRUSH background = nullptr, UINT style = CS_DBLCLKS);

// The object behind `hwnd`: taken from CreateWindowEx's creation parameter at
// WM_NCCREATE and kept with the window until WM_NCDESTROY, whose call still
// returns it; null before WM_NCCREATE (the messages that precede it).
template <typename T>
T* BindThis(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return self;
}

}  // namespace ui

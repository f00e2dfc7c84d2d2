#include "ui/dpi.h"

namespace ui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// The address of a user32 function, or null on systems that lack it.
template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kBaseDpi;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(HWND hwnd) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && hwnd) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

void AdjustWindowRectForDpi(RECT* rc, DWORD style, DWORD exStyle, int dpi) {
    static const auto forDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (forDpi && forDpi(rc, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(rc, style, FALSE, exStyle);
}

void DrawEdges(HDC dc, RECT rc, UINT edge, int width) {
    for (int i = 0; i < width; ++i) {
        DrawEdge(dc, &rc, edge, BF_RECT);
        InflateRect(&rc, -1, -1);
    }
}

HICON LoadIconForDpi(int resourceId, int metricX, int metricY, int dpi) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleW(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                         SystemMetricForDpi(metricX, dpi), SystemMetricForDpi(metricY, dpi),
                                         0));
}

}  // namespace ui

// Tooltip windows of the program's forms, and their tools.
#pragma once

#include <commctrl.h>
#include <windows.h>

#include <cwchar>
#include <string>

namespace ui {

// A tooltip owned by `owner` (it goes with it), shown whether or not the
// owner is active, its texts as they are ("&" is no mnemonic). Longer texts
// wrap at `maxWidth` pixels; 0: one line however long. Null on failure.
inline HWND CreateTooltip(HWND owner, int maxWidth) {
    HWND tip = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tip && maxWidth > 0) SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    return tip;
}

// A tool of a tooltip control that is a whole window: the tooltip watches the
// window's mouse messages itself, and notifies `owner`.
template <typename ToolInfo>
ToolInfo WindowTool(HWND owner, HWND window) {
    ToolInfo ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(window);
    return ti;
}

// The text `tooltip` shows for the window tool `window` of `owner`; empty
// when it has no such tool.
inline std::wstring WindowToolText(HWND tooltip, HWND owner, HWND window) {
    std::wstring buffer(4096, L'\0');
    TOOLINFOW ti = WindowTool<TOOLINFOW>(owner, window);
    ti.lpszText = &buffer[0];
    SendMessageW(tooltip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&ti));
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return buffer;
}

}  // namespace ui

// A tool of a tooltip control that is a whole window: the tooltip watches the
// window's mouse messages itself, and notifies `owner`.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace ui {

template <typename ToolInfo>
ToolInfo WindowTool(HWND owner, HWND window) {
    ToolInfo ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(window);
    return ti;
}

}  // namespace ui

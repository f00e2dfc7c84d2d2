#include "ui/window.h"

namespace ui {

void RegisterClassOnce(const char* name, WNDPROC proc, HCURSOR cursor, HBRUSH background, UINT style) {
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

}  // namespace ui

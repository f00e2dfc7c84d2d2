#include "ui/window.h"

#include "base/errors.h"
#include "base/fs.h"
#include "base/messages.h"

namespace ui {

void RegisterClassOnce(const char* name, WNDPROC proc, HCURSOR cursor, HBRUSH background, UINT style) {
    const std::wstring wideName = fs::Widen(name);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), wideName.c_str(), &wc)) return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = wideName.c_str();
    // Another thread may have registered it since the look above: that class
    // is this one.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowWindowFailure(std::string("Cannot register the window class ") + name);
}

void ThrowWindowFailure(const std::string& what) {
    const DWORD code = GetLastError();
    throw base::Exception(WithSystemError(what, code, code ? base::SystemErrorText(code) : std::string()));
}

}  // namespace ui

#include "ui/application.h"

#include "base/fs.h"
#include "base/messagebox.h"
#include "base/messages.h"
#include "ui/window.h"

namespace ui {

TApplication& Application() {
    static TApplication app;
    return app;
}

HWND TApplication::Handle() {
    if (!handle_) {
        const char kClassName[] = "VantrelApplication";
        RegisterClassOnce(kClassName, DefWindowProcW, nullptr, nullptr, 0);
        // Never shown: the main form carries the taskbar button itself.
        handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, fs::Widen(kClassName).c_str(), fs::Widen(title_).c_str(),
                                  WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!handle_) ThrowWindowFailure("Error creating the application window");
    }
    return handle_;
}

bool TApplication::ProcessMessage(MSG& msg) {
    // The wide calls carry a typed character whole to the windows, which are
    // all wide.
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
        exitCode_ = static_cast<int>(msg.wParam);
        return false;
    }
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (accelTable_ && root && root == accelTarget_ && IsWindowEnabled(root) &&
        TranslateAcceleratorW(root, accelTable_, &msg))
        return true;
    // Keyboard navigation (Tab, Shift+Tab) within our own windows.
    if (root && GetWindowLongPtrW(root, GWLP_WNDPROC) != 0 && mainWindow_ &&
        (root == mainWindow_ || GetWindow(root, GW_OWNER) == mainWindow_)) {
        if (IsDialogMessageW(root, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return;
        ProcessMessage(msg);
    }
}

int TApplication::Run(int showCmd) {
    if (mainWindow_) {
        ShowWindow(mainWindow_, showCmd);
        UpdateWindow(mainWindow_);
    }
    MSG msg;
    while (ProcessMessage(msg)) {
    }
    return exitCode_;
}

void TApplication::ShowException(const std::string& message) {
    HWND owner = mainWindow_;
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    ShowMessageBox(owner, WithFullStop(message), title_, MB_OK | MB_ICONSTOP);
}

int TApplication::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return base::ShowMessageBox(owner, text, caption, flags);
}

}  // namespace ui

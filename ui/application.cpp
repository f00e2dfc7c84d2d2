#include "ui/application.h"

#include "app/messages.h"
#include "ui/form.h"

namespace ui {

TApplication& Application() {
    static TApplication app;
    return app;
}

HWND TApplication::Handle() {
    if (!handle_) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VantrelApplication";
        RegisterClassExA(&wc);
        // Never shown: the main form carries the taskbar button itself.
        handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, title_.c_str(), WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    }
    return handle_;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
        terminated_ = true;
        exitCode_ = static_cast<int>(msg.wParam);
        return false;
    }
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (accelTable_ && root && root == accelTarget_ && IsWindowEnabled(root) &&
        TranslateAcceleratorA(root, accelTable_, &msg))
        return true;
    // Keyboard navigation (Tab, Shift+Tab) within our own windows.
    if (root && GetWindowLongPtrA(root, GWLP_WNDPROC) != 0 && mainForm_ &&
        (root == mainForm_->Handle() || GetWindow(root, GW_OWNER) == mainForm_->Handle())) {
        if (IsDialogMessageA(root, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return;
        ProcessMessage(msg);
    }
}

int TApplication::Run(int showCmd) {
    if (mainForm_ && mainForm_->Handle()) {
        ShowWindow(mainForm_->Handle(), showCmd);
        UpdateWindow(mainForm_->Handle());
    }
    MSG msg;
    while (ProcessMessage(msg)) {
    }
    return exitCode_;
}

void TApplication::ShowException(const std::string& message) {
    HWND owner = mainForm_ ? mainForm_->Handle() : nullptr;
    if (owner && !IsWindowVisible(owner)) owner = nullptr;
    ShowMessageBox(owner, WithFullStop(message), title_, MB_OK | MB_ICONSTOP);
}

int TApplication::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (messageBox_) return messageBox_(owner, text.c_str(), caption.c_str(), flags);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

TApplication::MessageBoxFn TApplication::SetMessageBoxHook(MessageBoxFn hook) {
    MessageBoxFn old = messageBox_;
    messageBox_ = hook;
    return old;
}

}  // namespace ui

#include "base/messagebox.h"

namespace base {

MessageBoxHandler onMessageBox;

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (onMessageBox) return onMessageBox(owner, text, caption, flags);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

}  // namespace base

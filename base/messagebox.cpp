#include "base/messagebox.h"

#include "base/fs.h"

namespace base {

MessageBoxHandler onMessageBox;

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (onMessageBox) return onMessageBox(owner, text, caption, flags);
    return ::MessageBoxW(owner, fs::Widen(text).c_str(), fs::Widen(caption).c_str(), flags);
}

}  // namespace base

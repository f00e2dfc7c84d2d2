// Every message box of the program goes through here, so that tests can
// answer them without a user.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace base {

using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;

// Answers message boxes instead of the system while set (tests).
extern MessageBoxHandler onMessageBox;

// Shows a modal message box (or asks onMessageBox) and returns the button.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace base

// The system's save dialog as a component: title, one filter, default
// extension and the proposed name are its settings; Execute shows it modally.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class TSaveDialog {
public:
    std::string Title;
    std::string FilterName;     // e.g. "Text File (*.txt)"
    std::string FilterPattern;  // e.g. "*.txt"
    std::string DefaultExt;     // without the dot
    std::string FileName;       // proposed name in, chosen full path out

    // Shows the dialog; true when the user confirmed, with FileName holding
    // the chosen path, whole at any length. An existing file is replaced only
    // after the overwrite prompt (the system's; for a name too long for the
    // new-style dialog's own handling, the same question from LongNameGuard).
    bool Execute(HWND owner);

    // Stands in for the system dialog when set (tests answer it this way).
    std::function<bool(TSaveDialog&, HWND)> onExecute;

private:
    bool ExecuteNewStyle(HWND owner, bool& shown);
    bool ExecuteClassic(HWND owner);
};

}  // namespace ui

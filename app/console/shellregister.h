// Vantrel one right-click away, for the current user only and only on
// request: `vantrel.exe /register` adds "File details with Vantrel" to the
// right-click menu of every file (the verb "Vantrel" under
// HKEY_CURRENT_USER\Software\Classes\*\shell, its command starting this exe
// with the file) and a "Vantrel" shortcut to the user's Send To folder.
// `vantrel.exe /unregister` removes exactly that: the verb's keys, the
// parent keys the registration itself created (noted in the verb's key,
// removed only while still empty) and a "Vantrel" shortcut to a program of
// this exe's name. No administrator rights are needed; nothing else is ever
// written, and no other run of the program writes to the registry.
// Neither writes over nor removes what is not Vantrel's: a verb "Vantrel" or
// a Send To "Vantrel" shortcut that starts another program is left alone and
// named on `err` (exit code 1; /register then writes nothing).
#pragma once

#include <functional>
#include <string>
#include <vector>

// True when `firstArgument` is "/register" or "/unregister", in any case.
bool IsRegisterSwitch(const std::string& firstArgument);

// Reads `arguments` (those after the program's name, the switch first):
// `add` for /register. False with the reason for a usage error (any argument
// after the switch).
bool ParseRegisterCommand(const std::vector<std::string>& arguments, bool& add, std::string& error);

// Runs /register (`add`) or /unregister. What was done goes to `out`,
// failures to `err`. Returns 0 when done, 1 when something could not be
// written or removed (a failed registration is undone) or is another's.
int RunRegister(bool add, const std::function<bool(const std::string&)>& out,
                const std::function<void(const std::string&)>& err);

// The registry path of the verb's key under HKEY_CURRENT_USER, the menu text
// and the shortcut's file name, for tests.
extern const wchar_t kRegisterVerbKey[];
extern const char kRegisterMenuText[];
extern const wchar_t kSendToShortcutName[];

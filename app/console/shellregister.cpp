#include "app/console/shellregister.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include "app/console/consoletext.h"
#include "base/asciitext.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/messages.h"

const wchar_t kRegisterVerbKey[] = L"Software\\Classes\\*\\shell\\Vantrel";
const char kRegisterMenuText[] = "File details with Vantrel";
const wchar_t kSendToShortcutName[] = L"Vantrel.lnk";

namespace {

constexpr wchar_t kClassesKey[] = L"Software\\Classes";
constexpr wchar_t kStarKey[] = L"Software\\Classes\\*";
constexpr wchar_t kShellKey[] = L"Software\\Classes\\*\\shell";
constexpr wchar_t kCommandKey[] = L"Software\\Classes\\*\\shell\\Vantrel\\command";
// In the verb's key: which of its parents the registration created.
constexpr wchar_t kCreatedValue[] = L"VantrelCreatedKeys";
constexpr DWORD kCreatedStar = 1, kCreatedShell = 2, kCreatedClasses = 4;

// The system's text for an error, on one line and without its full stop.
std::string Reason(LONG code) {
    const std::string text = OneLineWithoutFullStop(base::SystemErrorText(static_cast<unsigned long>(code)));
    return text.empty() ? "error " + std::to_string(code) : text;
}

class Failure : public base::Exception {
public:
    Failure(const std::string& what, LONG code) : base::Exception(what + ": " + Reason(code)) {}
};

// Something of the user's or of another program stands where the
// registration goes: nothing was written.
class Refusal : public base::Exception {
public:
    using base::Exception::Exception;
};

std::wstring ExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) throw Failure("cannot find this program's path", static_cast<LONG>(GetLastError()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FileNamePart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Creates or opens HKCU\`path`; `created` tells which.
base::UniqueKey CreateKey(const wchar_t* path, bool& created) {
    base::UniqueKey key;
    DWORD disposition = 0;
    const LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                   key.put(), &disposition);
    if (r != ERROR_SUCCESS) throw Failure("cannot create HKEY_CURRENT_USER\\" + fs::Narrow(path), r);
    created = disposition == REG_CREATED_NEW_KEY;
    return key;
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    const LONG r = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (r != ERROR_SUCCESS) throw Failure("cannot write to the registry", r);
}

std::wstring SendToShortcut() {
    base::CoTaskMemPtr<wchar_t> folder;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, folder.put());
    if (FAILED(hr)) throw Failure("cannot find the Send To folder", hr);
    return std::wstring(folder.get()) + L"\\" + kSendToShortcutName;
}

void MakeShortcut(const std::wstring& link, const std::wstring& exe) {
    base::ComPtr<IShellLinkW> shellLink;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shellLink.put_void());
    if (SUCCEEDED(hr)) hr = shellLink->SetPath(exe.c_str());
    if (SUCCEEDED(hr)) hr = shellLink->SetDescription(fs::Widen(kRegisterMenuText).c_str());
    base::ComPtr<IPersistFile> file;
    if (SUCCEEDED(hr)) hr = shellLink->QueryInterface(IID_IPersistFile, file.put_void());
    if (SUCCEEDED(hr)) hr = file->Save(link.c_str(), TRUE);
    if (FAILED(hr)) throw Failure("cannot make the shortcut " + fs::Narrow(link), hr);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The command line the registration writes for `exe`.
std::wstring CommandFor(const std::wstring& exe) { return L"\"" + exe + L"\" \"%1\""; }

// The program of a command line of the registration's form ("exe" "%1");
// empty for any other command line.
std::wstring ProgramOfCommand(const std::wstring& command) {
    const std::wstring tail = L"\" \"%1\"";
    if (command.size() <= tail.size() + 1 || command[0] != L'"' ||
        command.compare(command.size() - tail.size(), tail.size(), tail) != 0)
        return std::wstring();
    const std::wstring program = command.substr(1, command.size() - tail.size() - 1);
    return program.find(L'"') == std::wstring::npos ? program : std::wstring();
}

std::wstring StringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::wstring();
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// Who owns the verb key and the shortcut: nobody (absent), Vantrel (this exe,
// or a copy of it elsewhere whose earlier registration this one replaces),
// or someone else, whose entry is never written over or removed.
enum class Owner { None, Vantrel, Other };

struct Ownership {
    Owner owner = Owner::None;
    std::string what;  // for Other: what it is and what it starts
};

// The verb is Vantrel's when its command is the registration's command line
// for this exe, or for an exe of this name in a key the registration created
// (it notes that in kCreatedValue).
Ownership VerbOwner(const std::wstring& exe) {
    base::UniqueKey verb;
    const LONG r = RegOpenKeyExW(HKEY_CURRENT_USER, kRegisterVerbKey, 0, KEY_READ, verb.put());
    if (r == ERROR_FILE_NOT_FOUND) return {};
    const std::string where = "HKEY_CURRENT_USER\\" + fs::Narrow(kRegisterVerbKey);
    if (r != ERROR_SUCCESS) throw Failure("cannot read " + where, r);
    std::wstring command;
    {
        base::UniqueKey commandKey;
        if (RegOpenKeyExW(verb.get(), L"command", 0, KEY_READ, commandKey.put()) == ERROR_SUCCESS)
            command = StringValue(commandKey.get(), nullptr);
    }
    const std::wstring program = ProgramOfCommand(command);
    const bool marked =
        RegQueryValueExW(verb.get(), kCreatedValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    if (!program.empty() &&
        (SameText(program, exe) || (marked && SameText(FileNamePart(program), FileNamePart(exe)))))
        return {Owner::Vantrel, std::string()};
    return {Owner::Other, where + (command.empty() ? std::string(" is another program's menu entry")
                                                   : " starts " + fs::Narrow(command))};
}

// The shortcut is Vantrel's when it starts this exe, or an exe of this name
// and carries the registration's description.
Ownership ShortcutOwner(const std::wstring& link, const std::wstring& exe) {
    if (GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    base::ComPtr<IShellLinkW> shellLink;
    base::ComPtr<IPersistFile> file;
    std::wstring target(32768, L'\0'), description(INFOTIPSIZE, L'\0');
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shellLink.put_void())) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.put_void())) &&
        SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shellLink->GetPath(&target[0], static_cast<int>(target.size()), nullptr, SLGP_RAWPATH))) {
        target.resize(wcsnlen(target.c_str(), target.size()));
        if (FAILED(shellLink->GetDescription(&description[0], static_cast<int>(description.size()))))
            description.clear();
        description.resize(wcsnlen(description.c_str(), description.size()));
        if (!target.empty() && (SameText(target, exe) || (SameText(FileNamePart(target), FileNamePart(exe)) &&
                                                          description == fs::Widen(kRegisterMenuText))))
            return {Owner::Vantrel, std::string()};
        if (!target.empty()) return {Owner::Other, fs::Narrow(link) + " starts " + fs::Narrow(target)};
    }
    return {Owner::Other, fs::Narrow(link) + " is not Vantrel's shortcut"};
}

// Deletes HKCU\`path` when it holds neither subkeys nor values.
void DeleteIfEmpty(const wchar_t* path) {
    base::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    key.reset();
    // Something else lives there now: it stays.
    if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, path);
}

// Removes what Register added, and only that; true when there was something
// to remove. What is another's is left alone and named in `leftAlone`.
bool Unregister(std::vector<std::string>& leftAlone) {
    const std::wstring exe = ExePath();
    bool removed = false;
    const Ownership verbOwner = VerbOwner(exe);
    if (verbOwner.owner == Owner::Other) leftAlone.push_back(verbOwner.what);
    if (verbOwner.owner == Owner::Vantrel) {
        DWORD created = 0;
        {
            base::UniqueKey verb;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegisterVerbKey, 0, KEY_READ, verb.put()) ==
                ERROR_SUCCESS) {
                DWORD size = sizeof created;
                if (RegQueryValueExW(verb.get(), kCreatedValue, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&created), &size) != ERROR_SUCCESS)
                    created = 0;
            }
        }
        LONG r = RegDeleteKeyW(HKEY_CURRENT_USER, kCommandKey);
        if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) throw Failure("cannot remove the menu entry", r);
        r = RegDeleteKeyW(HKEY_CURRENT_USER, kRegisterVerbKey);
        if (r == ERROR_SUCCESS)
            removed = true;
        else if (r != ERROR_FILE_NOT_FOUND)
            throw Failure("cannot remove the menu entry", r);
        if (created & kCreatedShell) DeleteIfEmpty(kShellKey);
        if (created & kCreatedStar) DeleteIfEmpty(kStarKey);
        if (created & kCreatedClasses) DeleteIfEmpty(kClassesKey);
    }

    const std::wstring link = SendToShortcut();
    const Ownership linkOwner = ShortcutOwner(link, exe);
    if (linkOwner.owner == Owner::Other) leftAlone.push_back(linkOwner.what);
    if (linkOwner.owner == Owner::Vantrel) {
        if (!DeleteFileW(link.c_str()))
            throw Failure("cannot remove " + fs::Narrow(link), static_cast<LONG>(GetLastError()));
        removed = true;
    }
    return removed;
}

void Register() {
    const std::wstring exe = ExePath();
    const std::wstring link = SendToShortcut();
    // Nothing is written while the user's own entry or another program's
    // stands in either place.
    for (const Ownership& o : {VerbOwner(exe), ShortcutOwner(link, exe)})
        if (o.owner == Owner::Other) throw Refusal(o.what + "; it is not Vantrel's and is left alone");

    try {
        bool createdClasses = false, createdStar = false, createdShell = false, createdVerb = false,
             createdCommand = false;
        {
            base::UniqueKey classes;
            createdClasses = RegOpenKeyExW(HKEY_CURRENT_USER, kClassesKey, 0, KEY_READ, classes.put()) ==
                             ERROR_FILE_NOT_FOUND;
        }
        base::UniqueKey star = CreateKey(kStarKey, createdStar);
        base::UniqueKey shell = CreateKey(kShellKey, createdShell);
        base::UniqueKey verb = CreateKey(kRegisterVerbKey, createdVerb);
        if (createdVerb) {
            const DWORD created = (createdStar ? kCreatedStar : 0) | (createdShell ? kCreatedShell : 0) |
                                  (createdStar && createdClasses ? kCreatedClasses : 0);
            const LONG r = RegSetValueExW(verb.get(), kCreatedValue, 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&created), sizeof created);
            if (r != ERROR_SUCCESS) throw Failure("cannot write to the registry", r);
        }
        SetString(verb.get(), nullptr, fs::Widen(kRegisterMenuText));
        SetString(verb.get(), L"Icon", exe + L",0");
        base::UniqueKey command = CreateKey(kCommandKey, createdCommand);
        SetString(command.get(), nullptr, CommandFor(exe));
        MakeShortcut(link, exe);
    } catch (const std::exception&) {
        // Half a registration is none: what was added goes again.
        try {
            std::vector<std::string> ignored;
            Unregister(ignored);
        } catch (const std::exception&) {
        }
        throw;
    }
}

}  // namespace

bool IsRegisterSwitch(const std::string& firstArgument) {
    const std::string upper = UpperCaseAscii(firstArgument);
    return upper == "/REGISTER" || upper == "/UNREGISTER";
}

bool ParseRegisterCommand(const std::vector<std::string>& arguments, bool& add, std::string& error) {
    if (arguments.empty() || !IsRegisterSwitch(arguments[0]) || arguments.size() > 1) {
        error = arguments.size() > 1 ? arguments[0] + " takes no argument" : std::string("usage");
        return false;
    }
    add = UpperCaseAscii(arguments[0]) == "/REGISTER";
    return true;
}

int RunRegister(bool add, const std::function<bool(const std::string&)>& out,
                const std::function<void(const std::string&)>& err) {
    try {
        if (add) {
            Register();
            out(std::string("Added \"") + kRegisterMenuText +
                "\" to the right-click menu of every file and Vantrel to Send To, for this user.\r\n");
        } else {
            std::vector<std::string> leftAlone;
            const bool removed = Unregister(leftAlone);
            if (!leftAlone.empty()) {
                // Removed what was Vantrel's; the rest is the user's.
                for (const std::string& what : leftAlone)
                    err("vantrel: " + what + "; it is not Vantrel's and is left alone\r\n");
                return 1;
            }
            out(removed ? std::string("Removed \"") + kRegisterMenuText + "\" and the Send To shortcut.\r\n"
                        : std::string("Nothing to remove: Vantrel was not registered for this user.\r\n"));
        }
    } catch (const std::exception& e) {
        err(std::string("vantrel: ") + e.what() + "\r\n");
        return 1;
    }
    return 0;
}

// /register and /unregister through Wine's registry and shell: the verb on a
// file and the Send To shortcut start the program with that file, and the
// registry and the Send To folder are as they were after both; a run of the
// window writes nothing to the registry.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/window/frmMain_layout.h"
#include "app/console/shellregister.h"
#include "base/handles.h"
#include "driver.h"
#include "testutil.h"

using namespace frmMain;

namespace {

// Every key and value below HKCU\`path`, one line each, in the order the
// registry lists them.
void Dump(HKEY parent, const std::wstring& path, std::wstring& out) {
    base::UniqueKey key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    out += L"[" + path + L"]\n";
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameSize = 16384, type = 0, dataSize = 0;
        if (RegEnumValueW(key.get(), i, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(dataSize + 2, 0);
        nameSize = 16384;
        RegEnumValueW(key.get(), i, name, &nameSize, nullptr, &type, data.data(), &dataSize);
        out += std::wstring(name) + L"=" + std::to_wstring(type) + L":";
        for (DWORD b = 0; b < dataSize; ++b) out += std::to_wstring(data[b]) + L",";
        out += L"\n";
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256;
        if (RegEnumKeyExW(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    for (const std::wstring& sub : subkeys) Dump(parent, path + L"\\" + sub, out);
}

std::wstring UserClasses() {
    std::wstring out;
    Dump(HKEY_CURRENT_USER, L"Software\\Classes", out);
    return out;
}

// The lines of one dump that the other lacks, each marked with the dump it
// is in: what a failed comparison shows.
std::string Difference(const std::wstring& before, const std::wstring& after) {
    auto lines = [](const std::wstring& text) {
        std::vector<std::wstring> out;
        size_t start = 0;
        for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
            out.push_back(text.substr(start, end - start));
        return out;
    };
    const std::vector<std::wstring> a = lines(before), b = lines(after);
    std::string out;
    for (const std::wstring& l : a)
        if (std::find(b.begin(), b.end(), l) == b.end()) out += "before only: " + testutil::Utf8(l) + "\n";
    for (const std::wstring& l : b)
        if (std::find(a.begin(), a.end(), l) == a.end()) out += "after only: " + testutil::Utf8(l) + "\n";
    return out;
}

std::wstring SendToFolder() {
    base::CoTaskMemPtr<wchar_t> folder;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, folder.put())))
        return std::wstring();
    return folder.get();
}

std::vector<std::wstring> SendToEntries() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    base::UniqueFind find(FindFirstFileW((SendToFolder() + L"\\*").c_str(), &fd));
    if (!find) return names;
    do names.push_back(fd.cFileName);
    while (FindNextFileW(find.get(), &fd));
    return names;
}

struct ShownWindow {
    HWND main = nullptr;
    std::string name;
};

BOOL CALLBACK CollectForms(HWND hwnd, LPARAM param) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) == "TForm1" && IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// Runs the shell on `sei`, waits for a main window that shows `file`, closes
// that program and returns the name its box showed (empty when none did).
std::string NameShownAfterShellStart(SHELLEXECUTEINFOW sei, const std::string& file) {
    sei.cbSize = sizeof sei;
    sei.fMask |= SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.nShow = SW_SHOWNORMAL;
    // Wine starts a shortcut's program but may answer FALSE without a
    // process handle: the window is what counts.
    ShellExecuteExW(&sei);
    base::UniqueFile process(sei.hProcess);
    ShownWindow shown;
    e2e::WaitUntil([&] {
        std::vector<HWND> forms;
        EnumWindows(CollectForms, reinterpret_cast<LPARAM>(&forms));
        for (HWND w : forms) {
            const std::string name = e2e::TextOf(e2e::FindChild(w, edt1));
            if (name == file) shown = ShownWindow{w, name};
        }
        return shown.main != nullptr;
    });
    if (!shown.main) return std::string();
    DWORD pid = 0;
    GetWindowThreadProcessId(shown.main, &pid);
    if (!process) process.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
    PostMessageA(shown.main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), e2e::kTimeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the started program did not end";
        TerminateProcess(process.get(), 99);
    }
    return shown.name;
}

class Register : public testing::Test {
protected:
    void SetUp() override {
        // Every Windows has the user's class key; a fresh Wine prefix has it
        // only once something wrote below it. The registration keeps that
        // standard key, so "before" starts with it as on Windows.
        base::UniqueKey classes;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                                 KEY_READ, nullptr, classes.put(), nullptr));
        // A registration left by an earlier, broken run would spoil "before".
        e2e::RunConsoleProgram(dir.path(), "/unregister");
        file = dir.Write("a file.txt", "details, please");
    }
    void TearDown() override { e2e::RunConsoleProgram(dir.path(), "/unregister"); }

    testutil::TempDir dir;
    std::string file;
};

TEST_F(Register, TheVerbAndSendToStartVantrelAndUnregisterLeavesEverythingAsItWas) {
    const std::wstring before = UserClasses();
    const std::vector<std::wstring> sendToBefore = SendToEntries();

    const e2e::ConsoleRun added = e2e::RunConsoleProgram(dir.path(), "/register");
    ASSERT_EQ(0u, added.code) << added.err;
    EXPECT_EQ(std::string("Added \"") + kRegisterMenuText +
                  "\" to the right-click menu of every file and Vantrel to Send To, for this user.\r\n",
              added.out);
    {
        base::UniqueKey verb;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kRegisterVerbKey, 0, KEY_READ, verb.put()));
        wchar_t text[256] = {};
        DWORD size = sizeof text;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(verb.get(), nullptr, nullptr, nullptr,
                                                  reinterpret_cast<BYTE*>(text), &size));
        EXPECT_EQ(testutil::Utf16(kRegisterMenuText), std::wstring(text));
    }
    EXPECT_NE(before, UserClasses());

    // The shell's verb on a file, as the right-click menu runs it. Wine (8.0)
    // does not merge HKCU\Software\Classes into HKEY_CLASSES_ROOT, as Windows
    // does, so the class key of "*" is handed to the shell as that view would.
    const std::wstring wideFile = testutil::Utf16(file);
    {
        base::UniqueKey star;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\*", 0, KEY_READ, star.put()));
        SHELLEXECUTEINFOW verb{};
        verb.fMask = SEE_MASK_CLASSKEY;
        verb.hkeyClass = star.get();
        verb.lpVerb = L"Vantrel";
        verb.lpFile = wideFile.c_str();
        EXPECT_EQ(file, NameShownAfterShellStart(verb, file));
    }
    // The Send To shortcut, which the shell starts with the file.
    const std::wstring link = SendToFolder() + L"\\" + kSendToShortcutName;
    const std::wstring quoted = L"\"" + wideFile + L"\"";
    SHELLEXECUTEINFOW sendTo{};
    sendTo.lpFile = link.c_str();
    sendTo.lpParameters = quoted.c_str();
    EXPECT_EQ(file, NameShownAfterShellStart(sendTo, file));

    // Twice is the same as once.
    EXPECT_EQ(0u, e2e::RunConsoleProgram(dir.path(), "/register").code);

    const e2e::ConsoleRun removed = e2e::RunConsoleProgram(dir.path(), "/unregister");
    EXPECT_EQ(0u, removed.code) << removed.err;
    EXPECT_EQ(std::string("Removed \"") + kRegisterMenuText + "\" and the Send To shortcut.\r\n",
              removed.out);
    const std::wstring after = UserClasses();
    EXPECT_TRUE(before == after) << "the registry differs after /register and /unregister:\n"
                                 << Difference(before, after);
    EXPECT_EQ(sendToBefore, SendToEntries());

    const e2e::ConsoleRun again = e2e::RunConsoleProgram(dir.path(), "/unregister");
    EXPECT_EQ(0u, again.code);
    EXPECT_EQ("Nothing to remove: Vantrel was not registered for this user.\r\n", again.out);
}

// Keys that were there before stay, and so does what others put beside ours.
TEST_F(Register, KeysThatWereThereBeforeStay) {
    base::UniqueKey other;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\VantrelTestOther", 0, nullptr,
                              0, KEY_WRITE, nullptr, other.put(), nullptr));
    other.reset();
    const std::wstring before = UserClasses();
    EXPECT_EQ(0u, e2e::RunConsoleProgram(dir.path(), "/register").code);
    EXPECT_EQ(0u, e2e::RunConsoleProgram(dir.path(), "/unregister").code);
    EXPECT_TRUE(before == UserClasses());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\VantrelTestOther");
}

// A shortcut at `link` that starts `target`.
void MakeShortcut(const std::wstring& link, const std::wstring& target) {
    base::ComApartment apartment;
    base::ComPtr<IShellLinkW> shellLink;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              shellLink.put_void()));
    ASSERT_HRESULT_SUCCEEDED(shellLink->SetPath(target.c_str()));
    base::ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.put_void()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(link.c_str(), TRUE));
}

// The bytes of a file; empty when there is none.
std::string Contents(const std::wstring& path) {
    std::string data;
    base::UniqueFile f(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return data;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(f.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) data.append(buffer, n);
    return data;
}

void SetCommand(const std::wstring& path, const std::wstring& command) {
    base::UniqueKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                             nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))));
}

// Deletes HKCU\`path` when it holds neither subkeys nor values.
void DeleteIfEmpty(const std::wstring& path) {
    base::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    key.reset();
    if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

// Removes the user's verb and the parents that making it created.
void RemoveVerb() {
    for (const std::wstring& path :
         {std::wstring(kRegisterVerbKey) + L"\\command", std::wstring(kRegisterVerbKey)})
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    DeleteIfEmpty(L"Software\\Classes\\*\\shell");
    DeleteIfEmpty(L"Software\\Classes\\*");
}

// What the user made at Vantrel's places, before Vantrel was ever registered:
// /register writes nothing and /unregister removes nothing; each says what
// it left alone and ends with exit code 1.
TEST_F(Register, TheUsersOwnVerbOrShortcutIsNeitherReplacedNorRemoved) {
    const std::wstring verbCommand = std::wstring(kRegisterVerbKey) + L"\\command";
    const std::wstring link = SendToFolder() + L"\\" + kSendToShortcutName;
    struct Case {
        const char* what;
        std::function<void()> make;
        std::function<void()> remove;
        const char* reason;  // in the refusal
    } cases[] = {
        {"the user's verb that opens Notepad", [&] { SetCommand(verbCommand, L"notepad.exe \"%1\""); },
         RemoveVerb, "starts notepad.exe \"%1\"; it is not Vantrel's and is left alone"},
        {"the user's verb of the same form that starts another program",
         [&] { SetCommand(verbCommand, L"\"C:\\windows\\notepad.exe\" \"%1\""); }, RemoveVerb,
         "notepad.exe\" \"%1\"; it is not Vantrel's and is left alone"},
        {"the user's verb without a command", [&] { SetCommand(kRegisterVerbKey, L"Mine"); }, RemoveVerb,
         "is another program's menu entry; it is not Vantrel's and is left alone"},
        {"a Send To shortcut named Vantrel that starts Notepad",
         [&] { MakeShortcut(link, L"C:\\windows\\notepad.exe"); }, [&] { DeleteFileW(link.c_str()); },
         "notepad.exe; it is not Vantrel's and is left alone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        const std::wstring before = UserClasses();
        const std::vector<std::wstring> sendToBefore = SendToEntries();
        const std::string linkBefore = Contents(link);

        const e2e::ConsoleRun added = e2e::RunConsoleProgram(dir.path(), "/register");
        EXPECT_EQ(1u, added.code) << added.out;
        EXPECT_EQ(0u, added.err.find("vantrel: ")) << added.err;
        EXPECT_NE(std::string::npos, added.err.find(c.reason)) << added.err;
        EXPECT_TRUE(before == UserClasses()) << Difference(before, UserClasses());
        EXPECT_EQ(sendToBefore, SendToEntries());
        EXPECT_EQ(linkBefore, Contents(link));

        const e2e::ConsoleRun removed = e2e::RunConsoleProgram(dir.path(), "/unregister");
        EXPECT_EQ(1u, removed.code) << removed.out;
        EXPECT_NE(std::string::npos, removed.err.find(c.reason)) << removed.err;
        EXPECT_TRUE(before == UserClasses()) << Difference(before, UserClasses());
        EXPECT_EQ(sendToBefore, SendToEntries());
        EXPECT_EQ(linkBefore, Contents(link));
        c.remove();
    }
}

// The user's class keys that /register had to create (Software\Classes
// itself on a fresh profile, "*", "shell") go again with /unregister; none
// is left empty behind.
TEST_F(Register, KeysTheRegistrationCreatedGoAgainUpToTheClassesKey) {
    // The standard key made in SetUp is removed again while it is empty, as
    // in a fresh Wine prefix; a prefix with classes of its own keeps it.
    const LONG gone = RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes");
    if (gone != ERROR_SUCCESS) GTEST_SKIP() << "the user's class key holds other keys in this prefix";
    base::UniqueKey classes;
    EXPECT_EQ(0u, e2e::RunConsoleProgram(dir.path(), "/register").code);
    EXPECT_EQ(0u, e2e::RunConsoleProgram(dir.path(), "/unregister").code);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, classes.put()));
}

TEST_F(Register, UsageErrorsAndARunWithoutTheOptionsWritesNothing) {
    const e2e::ConsoleRun bad = e2e::RunConsoleProgram(dir.path(), "/register now");
    EXPECT_EQ(2u, bad.code);
    EXPECT_EQ(0u, bad.err.find("vantrel: /register takes no argument\r\nUsage:")) << bad.err;

    const std::wstring before = UserClasses();
    const std::vector<std::wstring> sendToBefore = SendToEntries();
    {
        e2e::Program program("\"" + file + "\"");
        ASSERT_NE(nullptr, program.WaitForMainWindow());
        ASSERT_TRUE(program.WaitForDigest());
        EXPECT_EQ(0u, program.Exit());
    }
    EXPECT_EQ(0u, e2e::RunConsoleProgram(dir.path(), "/report \"" + file + "\"").code);
    EXPECT_TRUE(before == UserClasses());
    EXPECT_EQ(sendToBefore, SendToEntries());
}

}  // namespace

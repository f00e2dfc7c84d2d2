#include "ui/longnameguard.h"

#include <commctrl.h>

#include <utility>

#include "app/savetarget.h"
#include "ui/application.h"
#include "ui/handles.h"

namespace ui {

namespace {

constexpr UINT_PTR kSubclassId = 0x4C4E;

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

// A string the dialog allocated, freed on every path.
class CoString {
public:
    ~CoString() { CoTaskMemFree(p_); }
    wchar_t** put() { return &p_; }
    std::wstring str() const { return p_ ? std::wstring(p_) : std::wstring(); }

private:
    wchar_t* p_ = nullptr;
};

std::wstring FullPath(const std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0], nullptr);
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.assign(n, L'\0');
    }
}

}  // namespace

LongNameGuard::LongNameGuard(IFileDialog* dialog, std::wstring defaultExt)
    : dialog_(dialog), defaultExt_(std::move(defaultExt)) {}

LongNameGuard::~LongNameGuard() { Detach(); }

IFACEMETHODIMP LongNameGuard::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IFileDialogEvents) {
        *ppv = static_cast<IFileDialogEvents*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

IFACEMETHODIMP LongNameGuard::OnFolderChange(IFileDialog*) {
    Attach();
    return S_OK;
}

IFACEMETHODIMP LongNameGuard::OnSelectionChange(IFileDialog*) {
    Attach();
    return S_OK;
}

IFACEMETHODIMP LongNameGuard::OnTypeChange(IFileDialog*) {
    Attach();
    return S_OK;
}

void LongNameGuard::Attach() {
    if (hwnd_) return;
    ComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (FAILED(dialog_->QueryInterface(IID_IOleWindow, window.put_void())) ||
        FAILED(window->GetWindow(&hwnd)) || !hwnd)
        return;
    if (SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) hwnd_ = hwnd;
}

void LongNameGuard::Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
}

bool LongNameGuard::TakeLongName() {
    CoString typed;
    if (FAILED(dialog_->GetFileName(typed.put()))) return false;
    const std::wstring name = typed.str();
    // Patterns filter the list and an empty name does nothing: the dialog's own.
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) return false;
    std::wstring folder;
    ComPtr<IShellItem> item;
    CoString folderPath;
    if (SUCCEEDED(dialog_->GetFolder(item.put())) &&
        SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, folderPath.put())))
        folder = folderPath.str();
    const std::wstring path = FullPath(DialogTargetPath(folder, name, defaultExt_));
    if (path.size() < kDialogPathLimit) return false;

    // The question the dialog asks before an existing file is replaced.
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
        if (Application().ShowMessageBox(hwnd_, Narrow(leaf) + " already exists.\nDo you want to replace it?",
                                         "Confirm Save As", MB_YESNO | MB_ICONWARNING) != IDYES)
            return true;  // back to the dialog
    }
    path_ = path;
    taken_ = true;
    dialog_->Close(S_OK);
    return true;
}

LRESULT CALLBACK LongNameGuard::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR self) {
    auto* guard = reinterpret_cast<LongNameGuard*>(self);
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK && guard->TakeLongName()) return 0;
    if (msg == WM_NCDESTROY) guard->Detach();
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace ui

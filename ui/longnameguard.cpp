#include "ui/longnameguard.h"

#include <commctrl.h>

#include <utility>

#include "base/fs.h"
#include "base/fsnames.h"
#include "ui/application.h"
#include "base/handles.h"

namespace ui {

namespace {

constexpr UINT_PTR kSubclassId = 0x4C4E;

// The text of a string the dialog handed over; empty for none.
std::wstring TextOf(const base::CoTaskMemPtr<wchar_t>& text) { return text ? text.get() : std::wstring(); }

// The full path of `path`; empty when it has none.
std::wstring FullPath(const std::wstring& path) {
    std::wstring full;
    return fs::TryFullPath(path, full) ? full : std::wstring();
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
    base::ComPtr<IOleWindow> window;
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
    base::CoTaskMemPtr<wchar_t> typed;
    if (FAILED(dialog_->GetFileName(typed.put()))) return false;
    const std::wstring name = TextOf(typed);
    // Patterns filter the list and an empty name does nothing: the dialog's own.
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) return false;
    std::wstring folder;
    base::ComPtr<IShellItem> item;
    base::CoTaskMemPtr<wchar_t> folderPath;
    if (SUCCEEDED(dialog_->GetFolder(item.put())) &&
        SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, folderPath.put())))
        folder = TextOf(folderPath);
    const std::wstring path = FullPath(fs::DialogTargetPath(folder, name, defaultExt_));
    if (path.size() < kDialogPathLimit) return false;

    // The question the dialog asks before an existing file is replaced.
    const DWORD attributes = GetFileAttributesW(fs::LongForm(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
        if (Application().ShowMessageBox(hwnd_, fs::Narrow(leaf) + " already exists.\nDo you want to replace it?",
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

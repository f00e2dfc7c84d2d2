#include "ui/dialogs.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <vector>

#include "base/fs.h"
#include "base/handles.h"
#include "ui/longnameguard.h"

namespace ui {

namespace {

constexpr size_t kLongestPath = 32768;  // characters of an extended-length path, with its null

}  // namespace

bool TSaveDialog::Execute(HWND owner) {
    if (onExecute) return onExecute(*this, owner);
    bool shown = false;
    const bool confirmed = ExecuteNewStyle(owner, shown);
    if (shown) return confirmed;
    return ExecuteClassic(owner);
}

bool TSaveDialog::ExecuteNewStyle(HWND owner, bool& shown) {
    base::ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                dialog.put_void())))
        return false;
    const std::wstring title = fs::Widen(Title), name = fs::Widen(FilterName), pattern = fs::Widen(FilterPattern),
                       ext = fs::Widen(DefaultExt), file = fs::Widen(FileName);
    const COMDLG_FILTERSPEC spec{name.c_str(), pattern.c_str()};
    // Only the overwrite prompt: the folder and the file are not required to
    // be writable; problems surface when the file is opened.
    if (FAILED(dialog->SetOptions(FOS_OVERWRITEPROMPT)) || FAILED(dialog->SetTitle(title.c_str())) ||
        FAILED(dialog->SetFileTypes(1, &spec)) || FAILED(dialog->SetFileTypeIndex(1)) ||
        FAILED(dialog->SetDefaultExtension(ext.c_str())) || FAILED(dialog->SetFileName(file.c_str())))
        return false;
    shown = true;
    LongNameGuard guard(dialog.get(), ext);
    DWORD cookie = 0;
    const bool advised = SUCCEEDED(dialog->Advise(&guard, &cookie));
    const HRESULT result = dialog->Show(owner);
    if (advised) dialog->Unadvise(cookie);
    if (guard.Taken()) {
        FileName = fs::Narrow(guard.Path());
        return true;
    }
    if (FAILED(result)) return false;
    base::ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.put()))) return false;
    wchar_t* raw = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &raw)) || !raw) return false;
    base::CoTaskMemPtr<wchar_t> path(raw);
    FileName = fs::Narrow(path.get());
    return true;
}

bool TSaveDialog::ExecuteClassic(HWND owner) {
    // Room for the longest path the system takes, so that no name is cut.
    std::vector<wchar_t> buffer(kLongestPath, L'\0');
    const std::wstring file = fs::Widen(FileName), title = fs::Widen(Title), ext = fs::Widen(DefaultExt);
    file.copy(buffer.data(), buffer.size() - 1);
    std::wstring filter = fs::Widen(FilterName);
    filter += L'\0';
    filter += fs::Widen(FilterPattern);
    filter += L'\0';
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&ofn)) return false;
    FileName = fs::Narrow(buffer.data());
    return true;
}

}  // namespace ui

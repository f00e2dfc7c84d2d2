// Keeps long names away from the new-style save dialog's own handling of its
// Save button. That handling builds the chosen path in buffers of MAX_PATH
// characters (Wine's does, with unchecked copies): a longer name is cut to
// 259 characters, or overruns the buffer and ends the process. The guard
// subclasses the dialog's window once it exists and, when the name typed
// would make a full path too long for that handling, takes the name itself:
// the same default extension, the same replace question, the whole path.
#pragma once

#include <windows.h>
// after windows.h
#include <shobjidl.h>

#include <string>

namespace ui {

class LongNameGuard : public IFileDialogEvents {
public:
    // Full paths of this many characters or more are taken by the guard; a
    // shorter one stays below MAX_PATH even when the dialog adds ".txt".
    static constexpr size_t kDialogPathLimit = MAX_PATH - 4;

    // `dialog` outlives the guard; Advise it with dialog->Advise(&guard, …).
    LongNameGuard(IFileDialog* dialog, std::wstring defaultExt);
    ~LongNameGuard();
    LongNameGuard(const LongNameGuard&) = delete;
    LongNameGuard& operator=(const LongNameGuard&) = delete;

    // True when the guard took the name; Path() is then the chosen full path.
    bool Taken() const { return taken_; }
    const std::wstring& Path() const { return path_; }

    // IUnknown: the guard lives on the stack; the counts are not its lifetime.
    IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    IFACEMETHODIMP_(ULONG) AddRef() override { return 2; }
    IFACEMETHODIMP_(ULONG) Release() override { return 1; }

    // IFileDialogEvents: any of them means the dialog's window exists.
    IFACEMETHODIMP OnFileOk(IFileDialog*) override { return S_OK; }
    IFACEMETHODIMP OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    IFACEMETHODIMP OnFolderChange(IFileDialog* dialog) override;
    IFACEMETHODIMP OnSelectionChange(IFileDialog* dialog) override;
    IFACEMETHODIMP OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
        return E_NOTIMPL;
    }
    IFACEMETHODIMP OnTypeChange(IFileDialog* dialog) override;
    IFACEMETHODIMP OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
        return E_NOTIMPL;
    }

private:
    void Attach();
    void Detach();
    // The Save button or Enter: true when the guard handled it.
    bool TakeLongName();
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR self);

    IFileDialog* dialog_;
    std::wstring defaultExt_;
    HWND hwnd_ = nullptr;
    bool taken_ = false;
    std::wstring path_;
};

}  // namespace ui

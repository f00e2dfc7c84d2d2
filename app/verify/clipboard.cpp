#include "app/verify/clipboard.h"

#include <cstring>
#include <cwchar>

#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"

namespace {

// Open for the life of the object. Another program may hold the clipboard
// for a moment (it is one for the whole session), so opening is tried a few
// times.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            if (attempt > 0) Sleep(10);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool open() const { return open_; }

private:
    bool open_ = false;
};

class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), p_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalLockScope() {
        if (p_) GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* get() const { return p_; }

private:
    HGLOBAL memory_;
    void* p_;
};

}  // namespace

std::string ReadClipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::string();
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open()) return std::string();
    HGLOBAL data = GetClipboardData(CF_UNICODETEXT);  // owned by the clipboard
    GlobalLockScope lock(data);
    if (!lock.get()) return std::string();
    // The block may be larger than the text; it ends at the first NUL.
    const SIZE_T units = GlobalSize(data) / sizeof(wchar_t);
    const wchar_t* text = static_cast<const wchar_t*>(lock.get());
    return fs::Narrow(std::wstring(text, wcsnlen(text, units)));
}

void WriteClipboardText(HWND owner, const std::string& text) {
    const std::wstring wide = fs::Widen(text);
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    base::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) throw base::EInOutError(GetLastError());
    {
        GlobalLockScope lock(memory.get());
        if (!lock.get()) throw base::EInOutError(GetLastError());
        std::memcpy(lock.get(), wide.c_str(), bytes);
    }
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open()) throw base::EInOutError(GetLastError());
    if (!EmptyClipboard()) throw base::EInOutError(GetLastError());
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) throw base::EInOutError(GetLastError());
    memory.release();  // the clipboard owns it now
}

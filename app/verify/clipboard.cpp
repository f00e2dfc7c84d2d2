#include "app/verify/clipboard.h"

#include <cstring>

#include "base/errors.h"
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
    if (!IsClipboardFormatAvailable(CF_TEXT)) return std::string();
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open()) return std::string();
    HGLOBAL data = GetClipboardData(CF_TEXT);  // owned by the clipboard
    GlobalLockScope lock(data);
    if (!lock.get()) return std::string();
    // The block may be larger than the text; it ends at the first NUL.
    const SIZE_T size = GlobalSize(data);
    const char* text = static_cast<const char*>(lock.get());
    const void* end = std::memchr(text, '\0', size);
    return std::string(text, end ? static_cast<const char*>(end) - text : size);
}

void WriteClipboardText(HWND owner, const std::string& text) {
    base::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!memory) throw base::EInOutError(GetLastError());
    {
        GlobalLockScope lock(memory.get());
        if (!lock.get()) throw base::EInOutError(GetLastError());
        std::memcpy(lock.get(), text.c_str(), text.size() + 1);
    }
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open()) throw base::EInOutError(GetLastError());
    if (!EmptyClipboard()) throw base::EInOutError(GetLastError());
    if (!SetClipboardData(CF_TEXT, memory.get())) throw base::EInOutError(GetLastError());
    memory.release();  // the clipboard owns it now
}

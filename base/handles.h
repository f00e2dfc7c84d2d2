// RAII owners for every kind of Win32 handle the program holds. Each owner is
// move-only and releases its handle exactly once, on every path.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>

#include <utility>

namespace base {

// One owner template; a traits type says what "no handle" is and how to
// release one.
template <typename Traits>
class Unique {
public:
    using handle_type = typename Traits::handle_type;

    Unique() = default;
    explicit Unique(handle_type h) : h_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& o) noexcept : h_(o.release()) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    handle_type get() const { return h_; }
    bool valid() const { return Traits::valid(h_); }
    explicit operator bool() const { return valid(); }
    handle_type release() {
        handle_type h = h_;
        h_ = Traits::none();
        return h;
    }
    void reset(handle_type h = Traits::none()) {
        if (Traits::valid(h_)) Traits::close(h_);
        h_ = h;
    }
    // For out-parameters of calls that hand over a handle; releases what is
    // held first.
    handle_type* put() {
        reset();
        return &h_;
    }

private:
    handle_type h_ = Traits::none();
};

struct FileTraits {  // CreateFile: both NULL and INVALID_HANDLE_VALUE mean none
    using handle_type = HANDLE;
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct ThreadTraits {  // _beginthreadex and CreateThread: null means none
    using handle_type = HANDLE;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
    using handle_type = HANDLE;
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct IconTraits {
    using handle_type = HICON;
    static HICON none() { return nullptr; }
    static bool valid(HICON h) { return h != nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
template <typename T>
struct GdiTraits {
    using handle_type = T;
    static T none() { return nullptr; }
    static bool valid(T h) { return h != nullptr; }
    static void close(T h) { DeleteObject(h); }
};
struct MemoryDCTraits {
    using handle_type = HDC;
    static HDC none() { return nullptr; }
    static bool valid(HDC h) { return h != nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
struct DropTraits {
    using handle_type = HDROP;
    static HDROP none() { return nullptr; }
    static bool valid(HDROP h) { return h != nullptr; }
    static void close(HDROP h) { DragFinish(h); }
};
struct GlobalTraits {
    using handle_type = HGLOBAL;
    static HGLOBAL none() { return nullptr; }
    static bool valid(HGLOBAL h) { return h != nullptr; }
    static void close(HGLOBAL h) { GlobalFree(h); }
};
struct WindowTraits {
    using handle_type = HWND;
    static HWND none() { return nullptr; }
    static bool valid(HWND h) { return h != nullptr; }
    static void close(HWND h) { DestroyWindow(h); }
};
struct MenuTraits {
    using handle_type = HMENU;
    static HMENU none() { return nullptr; }
    static bool valid(HMENU h) { return h != nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};
struct AccelTraits {
    using handle_type = HACCEL;
    static HACCEL none() { return nullptr; }
    static bool valid(HACCEL h) { return h != nullptr; }
    static void close(HACCEL h) { DestroyAcceleratorTable(h); }
};

struct KeyTraits {  // registry keys from RegCreateKeyEx and RegOpenKeyEx
    using handle_type = HKEY;
    static HKEY none() { return nullptr; }
    static bool valid(HKEY h) { return h != nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};

template <typename T>
struct CoTaskMemTraits {  // blocks the shell and COM hand over to the caller
    using handle_type = T*;
    static T* none() { return nullptr; }
    static bool valid(T* p) { return p != nullptr; }
    static void close(T* p) { CoTaskMemFree(p); }
};

using UniqueFile = Unique<FileTraits>;
using UniqueThread = Unique<ThreadTraits>;
using UniqueFind = Unique<FindTraits>;
using UniqueIcon = Unique<IconTraits>;
template <typename T>
using GdiObject = Unique<GdiTraits<T>>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueFont = GdiObject<HFONT>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueRegion = GdiObject<HRGN>;
using MemoryDC = Unique<MemoryDCTraits>;
using UniqueDrop = Unique<DropTraits>;
using UniqueGlobal = Unique<GlobalTraits>;
using UniqueWindow = Unique<WindowTraits>;
template <typename T>
using CoTaskMemPtr = Unique<CoTaskMemTraits<T>>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueAccel = Unique<AccelTraits>;
using UniqueKey = Unique<KeyTraits>;

// A DC from GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDC() { if (dc_) ReleaseDC(hwnd_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintDC() { EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectObj {
public:
    SelectObj(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectObj() { if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_); }
    SelectObj(const SelectObj&) = delete;
    SelectObj& operator=(const SelectObj&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The thread's OLE/COM apartment (single-threaded), released on scope exit.
class OleApartment {
public:
    OleApartment() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleApartment() { if (ok_) OleUninitialize(); }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// A single-threaded COM apartment for this thread, without OLE's windows
// (clipboard, drag and drop): what a thread that only calls the shell and
// other COM objects needs.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() { if (ok_) CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// A COM interface pointer, released once.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { reset(); p_ = o.p_; o.p_ = nullptr; }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters of creating calls; releases what is held first.
    T** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() { if (p_) { p_->Release(); p_ = nullptr; } }

private:
    T* p_ = nullptr;
};

// An icon picture object: owns the icon handle placed in it and releases it
// when it receives another one, is emptied, or is destroyed.
class TIcon {
public:
    TIcon() = default;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const { return icon_.get(); }
    // Takes ownership of h (which may be null), releasing the previous one.
    void SetHandle(HICON h) { icon_.reset(h); }
    void Clear() { icon_.reset(); }
    bool Empty() const { return !icon_.valid(); }
    // A copy that the caller owns; null for an empty icon.
    HICON Copy() const { return icon_.valid() ? CopyIcon(icon_.get()) : nullptr; }

private:
    UniqueIcon icon_;
};

}  // namespace base

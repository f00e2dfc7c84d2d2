#include "base/fs.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "base/fsnames.h"

namespace fs {

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    if (n <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0], n, nullptr, nullptr);
    return narrow;
}

// A fixed-size wide text field up to its terminator.
std::string FieldText(const wchar_t* field, std::size_t capacity) {
    return Narrow(std::wstring(field, wcsnlen(field, capacity)));
}

std::wstring FullPathWide(const std::wstring& name) {
    std::wstring full;
    return TryFullPath(name, full) ? full : name;
}

std::wstring DirectoryWith(UINT (WINAPI *get)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH] = {};
    UINT n = get(buffer, MAX_PATH);
    std::wstring dir;
    if (n >= MAX_PATH) {
        dir.assign(n, L'\0');
        n = get(&dir[0], n);
        dir.resize(n < dir.size() ? n : 0);
    } else {
        dir.assign(buffer, n);
    }
    return dir;
}

std::string WithBackslash(std::string dir) {
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    return dir;
}

}  // namespace

bool TryFullPath(const std::wstring& name, std::wstring& full) {
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    DWORD capacity = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::wstring buffer(capacity, L'\0');
        const DWORD n = GetFullPathNameW(name.c_str(), capacity, &buffer[0], nullptr);
        if (n == 0) return false;
        if (n < capacity) {
            buffer.resize(n);
            full = buffer;
            return true;
        }
        capacity = n;  // the size needed, terminator included
    }
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

std::wstring Widen(const std::string& text) { return ToWide(CP_UTF8, text); }

std::string Narrow(const std::wstring& text) { return FromWide(CP_UTF8, text); }

std::wstring SystemPath(const std::string& name) {
    const std::wstring wide = Widen(name);
    if (wide.size() < kClassicPathLimit || HasLocalDevicePrefix(wide)) return wide;
    // The long form switches off the platform's own normalisation, so it is
    // built from the normalised full path.
    return LongForm(FullPathWide(wide));
}

std::string FullPath(const std::string& name) {
    const std::wstring wide = Widen(name);
    const std::wstring full = FullPathWide(wide);
    return full == wide ? name : Narrow(full);
}

DWORD GetAttributes(const std::string& name) { return GetFileAttributesW(SystemPath(name).c_str()); }

bool GetAttributesEx(const std::string& name, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(SystemPath(name).c_str(), GetFileExInfoStandard, &data) != FALSE;
}

bool SetAttributes(const std::string& name, DWORD attributes) {
    return SetFileAttributesW(SystemPath(name).c_str(), attributes) != FALSE;
}

HANDLE FindFirst(const std::string& name, WIN32_FIND_DATAW& data) {
    return FindFirstFileW(SystemPath(name).c_str(), &data);
}

HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileW(SystemPath(name).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

std::function<bool(std::uint64_t offset, void* out, std::size_t size)> ReaderAt(HANDLE file) {
    return [file](std::uint64_t offset, void* out, std::size_t size) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
        auto* p = static_cast<char*>(out);
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
            DWORD got = 0;
            if (!ReadFile(file, p, chunk, &got, nullptr) || got == 0) return false;
            p += got;
            size -= got;
        }
        return true;
    };
}

DWORD VersionInfoSize(const std::string& name, DWORD* handle) {
    const std::wstring path = SystemPath(name);
    SetLastError(0);
    return GetFileVersionInfoSizeW(path.c_str(), handle);
}

bool VersionInfo(const std::string& name, DWORD handle, DWORD size, void* block) {
    return GetFileVersionInfoW(SystemPath(name).c_str(), handle, size, block) != FALSE;
}

DWORD_PTR QueryShellInfo(const std::string& name, UINT flags, ShellInfo& info) {
    const std::wstring full = FullPathWide(ShellForm(Widen(name)));
    SHFILEINFOW answer{};
    DWORD_PTR result = 0;
    // The shell's query stops at the classic limit.
    if (full.size() < kClassicPathLimit) result = SHGetFileInfoW(full.c_str(), 0, &answer, sizeof answer, flags);
    if (!result) {
        answer = SHFILEINFOW{};
        DWORD attributes = GetFileAttributesW(LongForm(full).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_NORMAL;
        result = SHGetFileInfoW(NamePart(full).c_str(), attributes, &answer, sizeof answer,
                                flags | SHGFI_USEFILEATTRIBUTES);
    }
    info.icon = answer.hIcon;
    info.iconIndex = answer.iIcon;
    info.displayName = FieldText(answer.szDisplayName, MAX_PATH);
    info.typeName = FieldText(answer.szTypeName, 80);
    return result;
}

namespace {

// What follows the last dot of a file's name, the dot included; empty for a
// name without one. The shell's type name depends on this alone.
std::wstring ExtensionKey(const std::wstring& leaf) {
    const std::size_t dot = leaf.find_last_of(L'.');
    return dot == std::wstring::npos ? std::wstring() : leaf.substr(dot);
}

}  // namespace

ShellNameCache::ShellNameCache() = default;
ShellNameCache::~ShellNameCache() = default;

bool ShellNameCache::FolderNames(const std::wstring& folder, const std::wstring& leaf, std::wstring& display) {
    if (folder != folderPath_ || !folder_) {
        folder_.reset();
        folderPath_.clear();
        if (!desktop_ && FAILED(SHGetDesktopFolder(desktop_.put()))) return false;
        base::CoTaskMemPtr<ITEMIDLIST> pidl;
        PIDLIST_RELATIVE parsed = nullptr;
        std::wstring path = folder;
        if (FAILED(desktop_->ParseDisplayName(nullptr, nullptr, &path[0], nullptr, &parsed, nullptr))) return false;
        pidl.reset(parsed);
        if (FAILED(desktop_->BindToObject(pidl.get(), nullptr, IID_IShellFolder, folder_.put_void()))) return false;
        folderPath_ = folder;
    }
    PIDLIST_RELATIVE parsed = nullptr;
    std::wstring name = leaf;
    if (FAILED(folder_->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &parsed, nullptr))) return false;
    base::CoTaskMemPtr<ITEMIDLIST> child(parsed);
    STRRET text{};
    // The name the shell's file information gives: the one in its folder.
    if (FAILED(folder_->GetDisplayNameOf(child.get(), SHGDN_INFOLDER, &text))) return false;
    wchar_t buffer[MAX_PATH] = L"";
    if (FAILED(StrRetToBufW(&text, child.get(), buffer, MAX_PATH))) return false;
    display = buffer;
    return true;
}

DWORD_PTR ShellNameCache::Query(const std::string& name, ShellInfo& info) {
    constexpr UINT kFlags = SHGFI_DISPLAYNAME | SHGFI_TYPENAME;
    const std::wstring full = FullPathWide(ShellForm(Widen(name)));
    const std::size_t slash = full.find_last_of(L'\\');
    std::wstring display;
    if (full.size() >= kClassicPathLimit || slash == std::wstring::npos || slash + 1 == full.size() ||
        !FolderNames(full.substr(0, slash == 2 ? 3 : slash), full.substr(slash + 1), display))
        return QueryShellInfo(name, kFlags, info);
    const std::wstring key = ExtensionKey(full.substr(slash + 1));
    const auto type = types_.find(key);
    if (type == types_.end()) {
        // The first file of its extension: the full query, whose type name
        // is kept for the others.
        const DWORD_PTR result = QueryShellInfo(name, kFlags, info);
        if (result && Narrow(display) == info.displayName) types_.emplace(key, info.typeName);
        return result;
    }
    info = ShellInfo();
    info.displayName = Narrow(display);
    info.typeName = type->second;
    return 1;
}

std::string SystemDirectory() { return WithBackslash(Narrow(DirectoryWith(GetSystemDirectoryW))); }

std::string WindowsDirectory() { return WithBackslash(Narrow(DirectoryWith(GetWindowsDirectoryW))); }

void ExtractIcons(const std::string& file, int index, HICON* large, HICON* smallIcon) {
    ExtractIconExW(SystemPath(file).c_str(), index, large, smallIcon, 1);
}

}  // namespace fs

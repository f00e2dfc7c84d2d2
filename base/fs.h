// The file-system layer: every file-system call of the inspection components
// and the report goes through here. The program keeps its names as UTF-8
// std::string, whatever the system's code page; this layer converts them to
// UTF-16 and calls the platform's wide functions, so that names of any script and paths beyond
// the classic 260-unit limit reach the file. Absolute paths of 260 UTF-16
// units or more are passed in their "\\?\" form. Where the platform has no
// answer for a long or prefixed name (the shell's file information), the
// query falls back to the name part.
//
// Handles are returned raw, as the platform functions return them: the
// caller puts them into their owner at once.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "base/handles.h"

namespace fs {

// UTF-8 <-> UTF-16, whatever the system's code page. Bytes that are no
// UTF-8 become the replacement character; a lone surrogate becomes one too.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// The UTF-16 name the wide functions get: "\\?\" put in front of an absolute
// path of 260 units or more.
std::wstring SystemPath(const std::string& name);
// GetFullPathNameW: the absolute, normalised path; `name` itself on failure.
std::string FullPath(const std::string& name);
// The same on UTF-16 names; false, with the last error set, on failure.
bool TryFullPath(const std::wstring& name, std::wstring& full);

// GetFileAttributesW; INVALID_FILE_ATTRIBUTES on failure.
DWORD GetAttributes(const std::string& name);
// GetFileAttributesExW with the standard information level.
bool GetAttributesEx(const std::string& name, WIN32_FILE_ATTRIBUTE_DATA& data);
bool SetAttributes(const std::string& name, DWORD attributes);
// FindFirstFileW; INVALID_HANDLE_VALUE on failure. Close with FindClose.
HANDLE FindFirst(const std::string& name, WIN32_FIND_DATAW& data);
// CreateFileW; INVALID_HANDLE_VALUE on failure, with the last error set.
HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL);

// Reads `size` bytes at `offset` of the open `file` (ReadFile in chunks of at
// most 1 MiB, moving the file pointer); false on any failure or a short file.
// The handle must outlive the reader.
std::function<bool(std::uint64_t offset, void* out, std::size_t size)> ReaderAt(HANDLE file);

// GetFileVersionInfoSizeW. The last error is cleared first, so that a 0
// result that sets none reads as 0.
DWORD VersionInfoSize(const std::string& name, DWORD* handle);
// GetFileVersionInfoW. The block it fills is the one the single-byte
// VerQueryValueA reads (it keeps room for the converted strings).
bool VersionInfo(const std::string& name, DWORD handle, DWORD size, void* block);

// The shell's answer for a file, in the program's strings.
struct ShellInfo {
    HICON icon = nullptr;  // the caller owns it
    int iconIndex = 0;
    std::string displayName;
    std::string typeName;
};
// SHGetFileInfoW for `name` with `flags`, nonzero on success as the platform
// call. The shell is asked about the normalised full path (forward slashes,
// relative names, "." and "..", "\\?\" and "\??\" forms all resolved); when
// that query fails or the path is too long for it, it is asked again about
// the name part alone by its attributes (SHGFI_USEFILEATTRIBUTES), which
// gives the type, display name and icons that the extension carries.
DWORD_PTR QueryShellInfo(const std::string& name, UINT flags, ShellInfo& info);

// QueryShellInfo for SHGFI_DISPLAYNAME | SHGFI_TYPENAME alone, for many files
// in a row on one thread (which has COM initialised): the same answers at a
// fraction of the cost. The shell folder of the last folder asked about is
// kept, and each file is looked up in it instead of parsing its whole path
// from the desktop; the type name, which the shell derives from the
// extension alone, is kept per extension from a full query. Whatever the
// kept folder cannot answer goes to QueryShellInfo.
class ShellNameCache {
public:
    ShellNameCache();
    ~ShellNameCache();
    ShellNameCache(const ShellNameCache&) = delete;
    ShellNameCache& operator=(const ShellNameCache&) = delete;

    // As QueryShellInfo(name, SHGFI_DISPLAYNAME | SHGFI_TYPENAME, info).
    DWORD_PTR Query(const std::string& name, ShellInfo& info);

private:
    bool FolderNames(const std::wstring& folder, const std::wstring& leaf, std::wstring& display);

    base::ComPtr<IShellFolder> desktop_;
    std::wstring folderPath_;
    base::ComPtr<IShellFolder> folder_;
    std::map<std::wstring, std::string> types_;  // by extension, exactly as written
};

// GetSystemDirectoryW and GetWindowsDirectoryW.
std::string SystemDirectory();
std::string WindowsDirectory();
// ExtractIconExW for one icon, large and small.
void ExtractIcons(const std::string& file, int index, HICON* large, HICON* smallIcon);

}  // namespace fs

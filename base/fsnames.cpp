#include "base/fsnames.h"

namespace fs {

namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "X:\" or "X:/" at `pos`.
bool DriveRootAt(const std::wstring& path, std::size_t pos) {
    return path.size() >= pos + 3 && IsDriveLetter(path[pos]) && path[pos + 1] == L':' && IsSlash(path[pos + 2]);
}

bool UncAt(const std::wstring& path, std::size_t pos) {
    if (path.size() < pos + 4) return false;
    const std::wstring word = path.substr(pos, 3);
    return (word == L"UNC" || word == L"unc") && IsSlash(path[pos + 3]);
}

}  // namespace

bool HasLocalDevicePrefix(const std::wstring& path) {
    if (path.size() < 4 || !IsSlash(path[3]) || path[2] != L'?') return false;
    // "\\?\" (or "//?/") and the object-manager form "\??\".
    return (IsSlash(path[0]) && IsSlash(path[1])) || (path[0] == L'\\' && path[1] == L'?');
}

std::wstring LongForm(const std::wstring& fullPath) {
    if (DriveRootAt(fullPath, 0)) return L"\\\\?\\" + fullPath;
    if (fullPath.size() > 2 && fullPath[0] == L'\\' && fullPath[1] == L'\\' && fullPath[2] != L'?' &&
        fullPath[2] != L'.' && fullPath[2] != L'\\')
        return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return fullPath;
}

std::wstring ShellForm(const std::wstring& path) {
    std::wstring result = path;
    if (HasLocalDevicePrefix(result)) {
        if (DriveRootAt(result, 4))
            result.erase(0, 4);
        else if (UncAt(result, 4))
            result = L"\\\\" + result.substr(8);
    }
    return result;
}

std::wstring NamePart(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring DialogTargetPath(const std::wstring& folder, const std::wstring& typed,
                              const std::wstring& defaultExt) {
    std::wstring name = typed;
    if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"')
        name = name.substr(1, name.size() - 2);

    std::wstring path;
    const bool drive = name.size() >= 2 && name[1] == L':';
    const bool unc = name.size() >= 2 && IsSlash(name[0]) && IsSlash(name[1]);
    if (drive || unc) {
        path = name;
    } else if (!name.empty() && IsSlash(name[0])) {
        path = (folder.size() >= 2 && folder[1] == L':' ? folder.substr(0, 2) : std::wstring()) + name;
    } else {
        path = folder;
        if (!path.empty() && !IsSlash(path.back())) path += L'\\';
        path += name;
    }

    const std::wstring part = NamePart(path);
    if (!part.empty() && part.find(L'.') == std::wstring::npos && !defaultExt.empty())
        path += L"." + defaultExt;
    return path;
}

}  // namespace fs

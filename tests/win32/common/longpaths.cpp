#include "longpaths.h"

#include <windows.h>

#include <algorithm>

#include "base/handles.h"

namespace testutil {

std::wstring LongForm(const std::string& fullPath) {
    std::wstring w(fullPath.size() + 1, L'\0');
    w.resize(static_cast<size_t>(MultiByteToWideChar(
        CP_UTF8, 0, fullPath.c_str(), static_cast<int>(fullPath.size()), &w[0], static_cast<int>(w.size()))));
    return L"\\\\?\\" + w;
}

bool LongExists(const std::string& fullPath) {
    return GetFileAttributesW(LongForm(fullPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadLong(const std::string& fullPath) {
    base::UniqueFile f(CreateFileW(LongForm(fullPath).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (f && ReadFile(f.get(), buffer, sizeof buffer, &n, nullptr) && n) bytes.append(buffer, n);
    return bytes;
}

bool WriteLong(const std::string& fullPath, const std::string& bytes) {
    base::UniqueFile f(
        CreateFileW(LongForm(fullPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
           n == bytes.size();
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    base::UniqueFind find(FindFirstFileW((LongForm(folder) + L"\\*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        char narrow[MAX_PATH * 2] = {};
        WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
        names.push_back(narrow);
    } while (FindNextFileW(find.get(), &fd));
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveLongTree(const std::string& folder) {
    for (const std::string& name : Listing(folder)) {
        const std::string full = folder + "\\" + name;
        const std::wstring path = LongForm(full);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            RemoveLongTree(full);
        else
            DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(LongForm(folder).c_str());
}

LongTarget MakeLongTarget(const std::string& dir, size_t length, size_t nameLength) {
    const size_t sub = length - dir.size() - 1 - nameLength - 1;
    LongTarget t;
    t.folder = dir + "\\" + std::string(sub, 'd');
    CreateDirectoryW(LongForm(t.folder).c_str(), nullptr);
    t.path = t.folder + "\\" + std::string(nameLength - 4, 'r') + ".txt";
    return t;
}

}  // namespace testutil

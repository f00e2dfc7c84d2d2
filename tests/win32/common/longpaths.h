// File helpers of the tests for paths of any length: every call takes the
// extended-length form ("\\?\C:\..."), so that names beyond the 259
// characters of the single-byte calls are written, read, listed and removed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "testutil.h"

namespace testutil {

// `fullPath` (a full path in the system code page) in extended-length form.
std::wstring LongForm(const std::string& fullPath);
bool LongExists(const std::string& fullPath);
std::string ReadLong(const std::string& fullPath);
bool WriteLong(const std::string& fullPath, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::string& folder);
// Removes a folder and everything below it.
void RemoveLongTree(const std::string& folder);

// A folder `dir\ddd…d`, created, and a target `folder\rrr…r.txt` in it whose
// full path is exactly `length` characters, with a name of `nameLength`
// characters.
struct LongTarget {
    std::string folder, path;
};
LongTarget MakeLongTarget(const std::string& dir, size_t length, size_t nameLength);

// Files and folders made and removed through the wide "\\?\" form, which
// neither the code page nor MAX_PATH limits.
class WideFiles {
public:
    ~WideFiles() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            if (!DeleteFileW(LongForm(*it).c_str())) RemoveDirectoryW(LongForm(*it).c_str());
    }
    std::string Folder(const std::string& path) {
        if (CreateDirectoryW(LongForm(path).c_str(), nullptr)) made_.push_back(path);
        return path;
    }
    std::string File(const std::string& path, const std::string& bytes) {
        base::UniqueFile f(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (f && !bytes.empty()) WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (f) made_.push_back(path);
        return path;
    }
    std::string Copy(const std::string& from, const std::string& to) {
        if (CopyFileW(testutil::Utf16(from).c_str(), LongForm(to).c_str(), FALSE)) made_.push_back(to);
        return to;
    }
    // Removed with the rest, if it was made.
    void Adopt(const std::string& path) { made_.push_back(path); }

private:
    std::vector<std::string> made_;
};


}  // namespace testutil

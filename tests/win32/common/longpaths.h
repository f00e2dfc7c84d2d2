// File helpers of the tests for paths of any length: every call takes the
// extended-length form ("\\?\C:\..."), so that names beyond the 259
// characters of the single-byte calls are written, read, listed and removed.
#pragma once

#include <string>
#include <vector>

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

}  // namespace testutil

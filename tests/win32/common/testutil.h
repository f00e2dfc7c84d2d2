// Helpers of the tests that run under Wine: temporary folders with real
// files, message pumping, and answering the program's message boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testutil {

// A fresh folder under the system's temporary folder, removed with all its
// files (attributes reset first) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }  // ends without a backslash
    // Writes a file with the given bytes and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A file of `size` bytes that takes almost no disk space (sparse where the
// file system allows, else a size set by seeking).
bool MakeSparseFile(const std::string& path, std::uint64_t size);
std::string ReadAll(const std::string& path);

// Dispatches every waiting message of this thread.
void Pump();

// A message box seen by the program while a MessageBoxRecorder is alive.
struct ShownBox {
    std::string text;
    std::string caption;
    UINT flags;
};

// Answers every message box of the program with OK and records it.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    const std::vector<ShownBox>& boxes() const;
    void clear();
};

// A Windows path for a path of the build tree, which may be a Unix path.
std::string WindowsPath(const std::string& path);
// Text of a window.
std::string WindowText(HWND hwnd);
// Handle and GDI/USER object counts of this process.
struct ResourceCounts {
    DWORD handles, gdi, user;
};
ResourceCounts CurrentResources();

}  // namespace testutil

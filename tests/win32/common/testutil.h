// Helpers of the tests that run under Wine: temporary folders with real
// files, message pumping, and answering the program's message boxes.
#pragma once

#include <windows.h>
#include <shellapi.h>

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
// Shares everything while it reads, so that a test polling for a file never
// blocks the program that is about to replace it.
std::string ReadAll(const std::string& path);
// Deletes `path` as a user would right after a load: the signature check
// that follows every load holds the file, sharing reading only, for a moment,
// so a sharing violation is retried for up to two seconds. False when the
// file is still there.
bool DeleteLoadedFile(const std::string& path);
// A copy of a module's bytes (one of the built fixtures) whose RT_VERSION data
// entry states `size` instead of the resource's own size: the lie one flipped
// bit can tell. Empty when the image has no such entry.
std::string WithVersionResourceSize(const std::string& image, std::uint32_t size);
// `size` bytes of a fixed pseudo-random sequence started at `seed`.
std::string SeededBytes(std::size_t size, std::uint32_t seed);
// The lines of a text whose lines end in CR LF, without their ends; a rest
// after the last CR LF is one more line, so that it shows in a failure.
std::vector<std::string> SplitCrLf(const std::string& text);
// True when every line of `text` ends in CR LF, the last one too, and no line
// holds a CR or LF of its own.
bool EndsEveryLineInCrLf(const std::string& text);

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

// Opens `path` for writing, sharing reading and writing, as another program
// holding it open would; a file so held cannot be opened for the digest.
HANDLE OpenForWriting(const std::string& path);

// A Windows path for a path of the build tree, which may be a Unix path.
std::string WindowsPath(const std::string& path);
// Text of a window.
std::string WindowText(HWND hwnd);
// Handle and GDI/USER object counts of this process.
struct ResourceCounts {
    DWORD handles, gdi, user;
};
ResourceCounts CurrentResources();

// MD5 of `data` from the system's CryptoAPI, as 32 upper-case hex digits: a
// reference independent of the program's own digest.
std::string CryptoApiMd5(const std::string& data);
// Any digest the system's CryptoAPI knows (CALG_MD5, CALG_SHA1, CALG_SHA_256),
// as upper-case hex.
std::string CryptoApiHash(unsigned algorithm, const std::string& data);
// The counts of CurrentResources, taken one by one where the system's own
// counters read zero (Wine answers GetProcessHandleCount and GetGuiResources
// with 0): the kernel handles from the system's handle list, the GDI objects
// by probing the handle table, the USER objects as this process's windows.
ResourceCounts LiveResources();
// Private bytes of this process: PROCESS_MEMORY_COUNTERS_EX.PrivateUsage, or
// where that reads zero (Wine), the committed private pages of the address
// space.
std::size_t PrivateBytes();

// A real drop handle holding `paths`, as the shell builds it for WM_DROPFILES;
// the window that receives it releases it.
HDROP MakeDrop(const std::vector<std::string>& paths);
// The same with UTF-16 names (DROPFILES.fWide), as the shell of a Unicode
// system builds it; `paths` are UTF-8.
HDROP MakeWideDrop(const std::vector<std::string>& paths);

// UTF-8 <-> UTF-16, independent of the process's code page.
std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& utf16);

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::string& path);
// Runs `command` (no double quotes in it) in /bin/sh outside Wine and waits
// for it: a change to a file that Windows' sharing rules cannot refuse, as
// another program on the host makes it. False when it could not be run.
bool RunUnixShell(const std::string& command);

// Another program copying text: puts `text` (UTF-8) on the clipboard as CF_UNICODETEXT.
void PutOnClipboard(const std::string& text);
// The clipboard's text, or a note that it could not be opened.
std::string ClipboardText();

}  // namespace testutil

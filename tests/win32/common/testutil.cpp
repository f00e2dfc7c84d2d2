#include "testutil.h"

#include <gtest/gtest.h>
#include <psapi.h>
#include <shlobj.h>
#include <wincrypt.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "base/handles.h"
#include "base/messagebox.h"
#include "ui/application.h"

namespace testutil {

namespace {

std::vector<ShownBox>& Boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

int RecordBox(HWND, const std::string& text, const std::string& caption, UINT flags) {
    Boxes().push_back({text, caption, flags});
    return IDOK;
}

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAW fd;
    base::UniqueFind find(FindFirstFileW(Utf16(dir + "\\*").c_str(), &fd));
    if (find) {
        do {
            const std::string name = Utf8(fd.cFileName);
            if (name == "." || name == "..") continue;
            const std::string full = dir + "\\" + name;
            SetFileAttributesW(Utf16(full).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(Utf16(full).c_str());
        } while (FindNextFileW(find.get(), &fd));
    }
    find.reset();
    RemoveDirectoryW(Utf16(dir).c_str());
}

}  // namespace

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%svantrel-test-%lu-%u", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            break;
        }
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

namespace {

// The signature check after a load holds the file, sharing reading only, for
// a moment: a writer or a delete retries a sharing violation for up to two
// seconds, as a user's editor would. `attempt` returns true on success and
// leaves the last error set otherwise.
template <typename Attempt>
bool RetryWhileShared(Attempt attempt) {
    for (int tries = 0; tries < 400; ++tries) {
        if (attempt()) return true;
        if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
        Sleep(5);
    }
    return false;
}

}  // namespace

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string full = Path(name);
    base::UniqueFile f;
    RetryWhileShared([&] {
        f.reset(CreateFileW(Utf16(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(f);
    });
    // A write that fails (the file held open by the program, say) must not
    // leave a test judging the old bytes as if they were the new ones.
    if (!f) {
        ADD_FAILURE() << "cannot write " << full << ": error " << GetLastError();
        return full;
    }
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size()))
        ADD_FAILURE() << "cannot write " << full << ": error " << GetLastError();
    return full;
}

bool DeleteLoadedFile(const std::string& path) {
    return RetryWhileShared([&] { return DeleteFileW(Utf16(path).c_str()) != FALSE; });
}

bool MakeSparseFile(const std::string& path, std::uint64_t size) {
    base::UniqueFile f(CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD ret = 0;
    DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN) && SetEndOfFile(f.get());
}

std::string WithVersionResourceSize(const std::string& image, std::uint32_t size) {
    const auto u16 = [&image](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(image[at]) |
                                          static_cast<unsigned char>(image[at + 1]) << 8);
    };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    // The version data starts with its length, the value's length and the
    // type, then the key "VS_VERSION_INFO" in UTF-16.
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
    const std::size_t found = image.find(key);
    if (found == std::string::npos || found < 6) return "";
    const std::size_t data = found - 6;
    const std::uint32_t length = u16(data);
    // Its RVA through the section whose raw data holds it.
    const std::size_t nt = u32(0x3C);
    const std::size_t sections = nt + 24 + u16(nt + 20);
    std::uint32_t rva = 0;
    for (std::size_t i = 0; i < u16(nt + 6); ++i) {
        const std::size_t s = sections + 40 * i;
        const std::uint32_t va = u32(s + 12), rawSize = u32(s + 16), raw = u32(s + 20);
        if (data >= raw && data < std::size_t{raw} + rawSize)
            rva = static_cast<std::uint32_t>(data - raw + va);
    }
    if (rva == 0) return "";
    // The data entry: that RVA, then the size (the length, perhaps padded).
    for (std::size_t at = 0; at + 8 <= image.size(); at += 4) {
        if (u32(at) != rva || u32(at + 4) < length || u32(at + 4) > length + 3) continue;
        std::string patched = image;
        for (int i = 0; i < 4; ++i) patched[at + 4 + i] = static_cast<char>(size >> (8 * i));
        return patched;
    }
    return "";
}

std::string SeededBytes(std::size_t size, std::uint32_t seed) {
    std::string s(size, '\0');
    for (char& c : s) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return s;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    if (start != text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool EndsEveryLineInCrLf(const std::string& text) {
    if (text.empty()) return true;
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) return false;
    for (const std::string& line : SplitCrLf(text))
        if (line.find_first_of("\r\n") != std::string::npos) return false;
    return true;
}

std::string ReadAll(const std::string& path) {
    base::UniqueFile f(CreateFileW(Utf16(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    std::string data;
    if (!f) return data;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) data.append(buf, got);
    return data;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

MessageBoxRecorder::MessageBoxRecorder() {
    Boxes().clear();
    base::onMessageBox = RecordBox;
}
MessageBoxRecorder::~MessageBoxRecorder() { base::onMessageBox = nullptr; }
const std::vector<ShownBox>& MessageBoxRecorder::boxes() const { return Boxes(); }
void MessageBoxRecorder::clear() { Boxes().clear(); }

HANDLE OpenForWriting(const std::string& path) {
    return CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

std::string WindowsPath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (!p.empty() && p[0] == '\\') p = "Z:" + p;  // Wine's drive for the Unix root
    return p;
}

std::string WindowText(HWND hwnd) {
    wchar_t buf[4096];
    const int n = GetWindowTextW(hwnd, buf, static_cast<int>(sizeof buf / sizeof buf[0]));
    return Utf8(std::wstring(buf, n > 0 ? n : 0));
}

ResourceCounts CurrentResources() {
    ResourceCounts c{};
    GetProcessHandleCount(GetCurrentProcess(), &c.handles);
    c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return c;
}

std::string CryptoApiHash(unsigned algorithm, const std::string& data) {
    struct Provider {
        HCRYPTPROV h = 0;
        ~Provider() {
            if (h) CryptReleaseContext(h, 0);
        }
    } prov;
    struct Hash {
        HCRYPTHASH h = 0;
        ~Hash() {
            if (h) CryptDestroyHash(h);
        }
    } hash;
    BYTE digest[64];
    DWORD length = sizeof digest;
    // The AES provider is the one that knows SHA-256 as well.
    if (!CryptAcquireContextA(&prov.h, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
        !CryptCreateHash(prov.h, algorithm, 0, 0, &hash.h) ||
        !CryptHashData(hash.h, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()),
                       0) ||
        !CryptGetHashParam(hash.h, HP_HASHVAL, digest, &length, 0))
        return "CryptoAPI failed";
    std::string hex;
    char two[3];
    for (DWORD i = 0; i < length; ++i) {
        std::snprintf(two, sizeof two, "%02X", digest[i]);
        hex += two;
    }
    return hex;
}

std::string CryptoApiMd5(const std::string& data) { return CryptoApiHash(CALG_MD5, data); }

namespace {

// The system's handle list (SystemHandleInformation), one entry per handle of
// every process.
struct SystemHandleEntry {
    ULONG processId;
    BYTE objectType, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

DWORD CountKernelHandles() {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &needed)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    ULONG count;
    memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    DWORD mine = 0;
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].processId == GetCurrentProcessId()) ++mine;
    return mine;
}

// Wine resolves a GDI handle from its table index alone, so asking the type
// of every index finds every live object of the process.
DWORD CountGdiObjects() {
    DWORD live = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++live;
    return live;
}

BOOL CALLBACK CountWindow(HWND, LPARAM param) {
    ++*reinterpret_cast<DWORD*>(param);
    return TRUE;
}

BOOL CALLBACK CountOwnTopLevel(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    CountWindow(hwnd, param);
    EnumChildWindows(hwnd, CountWindow, param);
    return TRUE;
}

DWORD CountWindows() {
    DWORD windows = 0;
    EnumWindows(CountOwnTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

ResourceCounts LiveResources() {
    ResourceCounts c = CurrentResources();
    if (c.handles == 0) c.handles = CountKernelHandles();
    if (c.gdi == 0) c.gdi = CountGdiObjects();
    if (c.user == 0) c.user = CountWindows();
    return c;
}

std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    if (pmc.PrivateUsage) return pmc.PrivateUsage;
    std::size_t committed = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (ULONG_PTR address = 0;
         VirtualQuery(reinterpret_cast<LPCVOID>(address), &mbi, sizeof mbi) == sizeof mbi;) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) committed += mbi.RegionSize;
        const ULONG_PTR next = reinterpret_cast<ULONG_PTR>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return committed;
}

HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const auto& p : paths) size += p.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND, size);
    if (!mem) return nullptr;
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = FALSE;
    char* out = reinterpret_cast<char*>(df) + sizeof(DROPFILES);
    for (const auto& p : paths) {
        memcpy(out, p.c_str(), p.size() + 1);
        out += p.size() + 1;
    }
    GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

HDROP MakeWideDrop(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const auto& p : paths) names += Utf16(p) + L'\0';
    names += L'\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    if (!mem) return nullptr;
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

std::wstring Utf16(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

std::string Utf8(const std::wstring& utf16) {
    if (utf16.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), &s[0], n, nullptr, nullptr);
    return s;
}

}  // namespace testutil

namespace testutil {

std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    wchar_t wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, MAX_PATH * 2)) return std::string();
    char* unix = toUnix(wide);
    if (!unix) return std::string();
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool RunUnixShell(const std::string& command) {
    // Wine hands out no handle of a Unix process: the command leaves a mark
    // when it is done, and the mark is waited for.
    char dir[MAX_PATH], mark[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, dir) || !GetTempFileNameA(dir, "unx", 0, mark)) return false;
    DeleteFileA(mark);
    const std::string unixMark = UnixPath(mark);
    if (unixMark.empty()) return false;
    std::string line = "/bin/sh -c \"" + command + "; : > '" + unixMark + "'\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    base::UniqueFile process(pi.hProcess), thread(pi.hThread);
    for (int i = 0; i < 2000; ++i) {
        if (GetFileAttributesA(mark) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileA(mark);
            return true;
        }
        Sleep(5);
    }
    return false;
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard not opened)";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h))) text = Utf8(p);
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

void PutOnClipboard(const std::string& text) {
    const std::wstring wide = Utf16(text);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(nullptr, mem);
    memcpy(GlobalLock(mem), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

}  // namespace testutil

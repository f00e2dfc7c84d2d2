#include "testutil.h"

#include <winioctl.h>

#include <cstdio>

#include "ui/application.h"
#include "ui/handles.h"

namespace testutil {

namespace {

std::vector<ShownBox>& Boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

int RecordBox(HWND, const char* text, const char* caption, UINT flags) {
    Boxes().push_back({text, caption, flags});
    return IDOK;
}

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    ui::UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &fd));
    if (find) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = dir + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(find.get(), &fd));
    }
    find.reset();
    RemoveDirectoryA(dir.c_str());
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

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string full = Path(name);
    ui::UniqueFile f(CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    DWORD written = 0;
    if (f && !bytes.empty()) WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return full;
}

bool MakeSparseFile(const std::string& path, std::uint64_t size) {
    ui::UniqueFile f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!f) return false;
    DWORD ret = 0;
    DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN) && SetEndOfFile(f.get());
}

std::string ReadAll(const std::string& path) {
    ui::UniqueFile f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

MessageBoxRecorder::MessageBoxRecorder() {
    Boxes().clear();
    ui::Application().SetMessageBoxHook(RecordBox);
}
MessageBoxRecorder::~MessageBoxRecorder() { ui::Application().SetMessageBoxHook(nullptr); }
const std::vector<ShownBox>& MessageBoxRecorder::boxes() const { return Boxes(); }
void MessageBoxRecorder::clear() { Boxes().clear(); }

std::string WindowsPath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (!p.empty() && p[0] == '\\') p = "Z:" + p;  // Wine's drive for the Unix root
    return p;
}

std::string WindowText(HWND hwnd) {
    char buf[4096];
    const int n = GetWindowTextA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

ResourceCounts CurrentResources() {
    ResourceCounts c{};
    GetProcessHandleCount(GetCurrentProcess(), &c.handles);
    c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return c;
}

}  // namespace testutil

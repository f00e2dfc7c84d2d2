// A whole load in the real main window, timed and weighed.
//
//   vantrel_bench_load load PATH [RUNS]   seconds from giving the name box
//                                         PATH to the return of the load (one
//                                         pass computes checksum and digest),
//                                         one line "seconds S" per run
//   vantrel_bench_load memory PATH        peak private memory of the process
//                                         above its idle level during a load
//                                         (the second of two)
//
// Each timed run loads another small file first, so that the name box
// changes and the whole load runs again. The runner script
// bench/run-load-bench.sh compares the times with md5sum's on the same file.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/window/frmMain.h"
#include "ui/application.h"
#include "base/handles.h"
#include "base/messagebox.h"
#include "base/product.h"

using namespace frmMain;

namespace {

int g_boxes = 0;

int CountBox(HWND, const std::string& text, const std::string&, UINT) {
    std::fprintf(stderr, "message box: %s\n", text.c_str());
    ++g_boxes;
    return IDOK;
}

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A small file next to the system's temporary folder, for switching names.
std::string SmallFile() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "vantrel-bench-small.txt";
    base::UniqueFile f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (f) WriteFile(f.get(), "small", 5, &written, nullptr);
    return path;
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return pmc;
}

double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }

int TimeLoads(TForm1& form, const std::string& path, int runs) {
    const std::string small = SmallFile();
    for (int i = 0; i < runs; ++i) {
        form.SetText(edt1, small);
        const double t0 = Now();
        form.SetText(edt1, path);
        std::printf("seconds %.6f\n", Now() - t0);
    }
    DeleteFileA(small.c_str());
    std::printf("CRC %s  MD5 %s\n", form.Text(edt17).c_str(), form.Text(edt18).c_str());
    return g_boxes ? 1 : 0;
}

int WeighLoad(TForm1& form, const std::string& path) {
    // A first load sets up what lives as long as the window (the shell's
    // icons and caches, the taskbar object of the busy display), so that only
    // the load's own memory is weighed: private memory sampled at every tick
    // of the second load against the level before it.
    form.SetText(edt1, path);
    form.SetText(edt1, "");
    const PROCESS_MEMORY_COUNTERS_EX idle = Memory();
    SIZE_T peak = idle.PrivateUsage, peakWorking = idle.WorkingSetSize;
    form.LoadPass().onTick = [&](std::uint64_t, std::uint64_t) {
        const PROCESS_MEMORY_COUNTERS_EX now = Memory();
        if (now.PrivateUsage > peak) peak = now.PrivateUsage;
        if (now.WorkingSetSize > peakWorking) peakWorking = now.WorkingSetSize;
    };
    form.SetText(edt1, path);
    form.LoadPass().onTick = nullptr;
    const double peakAbove = static_cast<double>(peak) - static_cast<double>(idle.PrivateUsage);
    const double workingAbove = static_cast<double>(peakWorking) - static_cast<double>(idle.WorkingSetSize);
    std::printf("load %.0f MiB: peak private memory %.1f MiB above idle (target <= 8 MiB), "
                "peak working set %.1f MiB above idle\n",
                MiB(static_cast<double>(FileSize(path))), MiB(peakAbove), MiB(workingAbove));
    std::printf("CRC %s  MD5 %s\n", form.Text(edt17).c_str(), form.Text(edt18).c_str());
    std::printf("peak_private_mib %.1f\n", MiB(peakAbove));
    return g_boxes ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: vantrel_bench_load load|memory PATH [RUNS]\n");
        return 2;
    }
    const std::string mode = argv[1], path = argv[2];
    base::OleApartment ole;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    ui::Application().SetTitle(kProductTitle);
    base::onMessageBox = CountBox;
    TForm1 form("vantrel.exe");
    if (mode == "memory") return WeighLoad(form, path);
    return TimeLoads(form, path, argc > 3 ? std::atoi(argv[3]) : 3);
}

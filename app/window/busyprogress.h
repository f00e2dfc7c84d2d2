// The busy display of a load: once a load has been running for longer than a
// short delay, the cursor shows busy and the window's taskbar button shows
// the load's progress; both go when the load ends. A load calls Begin once at
// its start, Step as it reads, and End once on every path.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstdint>

#include "base/handles.h"

class BusyProgress {
public:
    // `window` carries the taskbar button; `delayMs` is how long a load runs
    // before the busy display appears.
    explicit BusyProgress(HWND window, DWORD delayMs = 500);
    ~BusyProgress();
    BusyProgress(const BusyProgress&) = delete;
    BusyProgress& operator=(const BusyProgress&) = delete;

    void Begin();
    void Step(std::uint64_t done, std::uint64_t total);
    void End();

    // Milliseconds since Begin.
    DWORD Elapsed() const { return GetTickCount() - started_; }
    DWORD Delay() const { return delay_; }

private:
    void Show();
    void Hide();

    HWND window_;
    DWORD delay_;
    DWORD started_ = 0;
    bool showing_ = false;
    unsigned lastPermille_ = ~0u;
    HCURSOR previousCursor_ = nullptr;
    bool taskbarTried_ = false;
    base::ComPtr<ITaskbarList3> taskbar_;
};

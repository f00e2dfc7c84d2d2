// Keeps a window alive while its GUI thread reads a large file.
//
// Between chunks it lets windows paint and answers messages sent to the
// thread, so the window is redrawn and never counts as not responding. Input
// and posted messages stay queued until the read is over: no handler can start
// inside a load. Once a load has been reading for longer than a short delay,
// the cursor shows busy and the window's taskbar button shows the progress of
// the current read; both go when the load ends. A load may read its file more
// than once (the digest reads again when the checksum's pass could not serve
// it); reads that follow each other closely count as one load, so the busy
// display neither flickers nor waits the delay again between them.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstdint>

#include "components/filereader.h"
#include "base/handles.h"

class BusyProgress : public ReadProgress {
public:
    // `window` carries the taskbar button; `delayMs` is how long a load reads
    // before the busy display appears.
    explicit BusyProgress(HWND window, DWORD delayMs = 500);
    ~BusyProgress() override;
    BusyProgress(const BusyProgress&) = delete;
    BusyProgress& operator=(const BusyProgress&) = delete;

    void Begin(std::uint64_t total) override;
    void Step(std::uint64_t done, std::uint64_t total) override;
    void End() override;

    // True while the busy cursor and the taskbar progress are shown.
    bool Showing() const { return showing_; }

private:
    void Show();
    void Hide();
    void ShowProgress(std::uint64_t done, std::uint64_t total);
    static void CALLBACK HideTimer(HWND window, UINT msg, UINT_PTR id, DWORD time);

    HWND window_;
    DWORD delay_;
    DWORD loadStarted_ = 0;   // tick count at the first read of the load
    DWORD lastEnded_ = 0;     // tick count at the end of the last read
    bool reading_ = false;
    bool loadOpen_ = false;   // a read ended and the next may continue the load
    bool showing_ = false;
    DWORD lastPump_ = 0;
    unsigned lastPermille_ = ~0u;
    HCURSOR previousCursor_ = nullptr;
    bool taskbarTried_ = false;
    base::ComPtr<ITaskbarList3> taskbar_;
};

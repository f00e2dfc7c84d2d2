#include "app/window/busyprogress.h"

BusyProgress::BusyProgress(HWND window, DWORD delayMs) : window_(window), delay_(delayMs) {}

BusyProgress::~BusyProgress() { Hide(); }

void BusyProgress::Begin() {
    Hide();
    started_ = GetTickCount();
    lastPermille_ = ~0u;
}

void BusyProgress::Step(std::uint64_t done, std::uint64_t total) {
    if (!showing_ && Elapsed() >= delay_) Show();
    if (!showing_) return;
    // The taskbar cannot show finer steps; fewer calls cost the read less.
    const unsigned permille = total ? static_cast<unsigned>(done * 1000 / total) : 1000;
    if (permille == lastPermille_) return;
    lastPermille_ = permille;
    // The taskbar's progress is a courtesy: a refusal leaves the cursor to show it.
    if (taskbar_) (void)taskbar_->SetProgressValue(window_, permille, 1000);
}

void BusyProgress::End() { Hide(); }

void BusyProgress::Show() {
    showing_ = true;
    previousCursor_ = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    if (!taskbarTried_) {
        taskbarTried_ = true;
        // Not every shell offers the taskbar object; the cursor then suffices.
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    taskbar_.put_void())) ||
            FAILED(taskbar_->HrInit()))
            taskbar_.reset();
    }
    if (taskbar_) (void)taskbar_->SetProgressState(window_, TBPF_NORMAL);  // a courtesy, as above
}

void BusyProgress::Hide() {
    if (!showing_) return;
    showing_ = false;
    if (taskbar_) (void)taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);  // a courtesy, as above
    SetCursor(previousCursor_);
}

#include "app/busyprogress.h"

namespace {

// Reads that start within this time of the previous read's end belong to the
// same load (the refresh between the checksum and the digest takes far less).
constexpr DWORD kSameLoadMs = 250;
// Paint and sent messages are looked at this often, well inside the time after
// which the system calls a window hung.
constexpr DWORD kPumpEveryMs = 15;
// A window whose paint handler never validates must not hold the read forever.
constexpr int kMaxMessagesPerPump = 64;

void PumpPaintAndSent() {
    MSG msg;
    for (int i = 0; i < kMaxMessagesPerPump; ++i) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) break;
        DispatchMessageA(&msg);
    }
}

}  // namespace

BusyProgress::BusyProgress(HWND window, DWORD delayMs) : window_(window), delay_(delayMs) {}

BusyProgress::~BusyProgress() {
    KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
    Hide();
}

void BusyProgress::Begin(std::uint64_t) {
    const DWORD now = GetTickCount();
    KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
    if (!(loadOpen_ && now - lastEnded_ <= kSameLoadMs)) {
        Hide();
        loadStarted_ = now;
    }
    loadOpen_ = false;
    reading_ = true;
    lastPump_ = now;
    lastPermille_ = ~0u;
}

void BusyProgress::Step(std::uint64_t done, std::uint64_t total) {
    const DWORD now = GetTickCount();
    if (now - lastPump_ >= kPumpEveryMs) {
        PumpPaintAndSent();
        lastPump_ = now;
    }
    if (!showing_ && now - loadStarted_ >= delay_) Show();
    if (showing_) ShowProgress(done, total);
}

void BusyProgress::End() {
    reading_ = false;
    loadOpen_ = true;
    lastEnded_ = GetTickCount();
    // The load ends when the thread next waits for messages; a read that
    // follows before that continues it.
    if (showing_ && !SetTimer(window_, reinterpret_cast<UINT_PTR>(this), USER_TIMER_MINIMUM, &HideTimer)) Hide();
}

void CALLBACK BusyProgress::HideTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    auto* self = reinterpret_cast<BusyProgress*>(id);
    if (!self->reading_) self->Hide();
}

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
    if (taskbar_) taskbar_->SetProgressState(window_, TBPF_NORMAL);
}

void BusyProgress::ShowProgress(std::uint64_t done, std::uint64_t total) {
    // The taskbar cannot show finer steps; fewer calls cost the read less.
    const unsigned permille = total ? static_cast<unsigned>(done * 1000 / total) : 1000;
    if (permille == lastPermille_) return;
    lastPermille_ = permille;
    if (taskbar_) taskbar_->SetProgressValue(window_, permille, 1000);
}

void BusyProgress::Hide() {
    if (!showing_) return;
    showing_ = false;
    if (taskbar_) taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
    SetCursor(previousCursor_);
}

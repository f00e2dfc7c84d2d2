#include "app/window/windowpass.h"

#include <cstdio>
#include <utility>

namespace {

// A window whose paint handler never validates must not hold the pass.
constexpr int kMaxMessagesPerPump = 64;
// The progress text changes no more often than this.
constexpr DWORD kProgressTextEveryMs = 250;

// Message ranges in which a stopping input may wait. Ranges of input are
// emptied of everything else; the single messages are only looked at.
struct Range {
    UINT first, last;
    bool input;
};
constexpr Range kWatched[] = {
    {WM_KEYFIRST, WM_KEYLAST, true},
    {WM_MOUSEFIRST, WM_MOUSELAST, true},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, true},
    {WM_CLOSE, WM_CLOSE, false},
    {WM_DROPFILES, WM_DROPFILES, false},
    {WM_SYSCOMMAND, WM_SYSCOMMAND, false},
};

}  // namespace

template <typename Pass>
auto WindowPass::Running(Pass&& pass)
    -> decltype(pass(std::declval<CancelToken&>(), std::declval<PassTick>())) {
    CancelToken cancel;
    cancel_ = &cancel;
    progressShown_ = false;
    longPass_ = false;
    started_ = GetTickCount();
    lastText_ = 0;
    struct Reset {
        WindowPass& p;
        ~Reset() {
            p.cancel_ = nullptr;
            if (p.progressShown_ && p.showProgress) p.showProgress(std::wstring());
            p.progressShown_ = false;
        }
    } reset{*this};
    return pass(cancel, [this](std::uint64_t done, std::uint64_t total) { Tick(done, total); });
}

PassResult WindowPass::Run(HANDLE file, const std::string& name, const PassFeeds& feeds) {
    return Running([&](CancelToken& cancel, const PassTick& tick) {
        return RunFilePass(file, name, feeds, cancel, tick);
    });
}

CompareResult WindowPass::Compare(const std::string& first, const std::string& second) {
    return Running([&](CancelToken& cancel, const PassTick& tick) {
        // Shared as the load shares the file it reads.
        return CompareFiles(first, second, cancel, tick, FILE_SHARE_READ | FILE_SHARE_WRITE);
    });
}

void WindowPass::Stop() {
    if (cancel_) cancel_->Stop();
}

void WindowPass::Tick(std::uint64_t done, std::uint64_t total) {
    if (!longPass_) {
        longPass_ = true;
        if (onLongPass) onLongPass();
    }
    Pump();
    busy_.Step(done, total);
    const DWORD now = GetTickCount();
    if (showProgress && busy_.Elapsed() >= busy_.Delay() &&
        (!progressShown_ || now - lastText_ >= kProgressTextEveryMs)) {
        progressShown_ = true;
        lastText_ = now;
        showProgress(ProgressText(done, total, (now - started_) / 1000.0));
    }
    if (onTick) onTick(done, total);
}

void WindowPass::Pump() {
    // One look at the queue's state first: most ticks find nothing waiting,
    // and every look at the queue costs the read a call to the system.
    if (!HIWORD(GetQueueStatus(QS_ALLINPUT | QS_ALLPOSTMESSAGE))) return;
    MSG msg;
    // Paint and messages sent from other threads (answered inside PeekMessage).
    for (int i = 0; i < kMaxMessagesPerPump; ++i) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) break;
        DispatchMessageW(&msg);
    }
    for (const Range& r : kWatched) {
        for (int i = 0; i < kMaxMessagesPerPump; ++i) {
            if (!PeekMessageW(&msg, nullptr, r.first, r.last, PM_NOREMOVE | PM_NOYIELD)) break;
            const Stopping stopping = stopsPass ? stopsPass(msg) : Stopping::No;
            if (stopping != Stopping::No) {
                if (stopping == Stopping::AndTake)
                    PeekMessageW(&msg, nullptr, r.first, r.last, PM_REMOVE | PM_NOYIELD);
                Stop();
                return;
            }
            if (!r.input) break;
            PeekMessageW(&msg, nullptr, r.first, r.last, PM_REMOVE | PM_NOYIELD);
        }
    }
}

std::wstring WindowPass::ProgressText(std::uint64_t done, std::uint64_t total, double seconds) {
    const unsigned percent = total ? static_cast<unsigned>(done * 100 / total) : 100;
    const double mbPerSecond = seconds > 0 ? static_cast<double>(done) / seconds / 1e6 : 0;
    wchar_t text[80];
    std::swprintf(text, sizeof text / sizeof text[0], L"Reading %u%% \u00B7 %.0f MB/s \u00B7 Esc stops",
                  percent, mbPerSecond);
    return text;
}

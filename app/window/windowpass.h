// The window side of a pass over a file (components/filepass.h) during a
// load: the pass runs on the GUI thread while the window keeps painting and
// answering messages sent to it; the busy display follows it and, once the
// load has run for the busy delay, a progress text shows how far it is, how
// fast it goes and how to stop it. Inputs that stop a load (the form says
// which) stop the pass and stay queued, to be acted on after it; any other
// input that arrives meanwhile is not acted on and is dropped. Posted
// messages that are not input stay queued.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/window/busyprogress.h"
#include "components/comparepass.h"
#include "components/filepass.h"

class WindowPass {
public:
    explicit WindowPass(BusyProgress& busy) : busy_(busy) {}
    WindowPass(const WindowPass&) = delete;
    WindowPass& operator=(const WindowPass&) = delete;

    // Runs one pass (RunFilePass) with the window's pump and progress. Not
    // re-entered: a handler that runs inside the pump calls Stop instead.
    PassResult Run(HANDLE file, const std::string& name, const PassFeeds& feeds);
    // Compares two files side by side (CompareFiles) with the same pump,
    // progress and stops.
    CompareResult Compare(const std::string& first, const std::string& second);
    // Stops the running pass within one tick; nothing when none runs.
    void Stop();
    bool Running() const { return cancel_ != nullptr; }

    // Whether a queued message stops the pass, and whether it then stays
    // queued to be acted on after the pass or is taken as the stop itself.
    enum class Stopping { No, AndKeep, AndTake };
    std::function<Stopping(const MSG&)> stopsPass;
    // Shows the progress text; an empty text takes it away.
    std::function<void(const std::wstring&)> showProgress;
    // Once per pass, at its first tick: the pass takes longer than a moment.
    std::function<void()> onLongPass;
    // At every tick, with the bytes fed so far and the total.
    std::function<void(std::uint64_t done, std::uint64_t total)> onTick;

    // "Reading 37% · 690 MB/s · Esc stops".
    static std::wstring ProgressText(std::uint64_t done, std::uint64_t total, double seconds);

private:
    // Runs `pass` with a fresh token and the tick, and takes the progress away after it.
    template <typename Pass>
    auto Running(Pass&& pass) -> decltype(pass(std::declval<CancelToken&>(), std::declval<PassTick>()));
    void Tick(std::uint64_t done, std::uint64_t total);
    void Pump();

    BusyProgress& busy_;
    CancelToken* cancel_ = nullptr;
    bool progressShown_ = false;
    bool longPass_ = false;
    DWORD started_ = 0;
    DWORD lastText_ = 0;
};

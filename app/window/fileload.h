// The main window's load as one object: the pass over the file with its busy
// display and progress, and the inputs that arrive while it runs. One load at
// a time: a change of the name during a load stops the running pass and is
// loaded when that load has ended; inputs that stop a load (closing, a drop,
// Clear, Exit) are held and acted on after it, in their order.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/busyprogress.h"
#include "app/window/windowpass.h"

class FileLoad {
public:
    // `window` carries the busy display and receives the held inputs again.
    explicit FileLoad(HWND window);
    FileLoad(const FileLoad&) = delete;
    FileLoad& operator=(const FileLoad&) = delete;

    // Runs `change` as the load of the name, and again for as long as the
    // name changed meanwhile (Restart). The held inputs are posted to the
    // window when it ends, on every path.
    void Run(const std::function<void()>& change);
    // True from the start to the end of Run, its messages included.
    bool Running() const { return running_; }
    // The name changed during the load: its pass stops and Run loads again.
    void Restart();
    // Holds an input for after the load and stops the pass.
    void Hold(UINT msg, WPARAM wp, LPARAM lp);

    // One pass over a file with the busy display, progress and stops, inside
    // a load or outside one (digests computed on demand).
    PassResult Pass(HANDLE file, const std::string& name, const PassFeeds& feeds);
    // The compare of two files, with the busy display, progress and stops.
    CompareResult Compare(const std::string& first, const std::string& second);
    // The pass object (its hooks, whether one runs, the stop).
    WindowPass& CurrentPass() { return pass_; }

    // The busy display for as long as the object lives, around a whole load.
    class Busy {
    public:
        explicit Busy(FileLoad& load) : busy_(load.busy_) { busy_.Begin(); }
        ~Busy() { busy_.End(); }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        BusyProgress& busy_;
    };

private:
    HWND window_;
    BusyProgress busy_;
    WindowPass pass_;
    bool running_ = false;
    bool restart_ = false;
    std::vector<MSG> held_;
};

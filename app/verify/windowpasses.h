// Passes over a file run the way the window's load runs its own: with its
// busy display, progress text and stops. The digests computed on demand read
// through it, so that they look and stop like a load.
#pragma once

#include <windows.h>

#include <string>

#include "components/filepass.h"

class WindowPasses {
public:
    // True while a pass runs; no second one starts inside it.
    virtual bool PassRunning() const = 0;
    // One pass over `file` (opened by `name`) that feeds `feeds`.
    virtual PassResult RunPass(HANDLE file, const std::string& name, const PassFeeds& feeds) = 0;

protected:
    ~WindowPasses() = default;
};

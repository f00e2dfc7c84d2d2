// Reading a whole file in bounded chunks, reporting progress to whoever
// watches long reads (the main window keeps painting and shows progress).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

// Size of one read: large enough for full disk speed, small enough to keep
// memory flat for files of any size.
constexpr std::size_t kReadChunk = 1u << 20;

// Receives the progress of long reads on the reading thread.
class ReadProgress {
public:
    virtual ~ReadProgress() = default;
    virtual void Begin(std::uint64_t total) = 0;
    virtual void Step(std::uint64_t done, std::uint64_t total) = 0;
    virtual void End() = 0;
};

// The watcher of long reads; null (the default) for none.
void SetReadProgress(ReadProgress* progress);

// Reads `file` from its current position to its end, handing each chunk to
// `sink`. False when a read fails, or returns nothing before the size known at
// the start was reached; the file then was not read whole.
bool ReadChunks(HANDLE file, const std::function<void(const unsigned char*, std::size_t)>& sink);

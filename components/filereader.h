// Reading a whole file in bounded chunks, reporting progress to whoever
// watches long reads (the main window keeps painting and shows progress).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

// Size of one read: large enough for full disk speed, small enough to keep
// memory flat for files of any size and to let a watcher act often.
constexpr std::size_t kReadChunk = 1u << 20;

// Watches long reads. All calls come on the reading thread: Begin once with
// the number of bytes to read, Step after every chunk, End once on every path
// (failure and exceptions from the sink included).
class ReadProgress {
public:
    virtual ~ReadProgress() = default;
    virtual void Begin(std::uint64_t total) = 0;
    virtual void Step(std::uint64_t done, std::uint64_t total) = 0;
    virtual void End() = 0;
};

// Installs the watcher of long reads (null for none, the default) and returns
// the one installed before.
ReadProgress* SetReadProgress(ReadProgress* progress);

// Reads `file` from its current position to the end it had when the call
// began, handing each chunk to `sink` in order. The size is taken once, so a
// file that grows meanwhile is read to its old end; positions are 64-bit.
// False, with the last error set, when a read fails or the file ends early
// (it shrank): the data were then not read whole and `sink` saw only part.
// Exceptions from `sink` or from allocating the chunk buffer pass through.
bool ReadChunks(HANDLE file, const std::function<void(const unsigned char*, std::size_t)>& sink);

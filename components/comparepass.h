// One pass over two files side by side, byte by byte, that stops at the
// first difference: each file is read once, sequentially, on a reader thread
// of its own (small files on the calling thread alone), while the calling
// thread compares what both gave and counts the line feeds, as cmp counts
// lines. Both files' versions are taken before the read and looked at again
// after it: a compare whose files changed on the way is never "the same".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "components/filepass.h"

enum class CompareOutcome {
    Same,           // same length, same bytes
    SameFile,       // both names open the same file (a hard link, another spelling): nothing read
    Differs,        // the first difference is at `offset`
    FirstShorter,   // the first is a start of the second; it ends at `offset`
    SecondShorter,  // the second is a start of the first; it ends at `offset`
    Stopped,        // the token was stopped
    Changed,        // file `which` changed or went while it was read
    OpenFailed,     // file `which` could not be opened: `error`
    ReadFailed,     // a read of file `which` failed: `error`
    NotAFile,       // file `which` is a device, a pipe or a folder
};

struct CompareResult {
    CompareOutcome outcome = CompareOutcome::Same;
    int which = 0;                // 0: the first file, 1: the second
    DWORD error = ERROR_SUCCESS;  // OpenFailed, ReadFailed
    std::uint64_t offset = 0;     // 0-based: the first differing byte, or the shorter's length
    std::uint64_t lineFeeds = 0;  // line feeds before `offset`
    bool endsInLineFeed = false;  // the byte before `offset` is a line feed
    FileStamp stamps[2];          // the versions compared
};

// Compares the files `first` and `second`, opened with `share` as their
// share mode. `tick` is called on this thread at least every kPassTickMs with
// the bytes compared and the bytes to compare; it may stop the token.
CompareResult CompareFiles(const std::string& first, const std::string& second, const CancelToken& cancel,
                           const PassTick& tick = {}, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE);

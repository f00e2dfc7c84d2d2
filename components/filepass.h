// One read of a whole file that feeds any number of streaming consumers
// (digestsink.h), with progress, a stop, and a check that the bytes read are
// the file's: a pass counts as done only when the file was read whole and
// still is, after the read, what it was before it.
//
// Large files are read by a reader thread into a small ring of buffers
// (readring.h); the consumers marked `reader` (cheap kernels such as the CRC)
// run on that thread as each buffer arrives, the `caller` consumers (MD5 and
// other serial digests) on the calling thread beside it, and each `workers`
// consumer on a thread of its own; every one sees every buffer, and a buffer
// is read into again only when all have had it. Small files are read on the
// calling thread alone. Memory stays at the ring's few buffers whatever the
// file's size and however many consumers there are.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "components/digestsink.h"
#include "components/readring.h"

// Size of one read and of one buffer of the ring.
constexpr std::size_t kReadChunk = 1u << 20;
// Buffers in the ring: the reader may run this far ahead of the digest.
constexpr std::size_t kRingSlots = 4;
// How often the calling thread gets the tick, also while it waits.
constexpr unsigned kPassTickMs = 15;

// Reads `want` bytes of `file` into `buffer`; false with the error when the
// read fails or the file ends early (ERROR_HANDLE_EOF).
bool ReadExactly(HANDLE file, unsigned char* buffer, DWORD want, DWORD& error);

// Opens a file to be read whole, sequentially, with `share` as the share
// mode. Every open of an inspected file for its contents goes through here.
// Returns INVALID_HANDLE_VALUE with the last error set on failure.
HANDLE OpenFileForReading(const std::string& name, DWORD share);
// The failure of such an open, with `error` its last error: "Cannot open file
// "<full path>". <reason>".
base::Exception CannotOpenFile(const std::string& name, DWORD error);

enum class PassOutcome {
    Done,     // read whole; the file is unchanged
    Stopped,  // the token was stopped
    Changed,  // a read failed or came short, or size or last-write time differ afterwards
    Gone,     // the name no longer names a file after the read
};

// One version of one file: which file (volume and file index), how long,
// when last written.
struct FileStamp {
    bool known = false;
    DWORD volume = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    FILETIME lastWrite{};
};
// The version `file` is now; not known when the system cannot say.
FileStamp StampOf(HANDLE file);
// True when both are known and the same version of the same file.
bool SameStamp(const FileStamp& a, const FileStamp& b);
// True when `path` still names the version `stamp` describes. The look opens
// the name without access to the contents, so it takes nothing from another
// program, whatever that program shares.
bool StillTheVersion(const std::string& path, const FileStamp& stamp);

struct PassResult {
    PassOutcome outcome = PassOutcome::Done;
    FileStamp stamp;          // the version the pass set out to read; when Done, the one it read
    std::uint64_t total = 0;  // bytes the pass set out to read
    std::uint64_t done = 0;   // bytes read and fed
    DWORD error = ERROR_SUCCESS;  // the failed read's error, when one failed
};

// A pass over a file that found it changed or deleted while it was read; the
// message names the file by its full path.
class FileChangedWhileRead : public base::Exception {
public:
    using base::Exception::Exception;
};

// The changed or the deleted message, naming `name` by its full path, for a
// pass over it that ended Changed or Gone; empty for Done or Stopped.
std::string ChangedWhileReadMessage(const PassResult& result, const std::string& name);

// Raises FileChangedWhileRead with that message for a pass over `name` that
// ended Changed or Gone; nothing for Done or Stopped.
void RaiseIfChangedWhileRead(const PassResult& result, const std::string& name);

struct PassFeeds {
    std::vector<DigestSink*> reader;  // fed on the reading thread; must not throw
    std::vector<DigestSink*> caller;  // fed on the calling thread
    // Each fed on a thread of its own, beside the others: for heavy digests
    // that one pass needs together (SHA-512 and BLAKE2b), so that each has a
    // core. They may throw; the pass then ends and the exception passes
    // through, as a caller consumer's does.
    std::vector<DigestSink*> workers;
    bool stamp = false;  // PassResult::stamp is wanted
};

// Called on the calling thread at least every kPassTickMs while the pass
// runs, with the bytes fed so far and the total. It may stop the token.
using PassTick = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Reads `file` from its current position to the end it had when the pass
// began, feeding every consumer each byte once, in order. `name` is the name
// the file was opened by; after the read it must still name a file of the
// same size and last-write time (empty: not checked by name). The consumers'
// results are meaningful only when the outcome is Done. Exceptions from a
// consumer or the tick pass through after the reader thread has ended.
PassResult RunFilePass(HANDLE file, const std::string& name, const PassFeeds& feeds, const CancelToken& cancel,
                       const PassTick& tick = {});

// Runs one pass over an open file: RunFilePass itself, or a pass with a pump
// and progress such as the window's.
using PassRunner = std::function<PassResult(HANDLE file, const std::string& name, const PassFeeds& feeds)>;

// How ReadFileOnce opens and reads a file.
struct ReadSteps {
    DWORD share = FILE_SHARE_READ;  // the share mode of the open
    PassRunner run;                 // empty: RunFilePass, never stopped
    // With the file just opened: false when it is not to be read (the result
    // is then Stopped). An exception from it leaves with nothing read.
    std::function<bool(HANDLE file)> opened;
    // With the file still open, after a pass that read it whole.
    std::function<void(HANDLE file)> done;
};

// What one read of a named file came to.
struct FileRead {
    DWORD openError = ERROR_SUCCESS;  // the open failed with this error: nothing was read
    PassResult result;                // the pass, when the file was opened
    bool Done() const { return openError == ERROR_SUCCESS && result.outcome == PassOutcome::Done; }
};

// Opens `name` for its contents (OpenFileForReading, with `steps.share`),
// reads it in one pass that feeds `feeds` (`steps.run`), and lets it go. The
// consumers' values are meaningful only when the read is Done.
FileRead ReadFileOnce(const std::string& name, const PassFeeds& feeds, const ReadSteps& steps = {});

// The outcome of a read for a caller that reports its failure: true when the
// file was read whole, false when the pass was stopped; raises CannotOpenFile
// for an open that failed and FileChangedWhileRead for a file that changed or
// went while it was read.
bool RaiseUnlessReadWhole(const FileRead& read, const std::string& name);

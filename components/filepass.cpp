#include "components/filepass.h"

#include <process.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "base/fs.h"
#include "base/handles.h"
#include "base/messages.h"
#include "components/srwringsync.h"

namespace {

using ReadRing = BasicReadRing<SrwRingSync>;

// The reader needs little stack; a small one keeps the pass's memory small.
constexpr unsigned kReaderStack = 64 * 1024;

// Files up to this size are read on the calling thread: a thread would cost
// more than it saves.
constexpr std::uint64_t kOneThreadBelow = 2 * kReadChunk;

struct Version {
    bool known = false;
    std::uint64_t size = 0;
    FILETIME lastWrite{};
};

// Size and last-write time by the handle. Not GetFileInformationByHandle:
// it also asks for the volume's serial number, which can cost the system far
// more than the read of a small file.
Version OfHandle(HANDLE file) {
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    Version v;
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return v;
    v.known = true;
    v.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    v.lastWrite.dwLowDateTime = static_cast<DWORD>(basic.LastWriteTime.QuadPart & 0xFFFFFFFFu);
    v.lastWrite.dwHighDateTime =
        static_cast<DWORD>(static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart) >> 32);
    return v;
}

bool Same(const Version& a, const Version& b) {
    return a.known && b.known && a.size == b.size && CompareFileTime(&a.lastWrite, &b.lastWrite) == 0;
}

void Feed(const std::vector<DigestSink*>& sinks, const unsigned char* data, std::size_t len) {
    for (DigestSink* s : sinks) s->Update(data, len);
}


class Ticker {
public:
    Ticker(const PassTick& tick, const PassResult& r) : tick_(tick), r_(r), last_(GetTickCount()) {}
    void Maybe() {
        if (!tick_) return;
        const DWORD now = GetTickCount();
        if (now - last_ < kPassTickMs) return;
        last_ = now;
        tick_(r_.done, r_.total);
    }

private:
    const PassTick& tick_;
    const PassResult& r_;
    DWORD last_;
};

void ReadOnOneThread(HANDLE file, const PassFeeds& feeds, const CancelToken& cancel, const PassTick& tick,
                     PassResult& r) {
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[static_cast<std::size_t>(
        std::max<std::uint64_t>(1, std::min<std::uint64_t>(r.total, kReadChunk)))]);
    Ticker ticker(tick, r);
    while (r.done < r.total) {
        if (cancel.Stopped()) {
            r.outcome = PassOutcome::Stopped;
            return;
        }
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(kReadChunk, r.total - r.done));
        if (!ReadExactly(file, buffer.get(), want, r.error)) {
            r.outcome = PassOutcome::Changed;
            return;
        }
        Feed(feeds.reader, buffer.get(), want);
        Feed(feeds.caller, buffer.get(), want);
        Feed(feeds.workers, buffer.get(), want);
        r.done += want;
        ticker.Maybe();
    }
}

// A consumer of the ring on a thread of its own: takes every buffer in turn
// and feeds its sink. A sink that throws keeps its exception for the calling
// thread and stops the ring, which ends the pass for every side.
struct Worker {
    ReadRing* ring;
    DigestSink* sink;
    std::size_t consumer;
    std::exception_ptr failure;

    static unsigned __stdcall Run(void* self) {
        static_cast<Worker*>(self)->Consume();
        return 0;
    }
    void Consume() {
        try {
            for (;;) {
                const ReadRing::Slot* slot = nullptr;
                const ReadRing::Taken taken = ring->BeginTake(kForever, slot, consumer);
                if (taken == ReadRing::Taken::Ready) {
                    sink->Update(slot->data, slot->size);
                    ring->EndTake(consumer);
                } else if (taken != ReadRing::Taken::Timeout) {
                    return;  // End or Stopped
                }
            }
        } catch (...) {
            failure = std::current_exception();
            ring->Stop();
        }
    }
};

HANDLE StartThread(unsigned(__stdcall* run)(void*), void* arg) {
    return reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, kReaderStack, run, arg, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
}

void ReadBeside(HANDLE file, const PassFeeds& feeds, const CancelToken& cancel, const PassTick& tick,
                PassResult& r) {
    // Consumer 0 is the calling thread, 1 on the workers.
    ReadRing ring(kRingSlots, kReadChunk, 1 + feeds.workers.size());
    struct Reader {
        ReadRing& ring;
        const PassFeeds& feeds;
        HANDLE file;
        std::uint64_t total;
        static unsigned __stdcall Run(void* self) {
            static_cast<Reader*>(self)->Read();
            return 0;
        }
        void Read() {
            std::uint64_t read = 0;
            DWORD error = ERROR_SUCCESS;
            while (read < total) {
                ReadRing::Slot* slot = ring.BeginFill();
                if (!slot) return;
                const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(ring.Capacity(), total - read));
                if (!ReadExactly(file, slot->data, want, error)) break;
                Feed(feeds.reader, slot->data, want);
                slot->size = want;
                ring.EndFill();
                read += want;
            }
            ring.Finish(static_cast<int>(error));
        }
    } reader{ring, feeds, file, r.total};
    base::UniqueThread thread(StartThread(&Reader::Run, &reader));
    if (!thread) {
        // No thread to be had: the calling thread reads alone.
        ReadOnOneThread(file, feeds, cancel, tick, r);
        return;
    }
    std::vector<Worker> workers(feeds.workers.size());
    std::vector<base::UniqueThread> workerThreads;
    workerThreads.reserve(workers.size());
    // Every way out of here, a failing consumer included, stops and joins
    // the reader and the workers before the ring and the file go.
    struct Join {
        ReadRing& ring;
        HANDLE thread;
        std::vector<base::UniqueThread>& workers;
        ~Join() {
            ring.Stop();
            // Fails only for a handle that is no thread's, which these are.
            (void)WaitForSingleObject(thread, INFINITE);
            for (const base::UniqueThread& w : workers) (void)WaitForSingleObject(w.get(), INFINITE);
        }
    } join{ring, thread.get(), workerThreads};

    // A worker that gets no thread is fed here, and the ring does not wait for it.
    std::vector<DigestSink*> here = feeds.caller;
    for (std::size_t i = 0; i < workers.size(); ++i) {
        workers[i] = Worker{&ring, feeds.workers[i], i + 1, nullptr};
        base::UniqueThread t(StartThread(&Worker::Run, &workers[i]));
        if (t) {
            workerThreads.push_back(std::move(t));
        } else {
            ring.Retire(i + 1);
            here.push_back(feeds.workers[i]);
        }
    }

    Ticker ticker(tick, r);
    ReadRing::Taken taken = ReadRing::Taken::Timeout;
    while (taken != ReadRing::Taken::End && taken != ReadRing::Taken::Stopped) {
        if (cancel.Stopped()) {
            r.outcome = PassOutcome::Stopped;
            return;
        }
        const ReadRing::Slot* slot = nullptr;
        taken = ring.BeginTake(kPassTickMs, slot);
        if (taken == ReadRing::Taken::Ready) {
            Feed(here, slot->data, slot->size);
            r.done += slot->size;
            ring.EndTake();
        }
        ticker.Maybe();
    }
    // The workers finish the buffers they still have, or end on a stop.
    for (const base::UniqueThread& w : workerThreads) {
        while (WaitForSingleObject(w.get(), kPassTickMs) == WAIT_TIMEOUT) {
            if (cancel.Stopped()) {
                r.outcome = PassOutcome::Stopped;
                return;
            }
            ticker.Maybe();
        }
    }
    for (const Worker& w : workers)
        if (w.failure) std::rethrow_exception(w.failure);
    if (taken == ReadRing::Taken::Stopped) {  // only a failing worker stops the ring before the end
        r.outcome = PassOutcome::Stopped;
        return;
    }
    r.error = static_cast<DWORD>(ring.Error());
    if (r.error != ERROR_SUCCESS) r.outcome = PassOutcome::Changed;
}

}  // namespace

bool ReadExactly(HANDLE file, unsigned char* buffer, DWORD want, DWORD& error) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, want, &got, nullptr)) {
        error = GetLastError();
        return false;
    }
    if (got != want) {
        error = ERROR_HANDLE_EOF;
        return false;
    }
    return true;
}

HANDLE OpenFileForReading(const std::string& name, DWORD share) {
    return fs::Open(name, GENERIC_READ, share, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
}

base::Exception CannotOpenFile(const std::string& name, DWORD error) {
    return base::Exception(CannotOpenFileMessage(fs::FullPath(name), base::SystemErrorText(error)));
}

std::string ChangedWhileReadMessage(const PassResult& result, const std::string& name) {
    if (result.outcome == PassOutcome::Changed) return FileChangedWhileReadMessage(fs::FullPath(name));
    if (result.outcome == PassOutcome::Gone) return FileDeletedWhileReadMessage(fs::FullPath(name));
    return std::string();
}

void RaiseIfChangedWhileRead(const PassResult& result, const std::string& name) {
    const std::string message = ChangedWhileReadMessage(result, name);
    if (!message.empty()) throw FileChangedWhileRead(message);
}

FileStamp StampOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;  // the one call that gives the volume and the file index
    FileStamp s;
    if (!GetFileInformationByHandle(file, &info)) return s;
    s.known = true;
    s.volume = info.dwVolumeSerialNumber;
    s.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    s.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    s.lastWrite = info.ftLastWriteTime;
    return s;
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.known && b.known && a.volume == b.volume && a.index == b.index && a.size == b.size &&
           CompareFileTime(&a.lastWrite, &b.lastWrite) == 0;
}

bool StillTheVersion(const std::string& path, const FileStamp& stamp) {
    base::UniqueFile file(fs::Open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    return file && SameStamp(StampOf(file.get()), stamp);
}

PassResult RunFilePass(HANDLE file, const std::string& name, const PassFeeds& feeds,
                       const CancelToken& cancel, const PassTick& tick) {
    PassResult r;
    // The identity is asked for only where it is wanted: it costs the system
    // more than the read of a small file.
    if (feeds.stamp) r.stamp = StampOf(file);
    const Version before =
        feeds.stamp ? Version{r.stamp.known, r.stamp.size, r.stamp.lastWrite} : OfHandle(file);
    LARGE_INTEGER pos{}, zero{};
    if (!before.known || !SetFilePointerEx(file, zero, &pos, FILE_CURRENT)) {
        r.outcome = PassOutcome::Changed;
        r.error = GetLastError();
        return r;
    }
    const std::uint64_t at = static_cast<std::uint64_t>(pos.QuadPart);
    r.total = before.size > at ? before.size - at : 0;
    if (r.total < kOneThreadBelow)
        ReadOnOneThread(file, feeds, cancel, tick, r);
    else
        ReadBeside(file, feeds, cancel, tick, r);
    if (r.outcome != PassOutcome::Done) return r;

    // Deleted while open, the file lives on until its last handle goes.
    FILE_STANDARD_INFO standard{};
    if (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
        standard.DeletePending) {
        r.outcome = PassOutcome::Gone;
        return r;
    }
    if (!Same(before, OfHandle(file))) {
        r.outcome = PassOutcome::Changed;
        return r;
    }
    if (!name.empty()) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!fs::GetAttributesEx(name, data)) {
            r.outcome = PassOutcome::Gone;
            return r;
        }
        Version byName;
        byName.known = true;
        byName.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        byName.lastWrite = data.ftLastWriteTime;
        if (!Same(before, byName)) r.outcome = PassOutcome::Changed;
    }
    return r;
}

FileRead ReadFileOnce(const std::string& name, const PassFeeds& feeds, const ReadSteps& steps) {
    FileRead read;
    base::UniqueFile file(OpenFileForReading(name, steps.share));
    if (!file) {
        read.openError = GetLastError();
        return read;
    }
    if (steps.opened && !steps.opened(file.get())) {
        read.result.outcome = PassOutcome::Stopped;
        return read;
    }
    if (steps.run) {
        read.result = steps.run(file.get(), name, feeds);
    } else {
        const CancelToken never;
        read.result = RunFilePass(file.get(), name, feeds, never);
    }
    if (read.result.outcome == PassOutcome::Done && steps.done) steps.done(file.get());
    return read;
}

bool RaiseUnlessReadWhole(const FileRead& read, const std::string& name) {
    if (read.openError != ERROR_SUCCESS) throw CannotOpenFile(name, read.openError);
    RaiseIfChangedWhileRead(read.result, name);
    return read.result.outcome == PassOutcome::Done;
}

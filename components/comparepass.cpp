#include "components/comparepass.h"

#include <process.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/fs.h"
#include "base/handles.h"
#include "components/comparetext.h"
#include "components/srwringsync.h"

namespace {

using Ring = BasicReadRing<SrwRingSync>;

constexpr unsigned kReaderStack = 64 * 1024;
// Below this many bytes to compare, both files are read on the calling
// thread: two threads would cost more than they save.
constexpr std::uint64_t kOneThreadBelow = 2 * kReadChunk;

// One file's reader thread: fills its ring with the file's first `total`
// bytes, in chunks of the ring's capacity.
struct Reader {
    Ring ring{kRingSlots, kReadChunk};
    HANDLE file = nullptr;
    std::uint64_t total = 0;
    base::UniqueThread thread;

    static unsigned __stdcall Run(void* self) {
        static_cast<Reader*>(self)->Read();
        return 0;
    }
    void Read() {
        std::uint64_t read = 0;
        DWORD error = ERROR_SUCCESS;
        while (read < total) {
            Ring::Slot* slot = ring.BeginFill();
            if (!slot) return;
            const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(ring.Capacity(), total - read));
            if (!ReadExactly(file, slot->data, want, error)) break;
            slot->size = want;
            ring.EndFill();
            read += want;
        }
        ring.Finish(static_cast<int>(error));
    }
    bool Start() {
        thread.reset(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, kReaderStack, &Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)));
        return static_cast<bool>(thread);
    }
    // Every way out stops the reader and waits for it before the ring goes.
    ~Reader() {
        if (!thread) return;
        ring.Stop();
        (void)WaitForSingleObject(thread.get(), INFINITE);
    }
};

class Ticker {
public:
    Ticker(const PassTick& tick, const std::uint64_t& done, std::uint64_t total)
        : tick_(tick), done_(done), total_(total), last_(GetTickCount()) {}
    void Maybe() {
        if (!tick_) return;
        const DWORD now = GetTickCount();
        if (now - last_ < kPassTickMs) return;
        last_ = now;
        tick_(done_, total_);
    }

private:
    const PassTick& tick_;
    const std::uint64_t& done_;
    std::uint64_t total_;
    DWORD last_;
};

// What the calling thread keeps of the bytes compared so far.
struct Tally {
    std::uint64_t done = 0, lineFeeds = 0;
    unsigned char last = 0;
    // Compares one chunk of each; true when they are the same.
    bool Take(const unsigned char* a, const unsigned char* b, std::size_t size, CompareResult& r) {
        if (std::memcmp(a, b, size) == 0) {
            lineFeeds += CountLineFeeds(a, size);
            if (size) last = a[size - 1];
            done += size;
            return true;
        }
        std::size_t at = 0;
        while (a[at] == b[at]) ++at;
        r.outcome = CompareOutcome::Differs;
        r.offset = done + at;
        r.lineFeeds = lineFeeds + CountLineFeeds(a, at);
        r.endsInLineFeed = at ? a[at - 1] == '\n' : last == '\n';
        return false;
    }
};

enum class Ended { Whole, Differs, Stopped, Failed };

Ended CompareOnOneThread(HANDLE files[2], std::uint64_t total, const CancelToken& cancel,
                         const PassTick& tick, Tally& tally, CompareResult& r) {
    const std::size_t size =
        static_cast<std::size_t>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(total, kReadChunk)));
    std::unique_ptr<unsigned char[]> a(new unsigned char[size]), b(new unsigned char[size]);
    Ticker ticker(tick, tally.done, total);
    while (tally.done < total) {
        if (cancel.Stopped()) return Ended::Stopped;
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(size, total - tally.done));
        for (int i = 0; i < 2; ++i) {
            if (!ReadExactly(files[i], i ? b.get() : a.get(), want, r.error)) {
                r.which = i;
                return Ended::Failed;
            }
        }
        if (!tally.Take(a.get(), b.get(), want, r)) return Ended::Differs;
        ticker.Maybe();
    }
    return Ended::Whole;
}

Ended CompareBeside(HANDLE files[2], std::uint64_t total, const CancelToken& cancel, const PassTick& tick,
                    Tally& tally, CompareResult& r) {
    std::unique_ptr<Reader> readers[2];
    for (int i = 0; i < 2; ++i) {
        readers[i].reset(new Reader);
        readers[i]->file = files[i];
        readers[i]->total = total;
    }
    if (!readers[0]->Start() || !readers[1]->Start()) {
        // No threads to be had: once the one that started has stopped, the
        // calling thread reads both alone, from their starts.
        readers[0].reset();
        readers[1].reset();
        LARGE_INTEGER zero{};
        for (int i = 0; i < 2; ++i) SetFilePointerEx(files[i], zero, nullptr, FILE_BEGIN);
        return CompareOnOneThread(files, total, cancel, tick, tally, r);
    }
    Ticker ticker(tick, tally.done, total);
    const Ring::Slot* slots[2] = {nullptr, nullptr};
    for (;;) {
        if (cancel.Stopped()) return Ended::Stopped;
        bool waiting = false;
        for (int i = 0; i < 2 && !waiting; ++i) {
            if (slots[i]) continue;
            const Ring::Taken taken = readers[i]->ring.BeginTake(kPassTickMs, slots[i]);
            if (taken == Ring::Taken::Ready) continue;
            slots[i] = nullptr;
            if (taken == Ring::Taken::End) {
                const DWORD error = static_cast<DWORD>(readers[i]->ring.Error());
                if (error == ERROR_SUCCESS) return Ended::Whole;  // both read `total`, in equal chunks
                r.which = i;
                r.error = error;
                return Ended::Failed;
            }
            waiting = true;
        }
        if (!waiting) {
            if (!tally.Take(slots[0]->data, slots[1]->data, slots[0]->size, r)) return Ended::Differs;
            for (int i = 0; i < 2; ++i) {
                readers[i]->ring.EndTake();
                slots[i] = nullptr;
            }
        }
        ticker.Maybe();
    }
}

bool IsOrdinaryFile(HANDLE file) {
    if (GetFileType(file) != FILE_TYPE_DISK) return false;
    FILE_BASIC_INFO basic{};
    return GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
           !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CompareResult CompareFiles(const std::string& first, const std::string& second, const CancelToken& cancel,
                           const PassTick& tick, DWORD share) {
    CompareResult r;
    const std::string* names[2] = {&first, &second};
    base::UniqueFile owned[2];
    HANDLE files[2];
    for (int i = 0; i < 2; ++i) {
        owned[i].reset(OpenFileForReading(*names[i], share));
        r.which = i;
        if (!owned[i]) {
            r.error = GetLastError();
            // A folder opens only for its attributes.
            const DWORD attributes = fs::GetAttributes(*names[i]);
            r.outcome = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                            ? CompareOutcome::NotAFile
                            : CompareOutcome::OpenFailed;
            return r;
        }
        files[i] = owned[i].get();
        if (!IsOrdinaryFile(files[i])) {
            r.outcome = CompareOutcome::NotAFile;
            return r;
        }
        r.stamps[i] = StampOf(files[i]);
        if (!r.stamps[i].known) {
            r.error = GetLastError();
            r.outcome = CompareOutcome::ReadFailed;
            return r;
        }
    }
    r.which = 0;
    if (r.stamps[0].volume == r.stamps[1].volume && r.stamps[0].index == r.stamps[1].index) {
        r.outcome = CompareOutcome::SameFile;
        return r;
    }
    const std::uint64_t total = std::min(r.stamps[0].size, r.stamps[1].size);
    Tally tally;
    const Ended ended = total < kOneThreadBelow ? CompareOnOneThread(files, total, cancel, tick, tally, r)
                                                : CompareBeside(files, total, cancel, tick, tally, r);
    if (ended == Ended::Stopped) {
        r.outcome = CompareOutcome::Stopped;
        return r;
    }
    // A verdict holds only for the versions both files had when the compare
    // began; a read that came short means the file changed too.
    for (int i = 0; i < 2; ++i) {
        FILE_STANDARD_INFO standard{};
        const bool deleted =
            GetFileInformationByHandleEx(files[i], FileStandardInfo, &standard, sizeof standard) &&
            standard.DeletePending;
        if (deleted || !SameStamp(StampOf(files[i]), r.stamps[i]) ||
            !StillTheVersion(*names[i], r.stamps[i]) ||
            (ended == Ended::Failed && r.which == i && r.error == ERROR_HANDLE_EOF)) {
            r.which = i;
            r.outcome = CompareOutcome::Changed;
            return r;
        }
    }
    if (ended == Ended::Failed) {
        r.outcome = CompareOutcome::ReadFailed;
        return r;
    }
    if (ended == Ended::Differs) return r;
    r.offset = total;
    r.lineFeeds = tally.lineFeeds;
    r.endsInLineFeed = tally.last == '\n';
    r.outcome = r.stamps[0].size == r.stamps[1].size  ? CompareOutcome::Same
                : r.stamps[0].size < r.stamps[1].size ? CompareOutcome::FirstShorter
                                                      : CompareOutcome::SecondShorter;
    return r;
}

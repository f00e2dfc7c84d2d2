#include "app/console/parallelreads.h"

#include <objbase.h>

#include "app/details/detailsreader.h"
#include "base/handles.h"

namespace {

// Outcomes that may wait per worker: enough to keep every worker busy while
// this thread writes, few enough that memory does not grow with the files.
constexpr std::size_t kInFlightPerWorker = 4;

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

ParallelReads::ParallelReads(unsigned workers, bool withSignature)
    : inFlightLimit_((workers ? workers : 1) * kInFlightPerWorker), withSignature_(withSignature) {
    try {
        for (unsigned i = 0; i < (workers ? workers : 1); ++i) threads_.emplace_back([this] { Work(); });
    } catch (...) {
        // A thread the system would not start: the ones that run go again.
        StopAndJoin();
        throw;
    }
}

ParallelReads::~ParallelReads() { StopAndJoin(); }

void ParallelReads::StopAndJoin() {
    {
        Locked locked(lock_);
        stopping_ = true;
        jobs_.clear();
    }
    WakeAllConditionVariable(&jobReady_);
    for (std::thread& t : threads_) t.join();
    threads_.clear();
}

unsigned ParallelReads::DefaultWorkers() {
    const DWORD n = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return n ? static_cast<unsigned>(n) : 1u;
}

void ParallelReads::Work() {
    // Each worker reads through the shell in an apartment of its own.
    base::ComApartment com;
    {
        DetailsReader reader(withSignature_);
        for (;;) {
            std::pair<std::uint64_t, std::string> job;
            {
                Locked locked(lock_);
                while (jobs_.empty() && !stopping_) SleepConditionVariableSRW(&jobReady_, &lock_, INFINITE, 0);
                if (stopping_) break;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            Outcome outcome;
            outcome.file = std::move(job.second);
            try {
                outcome.ok = reader.Read(outcome.file, outcome.details, outcome.reason);
            } catch (const std::bad_alloc&) {
                outcome.reason = "Out of memory";
            }
            {
                Locked locked(lock_);
                outcomes_.emplace(job.first, std::move(outcome));
            }
            WakeAllConditionVariable(&outcomeReady_);
        }
    }
}

void ParallelReads::Run(const std::function<bool(std::string& file, std::string& failure)>& next,
                        const std::function<void(Outcome&)>& each) {
    std::uint64_t given = 0, handed = 0;
    bool exhausted = false;
    for (;;) {
        while (!exhausted && given - handed < inFlightLimit_) {
            std::string file, failure;
            if (!next(file, failure)) {
                exhausted = true;
                break;
            }
            Locked locked(lock_);
            if (failure.empty()) {
                jobs_.emplace_back(given++, std::move(file));
                WakeConditionVariable(&jobReady_);
            } else {
                Outcome known;
                known.file = std::move(file);
                known.reason = std::move(failure);
                outcomes_.emplace(given++, std::move(known));
            }
        }
        if (exhausted && handed == given) return;
        Outcome outcome;
        {
            Locked locked(lock_);
            auto it = outcomes_.find(handed);
            while (it == outcomes_.end()) {
                SleepConditionVariableSRW(&outcomeReady_, &lock_, INFINITE, 0);
                it = outcomes_.find(handed);
            }
            outcome = std::move(it->second);
            outcomes_.erase(it);
        }
        ++handed;
        each(outcome);
    }
}

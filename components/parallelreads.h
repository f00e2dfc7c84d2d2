// Reading many items at once: a few worker threads, each with a reader of
// its own, and the outcomes handed back on the calling thread in the order
// the items came in, so that what is written from them does not depend on
// which worker was faster. At most a few outcomes per worker wait at any
// time, whatever the number of items.
//
// `Reader` is constructed on its worker thread from the arguments the
// constructor is given (so it may set up whatever that thread needs, and
// takes it down again there), names the type of its result `Details` and has
//   bool Read(const std::string& item, Details& details, std::string& reason);
// which gives the details, or false with the reason. Needs no operating
// system: standard threads, one mutex and two condition variables.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Outcomes that may wait per worker: enough to keep every worker busy while
// the calling thread writes, few enough that memory does not grow with the
// items.
constexpr std::size_t kInFlightPerWorker = 4;

template <typename Reader>
class ParallelReads {
public:
    using Details = typename Reader::Details;

    struct Outcome {
        std::string file;
        bool ok = false;
        Details details{};   // when ok
        std::string reason;  // when not
    };

    // `workers` threads (at least one), each reading through a
    // Reader(readerArgs...) of its own.
    template <typename... Args>
    explicit ParallelReads(unsigned workers, const Args&... readerArgs)
        : inFlightLimit_((workers ? workers : 1) * kInFlightPerWorker) {
        try {
            for (unsigned i = 0; i < (workers ? workers : 1); ++i)
                threads_.emplace_back([this, readerArgs...] {
                    Reader reader(readerArgs...);
                    Work(reader);
                });
        } catch (...) {
            // A thread the system would not start: the ones that run go again.
            StopAndJoin();
            throw;
        }
    }
    // Stops the workers, dropping what they have not read, and waits for them.
    ~ParallelReads() { StopAndJoin(); }
    ParallelReads(const ParallelReads&) = delete;
    ParallelReads& operator=(const ParallelReads&) = delete;

    // Takes items from `next` (false when there are none left) and calls
    // `each` for every item's outcome, in their order, on this thread. An
    // item for which `next` also gives a failure is not read: its outcome is
    // that failure, at its place. An exception from `next` or `each` ends the
    // run and passes through.
    void Run(const std::function<bool(std::string& file, std::string& failure)>& next,
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
                std::lock_guard<std::mutex> locked(lock_);
                if (failure.empty()) {
                    jobs_.emplace_back(given++, std::move(file));
                    jobReady_.notify_one();
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
                std::unique_lock<std::mutex> locked(lock_);
                auto it = outcomes_.find(handed);
                while (it == outcomes_.end()) {
                    outcomeReady_.wait(locked);
                    it = outcomes_.find(handed);
                }
                outcome = std::move(it->second);
                outcomes_.erase(it);
            }
            ++handed;
            each(outcome);
        }
    }

private:
    void Work(Reader& reader) {
        for (;;) {
            std::pair<std::uint64_t, std::string> job;
            {
                std::unique_lock<std::mutex> locked(lock_);
                jobReady_.wait(locked, [this] { return !jobs_.empty() || stopping_; });
                if (stopping_) return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            Outcome outcome;
            outcome.file = std::move(job.second);
            try {
                outcome.ok = reader.Read(outcome.file, outcome.details, outcome.reason);
            } catch (const std::bad_alloc&) {
                outcome.ok = false;
                outcome.reason = "Out of memory";
            }
            {
                std::lock_guard<std::mutex> locked(lock_);
                outcomes_.emplace(job.first, std::move(outcome));
            }
            // Only the calling thread waits for outcomes.
            outcomeReady_.notify_one();
        }
    }

    void StopAndJoin() {
        {
            std::lock_guard<std::mutex> locked(lock_);
            stopping_ = true;
            jobs_.clear();
        }
        jobReady_.notify_all();
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

    std::mutex lock_;
    std::condition_variable jobReady_, outcomeReady_;
    std::deque<std::pair<std::uint64_t, std::string>> jobs_;
    std::map<std::uint64_t, Outcome> outcomes_;
    bool stopping_ = false;
    std::size_t inFlightLimit_;
    std::vector<std::thread> threads_;
};

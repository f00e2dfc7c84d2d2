// Many items read on several workers: every outcome comes back once, in the
// order the items came in, whatever worker was faster; a failure the caller
// already knows is never read; no more than a few outcomes per worker wait;
// an exception from either side ends the run and stops the workers. Also run
// under ThreadSanitizer (the host-tsan preset).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "components/parallelreads.h"

namespace {

// What the fake reader saw, shared by all its instances.
struct ReadLog {
    std::mutex lock;
    std::multiset<std::string> read;
    std::atomic<int> readersAlive{0}, readersMade{0};
    std::atomic<int> delayMs{0};
};

// Reads an item by its name, with no file: "bad…" fails, "oom…" runs out of
// memory, anything else gives its name reversed. Items whose number is odd
// take a little longer, so that later items often finish first.
class FakeReader {
public:
    using Details = std::string;
    explicit FakeReader(ReadLog* log) : log_(log), thread_(std::this_thread::get_id()) {
        ++log_->readersMade;
        ++log_->readersAlive;
    }
    ~FakeReader() { --log_->readersAlive; }
    FakeReader(const FakeReader&) = delete;
    FakeReader& operator=(const FakeReader&) = delete;

    bool Read(const std::string& item, std::string& details, std::string& reason) {
        {
            std::lock_guard<std::mutex> locked(log_->lock);
            log_->read.insert(item);
        }
        // A reader is used on the thread that made it, as a COM apartment needs.
        if (std::this_thread::get_id() != thread_) {
            reason = "read on another thread";
            return false;
        }
        const int number = std::stoi(item.substr(item.find('#') + 1));
        if (number % 2 || log_->delayMs)
            std::this_thread::sleep_for(std::chrono::microseconds(number % 7 * 50 + log_->delayMs * 1000));
        if (item.compare(0, 3, "oom") == 0) throw std::bad_alloc();
        if (item.compare(0, 3, "bad") == 0) {
            reason = "cannot read " + item;
            return false;
        }
        details.assign(item.rbegin(), item.rend());
        return true;
    }

private:
    ReadLog* log_;
    std::thread::id thread_;
};

using Reads = ParallelReads<FakeReader>;

// The items "<kind>#<n>" for n from 0: every seventh bad, every thirteenth
// a failure the caller knows (a folder it cannot list), every 29th out of memory.
std::string Item(int n, bool& known) {
    known = n % 13 == 5;
    const char* kind = n % 7 == 3 ? "bad" : n % 29 == 11 ? "oom" : "file";
    return std::string(kind) + "#" + std::to_string(n);
}

struct Shape {
    unsigned workers;
    int items;
};

class ParallelReadsOrder : public testing::TestWithParam<Shape> {};

TEST_P(ParallelReadsOrder, EveryOutcomeOnceInTheItemsOrder) {
    const Shape shape = GetParam();
    ReadLog log;
    std::vector<Reads::Outcome> got;
    std::multiset<std::string> expectRead;
    {
        Reads reads(shape.workers, &log);
        int n = 0;
        reads.Run(
            [&](std::string& file, std::string& failure) {
                if (n == shape.items) return false;
                bool known = false;
                file = Item(n++, known);
                if (known)
                    failure = "cannot list " + file;
                else
                    expectRead.insert(file);
                return true;
            },
            [&](Reads::Outcome& o) { got.push_back(std::move(o)); });
    }
    EXPECT_EQ(static_cast<int>(shape.workers ? shape.workers : 1), log.readersMade.load());
    EXPECT_EQ(0, log.readersAlive.load());
    EXPECT_EQ(expectRead, log.read);  // each once; the known failures never
    ASSERT_EQ(static_cast<std::size_t>(shape.items), got.size());
    for (int n = 0; n < shape.items; ++n) {
        bool known = false;
        const std::string item = Item(n, known);
        const Reads::Outcome& o = got[static_cast<std::size_t>(n)];
        SCOPED_TRACE(item);
        EXPECT_EQ(item, o.file);
        if (known) {
            EXPECT_FALSE(o.ok);
            EXPECT_EQ("cannot list " + item, o.reason);
        } else if (item.compare(0, 3, "bad") == 0) {
            EXPECT_FALSE(o.ok);
            EXPECT_EQ("cannot read " + item, o.reason);
        } else if (item.compare(0, 3, "oom") == 0) {
            EXPECT_FALSE(o.ok);
            EXPECT_EQ("Out of memory", o.reason);
        } else {
            EXPECT_TRUE(o.ok);
            EXPECT_EQ(std::string(item.rbegin(), item.rend()), o.details);
            EXPECT_TRUE(o.reason.empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ParallelReadsOrder,
                         testing::Values(Shape{1, 50}, Shape{0, 20}, Shape{3, 0}, Shape{3, 1}, Shape{4, 400},
                                         Shape{8, 300}));

TEST(ParallelReads, NoMoreThanAFewOutcomesPerWorkerWait) {
    ReadLog log;
    const unsigned workers = 3;
    std::size_t taken = 0, handed = 0, most = 0;
    Reads reads(workers, &log);
    reads.Run(
        [&](std::string& file, std::string&) {
            if (taken == 200) return false;
            file = "file#" + std::to_string(taken++);
            most = std::max(most, taken - handed);
            return true;
        },
        [&](Reads::Outcome&) {
            // A slow writer: the workers get ahead of it.
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            ++handed;
        });
    EXPECT_EQ(200u, handed);
    EXPECT_EQ(workers * kInFlightPerWorker, most);
}

TEST(ParallelReads, AnExceptionFromEachEndsTheRunAndTheWorkersStop) {
    ReadLog log;
    log.delayMs = 1;
    int taken = 0, handed = 0;
    {
        Reads reads(4, &log);
        EXPECT_THROW(reads.Run(
                         [&](std::string& file, std::string&) {
                             if (taken == 1000) return false;
                             file = "file#" + std::to_string(taken++);
                             return true;
                         },
                         [&](Reads::Outcome& o) {
                             if (++handed == 10) throw std::runtime_error("output closed at " + o.file);
                         }),
                     std::runtime_error);
    }
    EXPECT_EQ(10, handed);
    EXPECT_EQ(0, log.readersAlive.load());
    // What was not yet handed to a worker is dropped, never read.
    EXPECT_LE(static_cast<int>(log.read.size()), 10 + 4 * static_cast<int>(kInFlightPerWorker));
    EXPECT_LT(taken, 1000);
}

TEST(ParallelReads, AnExceptionFromNextEndsTheRunAfterTheOutcomesSoFar) {
    ReadLog log;
    int taken = 0;
    std::vector<std::string> handed;
    {
        Reads reads(2, &log);
        EXPECT_THROW(reads.Run(
                         [&](std::string& file, std::string&) {
                             if (taken == 25) throw std::runtime_error("cannot list");
                             file = "file#" + std::to_string(taken++);
                             return true;
                         },
                         [&](Reads::Outcome& o) { handed.push_back(o.file); }),
                     std::runtime_error);
    }
    EXPECT_EQ(0, log.readersAlive.load());
    // In order, from the first, and never one that was not given.
    ASSERT_LE(handed.size(), 25u);
    for (std::size_t i = 0; i < handed.size(); ++i) EXPECT_EQ("file#" + std::to_string(i), handed[i]);
}

TEST(ParallelReads, WorkersThatNeverGetAnItemStopAtOnce) {
    ReadLog log;
    { Reads reads(6, &log); }
    EXPECT_EQ(6, log.readersMade.load());
    EXPECT_EQ(0, log.readersAlive.load());
    EXPECT_TRUE(log.read.empty());
}

}  // namespace

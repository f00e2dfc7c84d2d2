// The hand-over between a file's reader thread and the threads that digest
// what it read: a ring of a few fixed-size buffers, one producer, one or
// more consumers that each see every buffer, and a stop that any side (or
// any third thread) may raise.
//
// Producer: BeginFill waits for a free buffer and returns it (null once the
// ring is stopped); the producer writes up to Capacity() bytes, sets `size`
// and calls EndFill to publish it. A buffer is free again once every
// consumer has given it back, so the producer runs at most the ring's size
// ahead of the slowest consumer. Finish(error) says that nothing more comes;
// error 0 means the data ended whole.
// Consumer `c` (0 to consumers - 1): BeginTake waits up to a timeout for its
// next published buffer, in order; EndTake gives it back. Once Finish was
// called and the consumer took every buffer, BeginTake answers End, and
// Error() tells how the data ended. Retire(c) says that consumer `c` takes
// nothing (more): the buffers stop waiting for it.
// Stop wakes every side at once; after it BeginFill gives null and BeginTake
// answers Stopped, also while buffers are still published.
//
// The locking is a policy (`Sync`) so that the same ring runs on the
// platform's slim locks and, in the tests, on the standard library's:
//   void Lock(); void Unlock();
//   void Wait(int condition, unsigned timeoutMs);  // lock held; may wake early
//   void Notify(int condition);     // wakes one waiter
//   void NotifyAll(int condition);  // wakes every waiter
// with kForever as the timeout that never ends.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Whether a pass over a file goes on. Any thread may stop it, once and for good.
class CancelToken {
public:
    void Stop() { stopped_.store(true, std::memory_order_release); }
    bool Stopped() const { return stopped_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> stopped_{false};
};

constexpr unsigned kForever = ~0u;

template <class Sync>
class BasicReadRing {
public:
    struct Slot {
        unsigned char* data;
        std::size_t size;
    };
    enum class Taken { Ready, Timeout, End, Stopped };

    BasicReadRing(std::size_t slots, std::size_t capacity, std::size_t consumers = 1)
        : capacity_(capacity), slots_(slots), taken_(consumers, 0), retired_(consumers, false) {
        buffers_.reserve(slots);
        for (Slot& s : slots_) {
            buffers_.emplace_back(new unsigned char[capacity ? capacity : 1]);
            s = Slot{buffers_.back().get(), 0};
        }
    }
    BasicReadRing(const BasicReadRing&) = delete;
    BasicReadRing& operator=(const BasicReadRing&) = delete;

    std::size_t Capacity() const { return capacity_; }

    Slot* BeginFill() {
        Guard g(sync_);
        while (!stopped_ && filled_ - Oldest() == slots_.size()) sync_.Wait(kNotFull, kForever);
        if (stopped_) return nullptr;
        Slot* s = &slots_[static_cast<std::size_t>(filled_ % slots_.size())];
        s->size = 0;
        return s;
    }

    void EndFill() {
        Guard g(sync_);
        ++filled_;
        sync_.NotifyAll(kNotEmpty);
    }

    void Finish(int error) {
        Guard g(sync_);
        finished_ = true;
        error_ = error;
        sync_.NotifyAll(kNotEmpty);
    }

    Taken BeginTake(unsigned timeoutMs, const Slot*& slot, std::size_t consumer = 0) {
        Guard g(sync_);
        if (!stopped_ && taken_[consumer] == filled_ && !finished_) sync_.Wait(kNotEmpty, timeoutMs);
        if (stopped_) return Taken::Stopped;
        if (taken_[consumer] < filled_) {
            slot = &slots_[static_cast<std::size_t>(taken_[consumer] % slots_.size())];
            return Taken::Ready;
        }
        return finished_ ? Taken::End : Taken::Timeout;
    }

    void EndTake(std::size_t consumer = 0) {
        Guard g(sync_);
        const std::uint64_t oldest = Oldest();
        ++taken_[consumer];
        if (Oldest() != oldest) sync_.Notify(kNotFull);
    }

    void Retire(std::size_t consumer) {
        Guard g(sync_);
        retired_[consumer] = true;
        sync_.Notify(kNotFull);
    }

    void Stop() {
        Guard g(sync_);
        stopped_ = true;
        sync_.Notify(kNotFull);
        sync_.NotifyAll(kNotEmpty);
    }

    int Error() const {
        Guard g(sync_);
        return error_;
    }

private:
    enum { kNotFull = 0, kNotEmpty = 1 };

    class Guard {
    public:
        explicit Guard(Sync& s) : s_(s) { s_.Lock(); }
        ~Guard() { s_.Unlock(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        Sync& s_;
    };

    // The count of buffers that every consumer still in the pass has given
    // back; lock held.
    std::uint64_t Oldest() const {
        std::uint64_t oldest = filled_;
        for (std::size_t c = 0; c < taken_.size(); ++c)
            if (!retired_[c] && taken_[c] < oldest) oldest = taken_[c];
        return oldest;
    }

    mutable Sync sync_;
    std::size_t capacity_;
    std::vector<std::unique_ptr<unsigned char[]>> buffers_;
    std::vector<Slot> slots_;
    // Counts since the start; buffer n is slots_[n % size]. Those from
    // Oldest() to filled_ are published and not yet free.
    std::uint64_t filled_ = 0;          // buffers published
    std::vector<std::uint64_t> taken_;  // buffers each consumer gave back
    std::vector<bool> retired_;         // consumers that take nothing more
    bool finished_ = false;
    bool stopped_ = false;
    int error_ = 0;
};

// The standard library's locks, for platforms without slim locks and for tests.
class StdRingSync {
public:
    void Lock() { m_.lock(); }
    void Unlock() { m_.unlock(); }
    void Wait(int condition, unsigned timeoutMs) {
        if (timeoutMs == kForever) cv_[condition].wait(m_);
        else cv_[condition].wait_for(m_, std::chrono::milliseconds(timeoutMs));
    }
    void Notify(int condition) { cv_[condition].notify_one(); }
    void NotifyAll(int condition) { cv_[condition].notify_all(); }

private:
    std::mutex m_;
    std::condition_variable_any cv_[2];
};

using StdReadRing = BasicReadRing<StdRingSync>;

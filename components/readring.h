// The hand-over between a file's reader thread and the thread that digests
// what it read: a ring of a few fixed-size buffers, one producer, one
// consumer, and a stop that either side (or any third thread) may raise.
//
// Producer: BeginFill waits for a free buffer and returns it (null once the
// ring is stopped); the producer writes up to Capacity() bytes, sets `size`
// and calls EndFill to publish it. Finish(error) says that nothing more
// comes; error 0 means the data ended whole.
// Consumer: BeginTake waits up to a timeout for the next published buffer,
// in order; EndTake gives it back. Once Finish was called and every buffer
// was taken, BeginTake answers End, and Error() tells how the data ended.
// Stop wakes both sides at once; after it BeginFill gives null and BeginTake
// answers Stopped, also while buffers are still published.
//
// The locking is a policy (`Sync`) so that the same ring runs on the
// platform's slim locks and, in the tests, on the standard library's:
//   void Lock(); void Unlock();
//   void Wait(int condition, unsigned timeoutMs);  // lock held; may wake early
//   void Notify(int condition);
// with kForever as the timeout that never ends.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
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

    BasicReadRing(std::size_t slots, std::size_t capacity) : capacity_(capacity), slots_(slots) {
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
        while (!stopped_ && published_ == slots_.size()) sync_.Wait(kNotFull, kForever);
        if (stopped_) return nullptr;
        Slot* s = &slots_[(head_ + published_) % slots_.size()];
        s->size = 0;
        return s;
    }

    void EndFill() {
        Guard g(sync_);
        ++published_;
        sync_.Notify(kNotEmpty);
    }

    void Finish(int error) {
        Guard g(sync_);
        finished_ = true;
        error_ = error;
        sync_.Notify(kNotEmpty);
    }

    Taken BeginTake(unsigned timeoutMs, const Slot*& slot) {
        Guard g(sync_);
        if (!stopped_ && published_ == 0 && !finished_) sync_.Wait(kNotEmpty, timeoutMs);
        if (stopped_) return Taken::Stopped;
        if (published_ > 0) {
            slot = &slots_[head_];
            return Taken::Ready;
        }
        return finished_ ? Taken::End : Taken::Timeout;
    }

    void EndTake() {
        Guard g(sync_);
        head_ = (head_ + 1) % slots_.size();
        --published_;
        sync_.Notify(kNotFull);
    }

    void Stop() {
        Guard g(sync_);
        stopped_ = true;
        sync_.Notify(kNotFull);
        sync_.Notify(kNotEmpty);
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

    mutable Sync sync_;
    std::size_t capacity_;
    std::vector<std::unique_ptr<unsigned char[]>> buffers_;
    std::vector<Slot> slots_;
    std::size_t head_ = 0;       // the next slot to take
    std::size_t published_ = 0;  // filled and not yet given back, the one being taken included
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

private:
    std::mutex m_;
    std::condition_variable_any cv_[2];
};

using StdReadRing = BasicReadRing<StdRingSync>;

// Reading many files' details at once: one worker thread per core, each with
// its own COM apartment and DetailsReader, and the outcomes handed back on
// the calling thread in the order the files came in, so that what is written
// from them does not depend on which worker was faster. At most a few
// outcomes per worker wait at any time, whatever the number of files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/details/filedetails.h"

class ParallelReads {
public:
    struct Outcome {
        std::string file;
        bool ok = false;
        FileDetails details;  // when ok
        std::string reason;   // when not
    };

    // `workers` threads (at least one); `withSignature` as DetailsReader takes it.
    ParallelReads(unsigned workers, bool withSignature);
    // Stops the workers, dropping what they have not read, and waits for them.
    ~ParallelReads();
    ParallelReads(const ParallelReads&) = delete;
    ParallelReads& operator=(const ParallelReads&) = delete;

    // Takes files from `next` (false when there are none left) and calls
    // `each` for every file's outcome, in their order, on this thread. A
    // file for which `next` also gives a failure is not read: its outcome is
    // that failure, at its place. An exception from `next` or `each` ends the
    // run and passes through.
    void Run(const std::function<bool(std::string& file, std::string& failure)>& next,
             const std::function<void(Outcome&)>& each);

    // One worker per processor of this computer.
    static unsigned DefaultWorkers();

private:
    void Work();
    void StopAndJoin();

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE jobReady_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE outcomeReady_ = CONDITION_VARIABLE_INIT;
    std::deque<std::pair<std::uint64_t, std::string>> jobs_;
    std::map<std::uint64_t, Outcome> outcomes_;
    bool stopping_ = false;
    std::size_t inFlightLimit_;
    bool withSignature_;
    std::vector<std::thread> threads_;
};

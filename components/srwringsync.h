// The read ring (components/readring.h) on the platform's slim reader/writer
// lock and condition variables: a hand-over costs no system call unless a
// side has to wait. For the passes that read files on a thread of their own.
#pragma once

#include <windows.h>

#include "components/readring.h"

class SrwRingSync {
public:
    void Lock() { AcquireSRWLockExclusive(&lock_); }
    void Unlock() { ReleaseSRWLockExclusive(&lock_); }
    void Wait(int condition, unsigned timeoutMs) {
        SleepConditionVariableSRW(&cv_[condition], &lock_, timeoutMs == kForever ? INFINITE : timeoutMs, 0);
    }
    void Notify(int condition) { WakeConditionVariable(&cv_[condition]); }
    void NotifyAll(int condition) { WakeAllConditionVariable(&cv_[condition]); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE cv_[2] = {CONDITION_VARIABLE_INIT, CONDITION_VARIABLE_INIT};
};

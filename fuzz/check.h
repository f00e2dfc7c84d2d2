// The fuzz targets' assertion: a failed property aborts the run, which
// libFuzzer records as a crash together with the input that caused it. Unlike
// assert() it stays active in optimised builds.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                              \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

// For the reference definitions inside a target: the fuzzer is to explore the
// code under test, and coverage callbacks in a bit-at-a-time loop would cost
// most of the executions per second.
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))

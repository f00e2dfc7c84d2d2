#include "app/console/parallelreads.h"

#include <windows.h>

unsigned DefaultReadWorkers() {
    // Every processor group's, where hardware_concurrency may count one group only.
    const DWORD n = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return n ? static_cast<unsigned>(n) : 1u;
}

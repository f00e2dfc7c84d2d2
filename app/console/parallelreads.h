// The console's reading of many files' details at once (components/
// parallelreads.h): one worker per core, each with its own COM apartment and
// DetailsReader, the outcomes handed back in the order the files came in.
#pragma once

#include <string>
#include <vector>

#include "app/details/detailsreader.h"
#include "app/details/filedetails.h"
#include "base/handles.h"
#include "components/parallelreads.h"

// One worker's reader: the shell's folders need COM on the thread that reads.
class WorkerDetailsReader {
public:
    using Details = FileDetails;
    // `withSignature` and `digests` as DetailsReader takes them.
    WorkerDetailsReader(bool withSignature, const std::vector<DigestKind>& digests = {})
        : reader_(withSignature, digests) {}
    bool Read(const std::string& path, FileDetails& details, std::string& reason) {
        return reader_.Read(path, details, reason);
    }

private:
    base::ComApartment com_;  // first in, last out
    DetailsReader reader_;
};

using ParallelDetailsReads = ParallelReads<WorkerDetailsReader>;

// One worker per processor of this computer.
unsigned DefaultReadWorkers();

// The console's /sums: writes a checksum list of the files the arguments
// stand for (app/console/sumstext.h), for the real tools to check.
//
// The files come in the console's order (app/console/filewalk.h) and are
// read several at once (components/parallelreads.h); the lines follow that
// order. Names are relative to the folder of the /out LIST, else to the
// current folder. With /out the list replaces LIST in one step as /csv's
// file does (app/save/safesave.h), with the same refusals: a device, a
// folder, a read-only, hidden or system file, or one of the files being read
// under any of its names, each before anything is read; the list never
// lists itself, also where a walked folder holds it. Without /out the lines
// go to standard output byte for byte.
#pragma once

#include <functional>
#include <string>

#include "app/console/sumstext.h"

// Runs /sums as `cmd` asks. Lines go to `out`, which returns false when it
// could not write (the run then ends with one message); messages, one line
// per file that could not be listed, go to `err`. Returns the exit code: 0
// when every file was listed, 1 otherwise.
int RunSums(const SumsCommand& cmd, const std::function<bool(const std::string&)>& out,
            const std::function<void(const std::string&)>& err);

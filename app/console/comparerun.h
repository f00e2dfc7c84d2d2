// The console's /compare: two files as cmp compares them, two folders as
// diff -rq does.
//
// Files: nothing and 0 when the contents are the same (also for one file
// under two names); "A B differ: byte N, line M" and 1 at the first
// difference; cmp's end-of-file message on standard error and 1 when one is a
// start of the other; a message and 2 on trouble: a name that cannot be
// read, a folder against a file, a device, a file that changed while it was
// compared. /details then lists each detail field that differs.
//
// Folders: both are walked together in walk order (WalkOrderLess), depth
// first: "Only in DIR: name" for a name one side lacks, "File X is a
// directory while file Y is a regular file" for kinds that differ, "Files X
// and Y differ" for files whose contents differ, compared on one worker per
// core and written in walk order. An entry or a folder that cannot be read,
// and a folder that is one of its own ancestors (a link loop), is reported
// once on standard error and the walk goes on. 0 when all are the same, 1
// when any differ, 2 on any trouble.
#pragma once

#include <functional>
#include <string>

#include "components/comparetext.h"

int RunCompare(const CompareCommand& cmd, const std::function<bool(const std::string&)>& out,
               const std::function<void(const std::string&)>& err);

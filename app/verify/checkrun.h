// The console's /check: verifies the files that checksum files list, as
// sha256sum -c does, for the forms components/hashtext.h reads.
//
// Every SUMFILE is read first (line by line, a line of any length costing no
// more than a short one); then, checksum file by checksum file, each listed
// file is verified and gets its line: "name: OK", "name: FAILED" or "name:
// FAILED open or read". Names are relative to the checksum file's folder
// (a rooted name or a drive is taken as it is); both slash kinds separate
// folders. Each listed file is read once, in one pass (components/filepass.h)
// that computes every kind of hash any checksum file asks of it, whatever
// the spelling it is listed under; a file that changes while it is read, a
// name no Windows file can have and a device name are "FAILED open or read",
// never OK. After each checksum file come the warnings (improperly formatted
// lines, files that could not be read, checksums that did not match), and
// for a checksum file with no valid line a message. The options are those
// of sha256sum -c (/strict, /status, /warn, /ignore-missing, /quiet) and
// /alg, the kind of every list's lines. A line whose tag names an algorithm
// not computed here (SHA3-256, SM3) gets "vantrel: <name>: unsupported
// digest <tag>" on standard error and a warning count of its own, and fails
// the run: that file is not verified.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/verify/checktext.h"

// Runs /check as `cmd` asks (app/verify/checktext.h reads it from the
// command line). The result lines go to `out`, which returns false when it could not
// write (the run then ends with one message); messages go to `err`. Returns
// the exit code: 0 when every listed file matched, 1 when any did not or
// could not be read (with /ignore-missing, a missing file is neither), when
// a line used an unsupported digest, when a checksum file could not be read,
// held no valid line or verified no file, or, with /strict, held an
// improperly formatted line.
int RunCheck(const CheckCommand& cmd, const std::function<bool(const std::string&)>& out,
             const std::function<void(const std::string&)>& err);

// The console mode, with no window, no notification-area icon and no message
// box, chosen by the first command-line argument: details reports and CSV
// lines for many files, written to the standard handles or to files; the
// checksum-file check (/check, app/verify/checkrun.h); and the registration of the
// right-click menu entry (/register, /unregister, app/console/shellregister.h).
#pragma once

#include <string>

#include "app/save/safesave.h"

// True when the first argument of `commandLine` is "/report", "/csv",
// "/check", "/sums", "/register", "/unregister" or "/?" (any case).
bool IsConsoleCommandLine(const std::string& commandLine);

// Runs the console mode for `commandLine` (the whole process command line)
// and returns the exit code: 0 when every file was reported, 1 when some
// could not be, 2 for a usage error.
int RunConsole(const std::string& commandLine);

// Replaces the file `path` with `bytes` as the Save button does
// (SaveReportSafely): never half written, never a device, never one of
// `protectedFiles`. False with the reason in `error` on failure; the target
// is then untouched and no temporary file remains.
bool ReplaceFileWithBytes(const std::string& path, const std::string& bytes, std::string& error,
                          const ProtectedFiles& protectedFiles);

// Writing the details report to disk.
#pragma once

#include <string>
#include <vector>

// Writes each line followed by CR LF as the whole new contents of `path`,
// through SaveReportSafely (app/save/safesave.h): the target is replaced in one
// step or left exactly as it was, and `inspectedFile` is never the target.
// Raises ETargetRefused or EReportNotSaved.
void WriteReportFile(const std::string& path, const std::vector<std::string>& lines,
                     const std::string& inspectedFile);

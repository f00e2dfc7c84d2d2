// Writing the details report to disk.
#pragma once

#include <string>
#include <vector>

// Creates or truncates `path` and writes each line followed by CR LF,
// checking every write and the close. Raises base::EInOutError with the Windows
// error code of the first failing call; the file is closed on every path and
// a partly written file is left as it is.
void WriteReportFile(const std::string& path, const std::vector<std::string>& lines);

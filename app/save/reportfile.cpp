#include "app/save/reportfile.h"

#include "app/save/safesave.h"
#include "base/fs.h"

void WriteReportFile(const std::string& path, const std::vector<std::string>& lines,
                     const std::string& inspectedFile) {
    std::string bytes;
    // UTF-8 without a byte-order mark: ASCII text keeps its bytes.
    for (const std::string& line : lines) bytes += line + "\r\n";
    SaveReportSafely(path, bytes, ProtectedFiles(inspectedFile));
}

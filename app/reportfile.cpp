#include "app/reportfile.h"

#include "app/safesave.h"

void WriteReportFile(const std::string& path, const std::vector<std::string>& lines,
                     const std::string& inspectedFile) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    SaveReportSafely(path, bytes, inspectedFile);
}

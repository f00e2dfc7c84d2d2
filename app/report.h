// The details report: 28 lines, each ending in CR LF, built from the texts and
// check states that the main window shows. Bytes are copied unchanged.
#pragma once

#include <array>
#include <string>
#include <vector>

struct ReportSource {
    std::string generatedAt;            // date-time text of the moment of saving
    std::array<std::string, 19> edt;    // edt[1] .. edt[18]; edt[0] unused
    std::array<bool, 8> chk{};          // chk[1] .. chk[7]; chk[0] unused
};

// The 28 lines without their line ends.
std::vector<std::string> ReportLines(const ReportSource& src);
// The whole file: every line followed by CR LF.
std::string ReportText(const ReportSource& src);

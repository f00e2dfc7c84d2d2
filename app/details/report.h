// The details report: 28 lines, each ending in CR LF, built from the texts and
// check states that the main window shows. Bytes are copied unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

struct ReportSource {
    std::string generatedAt;            // date-time text of the moment of saving
    std::array<std::string, 19> edt;    // edt[1] .. edt[18]; edt[0] unused
    std::array<bool, 8> chk{};          // chk[1] .. chk[7]; chk[0] unused
};

// One labelled value of the report: lines 3 to 20 ("Label: value") and the
// attribute lines 22 to 28 ("Label = True"), in report order. The value is
// as the report writes it (LineRule::ReportLine, base/linetext.h; "True" or "False" for an attribute).
struct ReportField {
    int line;  // 1-based
    std::string label;
    std::string value;
    bool attribute;
};
std::vector<ReportField> ReportFields(const ReportSource& src);

// The 28 lines without their line ends. Each value is written by
// LineRule::ReportLine: no value, whatever a file carries in its name or
// version resource, can start a line of its own.
std::vector<std::string> ReportLines(const ReportSource& src);
// The whole file: every line followed by CR LF.
std::string ReportText(const ReportSource& src);

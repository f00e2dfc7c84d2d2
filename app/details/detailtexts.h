// The one mapping from a file's details to what the main window's detail
// rows show, keyed by the rows table (app/details/detailrows.h). The window's refresh
// writes its rows from it; the console writes its reports and CSV lines from
// it, so that both say the same of one file. Needs no operating system.
#pragma once

#include <string>

#include "app/details/datetimetext.h"
#include "app/details/filedetails.h"
#include "app/details/report.h"

// The text of the row `id` (an edit of the rows table, Product Version
// included) for `details`, as one line (LineRule::WindowRow, base/linetext.h). Empty for the CRC and
// MD5 rows while their value is absent, and for rows that hold no text.
std::string RowText(const FileDetails& details, int id, const DateTimeFormat& format);
// The state of the check box row `id` for `details`.
bool RowChecked(const FileDetails& details, int id);

// The report the window holds after loading `path` with `details`: the name
// box's path and every reported row's text and state, stamped `generatedAt`.
ReportSource ReportFor(const std::string& path, const FileDetails& details, const DateTimeFormat& format,
                       const std::string& generatedAt);

// How a text that must stay on one line of some output is written: each kind
// of output has its rule for the control characters (C0 and DEL) that a
// file's name, a version text or a certificate's name may carry. Text without
// a control character is written as it is by every rule, except that a
// checksum line also escapes a backslash (see ChecksumFileName).
#pragma once

#include <string>

enum class LineRule {
    // A row or another text of a window: every control character a blank.
    WindowRow,
    // A value of the report, the copied report and the CSV: as in the row it
    // copies, every control character a blank, so the report keeps its lines.
    ReportLine,
    // A name on a line of the console (a message on standard error, a result
    // line of /check): as it is without a control character; otherwise a
    // backslash in front, and a backslash, line feed, carriage return, tab and
    // every other control character written "\\", "\n", "\r", "\t", "\xNN".
    // The backslash in front tells an escaped name from a path whose
    // backslashes are folders.
    ConsoleMessage,
    // A name in a checksum line as sha256sum writes and reads it: as it is
    // without a backslash, line feed or carriage return; otherwise a backslash
    // in front and those three written "\\", "\n", "\r". Other bytes stay,
    // since a reader of the line knows no other escape.
    ChecksumFileName,
};

// `text` written by `rule`. A rule that escapes only ever lengthens the text,
// by the backslash in front at least.
std::string OnOneLine(const std::string& text, LineRule rule);

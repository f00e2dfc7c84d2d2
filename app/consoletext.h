// The rules of the console mode that need no OS: reading its arguments, the
// usage text, the CSV form of a report, the report names in an output
// folder, the order of a folder walk, and the report rows from the
// inspection components' results.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/datetimetext.h"
#include "app/report.h"

// True when `firstArgument` selects the console mode: exactly "/report",
// "/csv" or "/?", in any case.
bool IsConsoleSwitch(const std::string& firstArgument);

enum class ConsoleForm { Report, Csv, Usage };

struct ConsoleCommand {
    ConsoleForm form = ConsoleForm::Usage;
    std::vector<std::string> files;  // FILE arguments in the order given
    bool hasOut = false;
    std::string out;  // the PATH after /out
};

// Reads the arguments after the program's name; the first one is the
// switch. False with a one-line reason for a usage error: no switch, no FILE,
// an unknown option, /out without a PATH or given twice.
bool ParseConsoleCommand(const std::vector<std::string>& arguments, ConsoleCommand& command,
                         std::string& error);

// The usage text, lines ending in CR LF.
std::string ConsoleUsage();

// One CSV field by RFC 4180: quoted, with inner quotes doubled, when it holds
// a comma, a quote, a CR or an LF; otherwise as it is.
std::string CsvField(const std::string& value);
// The header line: the report's labels in report order, then the seven
// attribute names, then "Signature" and "Signer"; ends in CR LF.
std::string CsvHeader();
// One record: the values of lines 3 to 20 and the attribute states, exactly
// as the report writes them, then the signature's status text and signer;
// ends in CR LF.
std::string CsvRecord(const ReportSource& src, const std::string& signature, const std::string& signer);

// The report name for `displayName` in an output folder: "<name>.txt", or
// "<name> (2).txt", "<name> (3).txt" … when that name is already in `used`
// (compared case-blind, as the file system does). The name returned is
// added to `used`.
std::string UniqueReportName(const std::string& displayName, std::set<std::string>& used);

// The order of a folder's entries in a walk: by name, case-blind, then by
// the bytes; true when `a` comes before `b`.
bool WalkOrderLess(const std::string& a, const std::string& b);

// The results of the inspection components for one file, as the main
// window's refresh reads them.
struct FileDetails {
    std::string displayName, fileType;
    std::int64_t fileSize = 0;
    bool attributes[7] = {};  // Archive, Read Only, Hidden, System, Temporary, Compressed, Offline
    TDateTime created = 0, accessed = 0, modified = 0;
    std::string companyName, fileVersion, fileDescription, legalCopyright, legalTrademark, languageName,
        comments, originalFilename, internalName;
    std::uint32_t crc = 0;
    std::string md5;
    std::string signature, signer;  // the signature's status text and signer (CSV only)
};

// The report source that the window holds after loading `path` with these
// results: the same texts as its rows, in the same fields.
ReportSource ReportSourceFor(const std::string& path, const FileDetails& details,
                             const DateTimeFormat& format, const std::string& generatedAt);

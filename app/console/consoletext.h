// The rules of the console mode that need no OS: reading its arguments, the
// usage text, the CSV form of a report, the report names in an output
// folder, the order of a folder walk and the escaping of its messages.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/details/report.h"
#include "components/digestkind.h"

// True when `firstArgument` selects the console mode: exactly "/report",
// "/csv" or "/?", in any case.
bool IsConsoleSwitch(const std::string& firstArgument);

enum class ConsoleForm { Report, Csv, Usage };

struct ConsoleCommand {
    ConsoleForm form = ConsoleForm::Usage;
    std::vector<std::string> files;  // FILE arguments in the order given
    bool hasOut = false;
    std::string out;  // the PATH after /out
    // /csv's digest columns (/hash sha256,blake3), in the order asked.
    std::vector<DigestKind> hashes;
    // /csv's trusted keys for the checksum files' signatures (/key FILE, as
    // /check takes them); none: the keys folder beside the program.
    std::vector<std::string> keyFiles;
};

// Reads the arguments after the program's name; the first one is the
// switch. False with a one-line reason for a usage error: no switch, no FILE,
// an unknown option, /out without a PATH or given twice; /hash (a list of
// /alg names, comma-separated) with /report, twice, without its list, or
// with a kind unknown or named twice.
bool ParseConsoleCommand(const std::vector<std::string>& arguments, ConsoleCommand& command,
                         std::string& error);

// The usage text, lines ending in CR LF.
std::string ConsoleUsage();

// One CSV field by RFC 4180: quoted, with inner quotes doubled, when it holds
// a comma, a quote, a CR or an LF; otherwise as it is.
std::string CsvField(const std::string& value);
// The header line: the report's labels in report order, then the seven
// attribute names, then "Signature" and "Signer", then each of `hashes` by
// its name ("SHA-256", "BLAKE3"), then "Checksum file" and "Checksum file
// signature", last whatever /hash adds; ends in CR LF.
std::string CsvHeader(const std::vector<DigestKind>& hashes = {});

// One record: the report's values in report order (ReportFields), exactly as
// the report writes them, then the signature's status text and signer, by
// the same rule (LineRule::ReportLine), then `digests` (the /hash columns),
// then the first checksum file beside the file that lists it and its
// signature's verdict (SigVerdictText), empty when none; ends in CR LF.
std::string CsvRecord(const ReportSource& src, const std::string& signature, const std::string& signer,
                      const std::vector<std::string>& digests = {}, const std::string& checksumFile = "",
                      const std::string& checksumSignature = "");

// The report name for `displayName` in an output folder: "<name>.txt", or
// "<name> (2).txt", "<name> (3).txt" … when that name is already in `used`
// (compared case-blind, as the file system does) or `isInput` says that it
// names one of the files being reported, which a report never replaces. The
// name returned is added to `used`.
std::string UniqueReportName(const std::string& displayName, std::set<std::string>& used,
                             const std::function<bool(const std::string& name)>& isInput = {});

// The progress line of a long run on a console: "<n> files, <r> files/s"
// (the rate rounded), where `seconds` have passed.
std::string ProgressLine(std::uint64_t files, double seconds);

// `name` in `folder`: joined by a backslash unless the folder ends in a
// separator or a drive's colon.
std::string JoinPath(const std::string& folder, const std::string& name);

// The order of a folder's entries in a walk: by name, case-blind, then by
// the bytes; true when `a` comes before `b`.
bool WalkOrderLess(const std::string& a, const std::string& b);

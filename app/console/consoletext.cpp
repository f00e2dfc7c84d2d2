#include "app/console/consoletext.h"

#include <cstddef>

#include "base/asciitext.h"
#include "base/linetext.h"

namespace {

std::string JoinRecord(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i]);
    }
    return line + "\r\n";
}

// The kinds after /hash at arguments[i]: "sha256,blake3"; `i` ends on the list.
bool ParseHashColumns(const std::vector<std::string>& arguments, std::size_t& i, ConsoleCommand& command,
                      std::string& error) {
    if (!command.hashes.empty()) {
        error = "/hash is given twice";
        return false;
    }
    if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = "/hash needs a KIND[,KIND...]";
        return false;
    }
    const std::string& list = arguments[++i];
    for (std::size_t at = 0; at <= list.size();) {
        std::size_t comma = list.find(',', at);
        if (comma == std::string::npos) comma = list.size();
        const std::string name = list.substr(at, comma - at);
        const DigestKind kind = DigestKindOfAlgName(name);
        if (kind == DigestKind::None) {
            error = "unknown /hash kind \"" + name +
                    "\" (md5, sha1, sha256, sha384, sha512, blake2b, blake3 or crc32)";
            return false;
        }
        for (DigestKind asked : command.hashes)
            if (asked == kind) {
                error = "/hash names " + name + " twice";
                return false;
            }
        command.hashes.push_back(kind);
        at = comma + 1;
    }
    return true;
}

}  // namespace

bool IsConsoleSwitch(const std::string& firstArgument) {
    return EqualCaseBlindAscii(firstArgument, "/report") || EqualCaseBlindAscii(firstArgument, "/csv") ||
           firstArgument == "/?";
}

bool ParseConsoleCommand(const std::vector<std::string>& arguments, ConsoleCommand& command,
                         std::string& error) {
    command = ConsoleCommand();
    if (arguments.empty() || !IsConsoleSwitch(arguments[0])) {
        error = "the first argument must be /report, /csv or /?";
        return false;
    }
    if (arguments[0] == "/?") {
        command.form = ConsoleForm::Usage;
        return true;
    }
    command.form = EqualCaseBlindAscii(arguments[0], "/csv") ? ConsoleForm::Csv : ConsoleForm::Report;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (EqualCaseBlindAscii(arg, "/out")) {
            if (command.hasOut) {
                error = "/out is given twice";
                return false;
            }
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = "/out needs a PATH";
                return false;
            }
            command.hasOut = true;
            command.out = arguments[++i];
        } else if (EqualCaseBlindAscii(arg, "/hash")) {
            if (!ParseHashColumns(arguments, i, command, error)) return false;
        } else if (EqualCaseBlindAscii(arg, "/key")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = "/key needs a FILE";
                return false;
            }
            command.keyFiles.push_back(arguments[++i]);
        } else if (!arg.empty() && arg[0] == '/' && arg.find_first_of("/\\", 1) == std::string::npos) {
            // "/x" is an option here, never a path: paths use backslashes or
            // carry a second separator.
            error = "unknown option " + arg;
            return false;
        } else if (!arg.empty()) {
            command.files.push_back(arg);
        }
    }
    if (command.files.empty()) {
        error = "no FILE given";
        return false;
    }
    if (!command.keyFiles.empty() && command.form != ConsoleForm::Csv) {
        error = "/key goes with /csv only";
        return false;
    }
    if (!command.hashes.empty() && command.form != ConsoleForm::Csv) {
        error = "/hash goes with /csv only";
        return false;
    }
    return true;
}

std::string ConsoleUsage() {
    return "Usage:\r\n"
           "  vantrel.exe [FILE]                         show FILE in the window\r\n"
           "  vantrel.exe /report FILE [FILE...] [/out PATH]\r\n"
           "      write each file's details report to standard output, separated by an\r\n"
           "      empty line; with /out, to the file PATH, or with several files or a\r\n"
           "      folder, to \"<display name>.txt\" in the folder PATH\r\n"
           "  vantrel.exe /csv FILE [FILE...] [/hash KIND[,KIND...]] [/key FILE]...\r\n"
           "                 [/out PATH]\r\n"
           "      write one CSV line per file (UTF-8, CR LF) after a header line; with\r\n"
           "      /hash, a column of each KIND's digest in lower-case hex after the\r\n"
           "      others; last the checksum file beside it that lists it and that\r\n"
           "      file's signature, judged by the /key files, else by the keys folder\r\n"
           "      beside vantrel.exe; with /out, to the file PATH\r\n"
           "  vantrel.exe /sums [/alg KIND] [/tag] [/zero] FILE... [/out LIST]\r\n"
           "      write a checksum list that sha256sum -c and its kin accept: UTF-8, LF,\r\n"
           "      names relative to the folder of LIST (else the current folder) with\r\n"
           "      forward slashes; KIND is md5, sha1, sha256 (without /alg), sha384,\r\n"
           "      sha512, blake2b, blake3 or crc32 (an .sfv list); /tag the BSD form,\r\n"
           "      /zero lines ending in NUL; with /out, to the file LIST\r\n"
           "  vantrel.exe /check SUMFILE... [/alg KIND] [/quiet|/status|/warn] [/strict]\r\n"
           "                   [/ignore-missing] [/key FILE]... [/require-signature]\r\n"
           "      verify the files that checksum files list (the lines of sha256sum,\r\n"
           "      sha512sum, md5sum, b2sum, b3sum, cksum, plain or tagged, and .sfv),\r\n"
           "      names relative to the checksum file's folder; \"name: OK\", \"name:\r\n"
           "      FAILED\" or \"name: FAILED open or read\" per file. /alg KIND (md5, sha1,\r\n"
           "      sha256, sha384, sha512, blake2b, blake3, crc32): the kind of every\r\n"
           "      list's lines; /quiet: only the failures; /status: no output, only the\r\n"
           "      exit code; /warn: a message per improperly formatted line; /strict:\r\n"
           "      such lines fail; /ignore-missing: a missing file is no failure. Before\r\n"
           "      a list's files, on standard error, the verdict on its signature\r\n"
           "      (LIST.asc, .sig, .gpg, .minisig, or the list clearsigned) by the\r\n"
           "      OpenPGP, minisign or signify public keys in the /key FILEs; a bad\r\n"
           "      signature fails the run, and with /require-signature an unknown key or\r\n"
           "      a missing signature does too\r\n"
           "  vantrel.exe /compare [/details] A B\r\n"
           "      compare two files as cmp does, or two folders as diff -rq does; with\r\n"
           "      /details, also each detail field of two files that differs\r\n"
           "  vantrel.exe /register                      add \"File details with Vantrel\" to\r\n"
           "      the right-click menu of every file and Vantrel to Send To, for this\r\n"
           "      user only; /unregister removes exactly that\r\n"
           "  vantrel.exe /?                             show this text\r\n"
           "A folder among the FILEs stands for every file below it, in name order.\r\n"
           "Exit code: 0 when every file was reported, 1 when some could not be (each\r\n"
           "named on standard error), 2 for a usage error.\r\n"
           "For /check: 0 when every listed file matched, 1 when any did not or could\r\n"
           "not be read, a checksum file held no valid line or verified no file, or a\r\n"
           "line used an unsupported digest, 2 for a usage error.\r\n"
           "For /compare: 0 when the same, 1 when different, 2 on trouble.\r\n";
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvHeader(const std::vector<DigestKind>& hashes) {
    std::vector<std::string> names;
    for (const ReportField& f : ReportFields(ReportSource())) names.push_back(f.label);
    names.push_back("Signature");
    names.push_back("Signer");
    for (DigestKind kind : hashes) names.push_back(DigestKindName(kind));
    names.push_back("Checksum file");
    names.push_back("Checksum file signature");
    return JoinRecord(names);
}

std::string CsvRecord(const ReportSource& src, const std::string& signature, const std::string& signer,
                      const std::vector<std::string>& digests, const std::string& checksumFile,
                      const std::string& checksumSignature) {
    std::vector<std::string> values;
    for (const ReportField& f : ReportFields(src)) values.push_back(f.value);
    // The signer's name is the certificate's: one line, as the report's values.
    values.push_back(OnOneLine(signature, LineRule::ReportLine));
    values.push_back(OnOneLine(signer, LineRule::ReportLine));
    values.insert(values.end(), digests.begin(), digests.end());
    // A file name and a signer's name are anyone's to choose: one line each.
    values.push_back(OnOneLine(checksumFile, LineRule::ReportLine));
    values.push_back(OnOneLine(checksumSignature, LineRule::ReportLine));
    return JoinRecord(values);
}

std::string UniqueReportName(const std::string& displayName, std::set<std::string>& used,
                             const std::function<bool(const std::string& name)>& isInput) {
    std::string name = displayName + ".txt";
    for (int n = 2; used.count(UpperCaseAscii(name)) || (isInput && isInput(name)); ++n)
        name = displayName + " (" + std::to_string(n) + ").txt";
    used.insert(UpperCaseAscii(name));
    return name;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/' || folder.back() == ':'))
        return folder + name;
    return folder + "\\" + name;
}

std::string ProgressLine(std::uint64_t files, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(files) / seconds : 0;
    return std::to_string(files) + (files == 1 ? " file, " : " files, ") +
           std::to_string(static_cast<unsigned long long>(rate + 0.5)) + " files/s";
}

bool WalkOrderLess(const std::string& a, const std::string& b) {
    const std::string ua = UpperCaseAscii(a), ub = UpperCaseAscii(b);
    if (ua != ub) return ua < ub;
    return a < b;
}

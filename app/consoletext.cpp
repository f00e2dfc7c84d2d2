#include "app/consoletext.h"

#include <cstddef>

namespace {

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool SameCaseBlind(const std::string& a, const char* b) { return UpperAscii(a) == UpperAscii(b); }

// The report lines split into label and value: lines 3 to 20 at their
// ": ", the attribute lines at their " = ".
constexpr std::size_t kFirstField = 2, kFieldCount = 18, kFirstAttribute = 21, kAttributeCount = 7;

std::string FieldLabel(const std::string& line) { return line.substr(0, line.find(": ")); }
std::string AttributeLabel(const std::string& line) { return line.substr(0, line.rfind(" = ")); }
std::string AttributeValue(const std::string& line) { return line.substr(line.rfind(" = ") + 3); }

std::string JoinRecord(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i]);
    }
    return line + "\r\n";
}

}  // namespace

bool IsConsoleSwitch(const std::string& firstArgument) {
    return SameCaseBlind(firstArgument, "/report") || SameCaseBlind(firstArgument, "/csv") ||
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
    command.form = SameCaseBlind(arguments[0], "/csv") ? ConsoleForm::Csv : ConsoleForm::Report;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (SameCaseBlind(arg, "/out")) {
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
    return true;
}

std::string ConsoleUsage() {
    return "Usage:\r\n"
           "  vantrel.exe [FILE]                         show FILE in the window\r\n"
           "  vantrel.exe /report FILE [FILE...] [/out PATH]\r\n"
           "      write each file's details report to standard output, separated by an\r\n"
           "      empty line; with /out, to the file PATH, or with several files or a\r\n"
           "      folder, to \"<display name>.txt\" in the folder PATH\r\n"
           "  vantrel.exe /csv FILE [FILE...] [/out PATH]\r\n"
           "      write one CSV line per file (UTF-8, CR LF) after a header line; with\r\n"
           "      /out, to the file PATH\r\n"
           "  vantrel.exe /?                             show this text\r\n"
           "A folder among the FILEs stands for every file below it, in name order.\r\n"
           "Exit code: 0 when every file was reported, 1 when some could not be (each\r\n"
           "named on standard error), 2 for a usage error.\r\n";
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

std::string CsvHeader() {
    const std::vector<std::string> lines = ReportLines(ReportSource());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kFieldCount; ++i) names.push_back(FieldLabel(lines[kFirstField + i]));
    for (std::size_t i = 0; i < kAttributeCount; ++i)
        names.push_back(AttributeLabel(lines[kFirstAttribute + i]));
    names.push_back("Signature");
    names.push_back("Signer");
    return JoinRecord(names);
}

std::string CsvRecord(const ReportSource& src, const std::string& signature, const std::string& signer) {
    const std::vector<std::string> lines = ReportLines(src);
    std::vector<std::string> values;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const std::string& line = lines[kFirstField + i];
        // The label is the one of the empty report; the value is the rest,
        // even when it holds ": " itself.
        values.push_back(line.substr(line.find(": ") + 2));
    }
    for (std::size_t i = 0; i < kAttributeCount; ++i)
        values.push_back(AttributeValue(lines[kFirstAttribute + i]));
    values.push_back(signature);
    values.push_back(signer);
    return JoinRecord(values);
}

std::string UniqueReportName(const std::string& displayName, std::set<std::string>& used) {
    std::string name = displayName + ".txt";
    for (int n = 2; used.count(UpperAscii(name)); ++n)
        name = displayName + " (" + std::to_string(n) + ").txt";
    used.insert(UpperAscii(name));
    return name;
}

bool WalkOrderLess(const std::string& a, const std::string& b) {
    const std::string ua = UpperAscii(a), ub = UpperAscii(b);
    if (ua != ub) return ua < ub;
    return a < b;
}

ReportSource ReportSourceFor(const std::string& path, const FileDetails& d, const DateTimeFormat& format,
                             const std::string& generatedAt) {
    ReportSource src;
    src.generatedAt = generatedAt;
    src.edt[1] = path;
    src.edt[2] = d.displayName;
    src.edt[3] = d.fileType;
    src.edt[4] = std::to_string(d.fileSize);
    src.edt[5] = DateTimeText(d.created, format);
    src.edt[6] = DateTimeText(d.accessed, format);
    src.edt[7] = DateTimeText(d.modified, format);
    src.edt[8] = d.companyName;
    src.edt[9] = d.fileVersion;
    src.edt[10] = d.fileDescription;
    src.edt[11] = d.legalCopyright;
    src.edt[12] = d.legalTrademark;
    src.edt[13] = d.languageName;
    src.edt[14] = d.comments;
    src.edt[15] = d.originalFilename;
    src.edt[16] = d.internalName;
    src.edt[17] = std::to_string(static_cast<unsigned long long>(d.crc));
    src.edt[18] = d.md5;
    for (std::size_t i = 0; i < 7; ++i) src.chk[i + 1] = d.attributes[i];
    return src;
}

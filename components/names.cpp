#include "components/names.h"

#include <cctype>

#include <array>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Index of the last backslash or colon, or npos.
std::string::size_type LastPathDelimiter(const std::string& name) {
    return name.find_last_of("\\:");
}

bool HasExtension(const std::string& name) { return !ExtractFileExt(name).empty(); }

}  // namespace

std::string Trim(const std::string& s) {
    std::string::size_type first = 0;
    std::string::size_type last = s.size();
    while (first < last && IsBlank(s[first])) ++first;
    while (last > first && IsBlank(s[last - 1])) --last;
    return s.substr(first, last - first);
}

std::string ExtractFilePath(const std::string& name) {
    const auto pos = LastPathDelimiter(name);
    return pos == std::string::npos ? std::string() : name.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& name) {
    const auto pos = LastPathDelimiter(name);
    return pos == std::string::npos ? name : name.substr(pos + 1);
}

std::string ExtractFileExt(const std::string& name) {
    const auto dot = name.find_last_of(".\\:");
    if (dot == std::string::npos || name[dot] != '.') return std::string();
    return name.substr(dot);
}


void SplitAtDelimiter(const std::string& Delimiter, const std::string& Text,
                      std::string& Left, std::string& Right, bool KeepDelimiter) {
    // An empty delimiter is never found, as a position search for it finds nothing.
    const auto pos = Delimiter.empty() ? std::string::npos : Text.find(Delimiter);
    if (pos == std::string::npos) {
        Left = Text;
        Right.clear();
        return;
    }
    Left = Text.substr(0, pos);
    Right = Text.substr(pos + Delimiter.size());
    if (KeepDelimiter) Right.insert(0, Delimiter);
}

void SplitCommandLine(std::string& Name, std::string& Params) {
    Name = Trim(Name);
    if (Name.empty()) return;

    const auto q1 = Name.find('"');
    if (q1 != std::string::npos) Name.erase(q1, 1);
    const auto q2 = Name.find('"');

    if (q1 != std::string::npos && q2 != std::string::npos) {
        Name.erase(q2, 1);
        if (q1 == 0) {
            // The character that followed the closing quote (normally the
            // separating space) belongs to neither part.
            Params = q2 + 1 < Name.size() ? Name.substr(q2 + 1) : std::string();
            Name.resize(q2);
            Params = Trim(Params);
            const auto p1 = Params.find('"');
            if (p1 != std::string::npos) {
                Params.erase(p1, 1);
                const auto p2 = Params.find('"');
                if (p2 != std::string::npos) Params.erase(p2, 1);
            }
        } else {
            // Text before the opening quote is the program; the character in
            // front of the quote is taken to be the separator and dropped.
            Params = Name.substr(q1);
            Name.resize(q1 - 1);
        }
    } else {
        Params.clear();
        const std::string line = Name;

        struct Delimiter {
            const char* text;
            bool keep;
        };
        static constexpr std::array<Delimiter, 5> kDelimiters{{
            {" -", true}, {" /", true}, {" \\", true}, {",", false}, {" %", true}}};
        for (const Delimiter& d : kDelimiters) {
            if (!Params.empty()) break;
            std::string left;
            std::string right;
            SplitAtDelimiter(d.text, Name, left, right, d.keep);
            // A cut that would lose the name's extension falls inside the
            // name itself (a blank or comma in a folder or file name).
            if (HasExtension(Name) && !HasExtension(left)) continue;
            Name = left;
            Params = right;
        }

        // A library command line: the program part runs up to the first blank
        // of the line's last path component, so that the library and its entry
        // point stay together.
        if (UpperCaseAscii(ExtractFileExt(Name)) == ".DLL" &&
            UpperCaseAscii(Name).find("RUNDLL") != std::string::npos) {
            std::string first;
            SplitAtDelimiter(" ", ExtractFileName(line), first, Params, false);
            Name = ExtractFilePath(line) + first;
        }
    }

    Name = Trim(Name);
    Params = Trim(Params);
}

std::string ExtractProgramName(const std::string& CommandLine) {
    std::string name = CommandLine;
    std::string params;
    SplitCommandLine(name, params);
    return name;
}

std::string ExpandProgramName(const std::string& Value, const ProgramSearch& search) {
    const auto probe = [&search](const std::string& name) {
        return search.Probe ? search.Probe(name) : EntryKind::None;
    };
    const auto isFile = [&probe](const std::string& name) {
        return probe(name) == EntryKind::File;
    };

    // A name that exists as given must not be taken apart as if it were a
    // command line: blanks, hyphens and commas are ordinary in file names.
    const std::string trimmed = Trim(Value);
    if (trimmed.empty()) return trimmed;
    // Nor traded for another file that its trimmed form names.
    if (trimmed != Value) {
        const EntryKind given = probe(Value);
        if (given == EntryKind::File || given == EntryKind::Directory) return Value;
    }
    const EntryKind kind = probe(trimmed);
    if (kind == EntryKind::File || kind == EntryKind::Directory) return trimmed;

    std::string name = ExtractProgramName(Value);
    // The empty name is the cleared state; it is never looked up, so that no
    // stray file called ".exe" in a search directory can stand in for it.
    if (name.empty()) return name;
    if (!ExtractFilePath(name).empty() || isFile(name)) return name;

    for (;;) {
        if (isFile(search.SystemDir + name)) return search.SystemDir + name;
        if (isFile(search.WindowsDir + name)) return search.WindowsDir + name;
        if (!HasExtension(name)) {
            name += ".exe";
            continue;
        }
        return ExtractProgramName(Value);
    }
}

std::string ParamStr(const std::string& CommandLine, int Index) {
    if (Index < 0) return std::string();
    // The command line is a C string: a zero byte ends it.
    const std::string line = CommandLine.substr(0, CommandLine.find('\0'));
    const std::string::size_type n = line.size();
    std::string::size_type p = 0;
    std::string arg;

    for (int i = 0;; ++i) {
        for (;;) {
            while (p < n && IsBlank(line[p])) ++p;
            if (p + 1 < n && line[p] == '"' && line[p + 1] == '"') {
                p += 2;
            } else {
                break;
            }
        }
        arg.clear();
        while (p < n && !IsBlank(line[p])) {
            if (line[p] == '"') {
                ++p;
                while (p < n && line[p] != '"') arg += line[p++];
                if (p < n) ++p;
            } else {
                arg += line[p++];
            }
        }
        // Only the end of the line leaves an argument empty.
        if (i == Index || arg.empty()) return arg;
    }
}

bool IsDeviceName(const std::string& name) {
    auto slash = [](char c) { return c == '\\' || c == '/'; };
    if (name.size() >= 4 && slash(name[0]) && slash(name[1]) && (name[2] == '.' || name[2] == '?') &&
        slash(name[3])) {
        // "\\?\C:\..." is a long form of an ordinary path; everything else
        // under these prefixes names a device, a pipe or a volume.
        const bool drivePath = name[2] == '?' && name.size() >= 7 && std::isalpha(static_cast<unsigned char>(name[4])) &&
                               name[5] == ':' && slash(name[6]);
        return !drivePath;
    }
    // Here the system takes '/' as a separator too.
    const size_t cut = name.find_last_of("\\/:");
    std::string base = cut == std::string::npos ? name : name.substr(cut + 1);
    // The system ignores an extension and trailing dots and blanks here.
    const size_t dot = base.find('.');
    if (dot != std::string::npos) base.resize(dot);
    while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
    base = UpperCaseAscii(base);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (base == d) return true;
    if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
    const std::string digit = base.substr(3);
    // Superscript one, two and three count as digits: one byte each in the
    // Western single-byte code page, two in UTF-8.
    static const char* const kDigits[] = {"\xB9", "\xB2", "\xB3", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    if (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') return true;
    for (const char* d : kDigits)
        if (digit == d) return true;
    return false;
}

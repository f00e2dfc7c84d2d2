// Fuzz target for the name rules: command-line splitting, the program search,
// argument extraction and the device-name test.
//
// The whole input is a command line. For the program search the input is also
// read as lines: the first is the value assigned, every further line names an
// entry that exists, a leading '>' making it a directory rather than a file.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "components/names.h"
#include "fuzz/check.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsTrimmed(const std::string& s) { return s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back())); }

// Whether every character of part occurs in whole, in the same order.
bool IsSubsequence(const std::string& part, const std::string& whole) {
    std::size_t i = 0;
    for (char c : whole)
        if (i < part.size() && part[i] == c) ++i;
    return i == part.size();
}

void CheckSplitCommandLine(const std::string& line) {
    const std::string kUntouched = "\x01untouched";
    std::string name = line;
    std::string params = kUntouched;
    SplitCommandLine(name, params);

    FUZZ_CHECK(IsTrimmed(name));
    FUZZ_CHECK(name.find('"') == std::string::npos);
    FUZZ_CHECK(name == ExtractProgramName(line));
    if (Trim(line).empty()) {
        FUZZ_CHECK(name.empty());
        FUZZ_CHECK(params == kUntouched);
        return;
    }
    FUZZ_CHECK(IsTrimmed(params));
    // The splitter only drops characters and cuts the line in two:
    // the program part comes first and nothing is invented or reordered.
    const std::string trimmed = Trim(line);
    FUZZ_CHECK(IsSubsequence(name + params, trimmed));

    // With two quotes the program is what the first pair encloses, or, when
    // text stands before the opening quote, that text less the separator.
    const auto open = trimmed.find('"');
    const auto close = open == std::string::npos ? open : trimmed.find('"', open + 1);
    if (close != std::string::npos) {
        if (open == 0)
            FUZZ_CHECK(name == Trim(trimmed.substr(1, close - 1)));
        else
            FUZZ_CHECK(name == Trim(trimmed.substr(0, open - 1)));
    }
}

struct FakeFileSystem {
    std::set<std::string> files;
    std::set<std::string> directories;
    std::vector<std::string> asked;

    EntryKind Probe(const std::string& name) {
        asked.push_back(name);
        if (files.count(name)) return EntryKind::File;
        if (directories.count(name)) return EntryKind::Directory;
        return EntryKind::None;
    }
};

void CheckExpandProgramName(const std::string& input) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = input.find('\n', start);
        lines.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const std::string& value = lines[0];

    FakeFileSystem fs;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i][0] == '>')
            fs.directories.insert(lines[i].substr(1));
        else
            fs.files.insert(lines[i]);
    }
    ProgramSearch search;
    search.SystemDir = "C:\\W\\S\\";
    search.WindowsDir = "C:\\W\\";
    search.Probe = [&fs](const std::string& name) { return fs.Probe(name); };
    const auto isFile = [&fs](const std::string& name) { return fs.files.count(name) != 0; };

    const std::string result = ExpandProgramName(value, search);

    for (const std::string& asked : fs.asked) FUZZ_CHECK(!asked.empty());

    const std::string trimmed = Trim(value);
    if (trimmed.empty()) {
        FUZZ_CHECK(result.empty());
        return;
    }
    // A name that exists as given is kept exactly, never traded for the
    // entry its trimmed form names.
    const bool untrimmed = trimmed != value;
    if (untrimmed && (isFile(value) || fs.directories.count(value))) {
        FUZZ_CHECK(result == value);
        return;
    }
    FUZZ_CHECK(result.size() <= trimmed.size() + search.SystemDir.size() + 4);
    if (isFile(trimmed) || fs.directories.count(trimmed)) {
        FUZZ_CHECK(result == trimmed);
        return;
    }

    const std::string name = ExtractProgramName(value);
    // The cleared name is never looked up, with or without ".exe", so that no
    // stray entry in a search directory can stand in for an empty value.
    if (name.empty()) FUZZ_CHECK(fs.asked.size() == (untrimmed ? 2u : 1u));
    if (name.empty() || !ExtractFilePath(name).empty() || isFile(name)) {
        FUZZ_CHECK(result == name);
        return;
    }

    // A bare name not found as given: the first existing candidate in search
    // order wins, and the name as given when none exists.
    std::vector<std::string> candidates{search.SystemDir + name, search.WindowsDir + name};
    if (ExtractFileExt(name).empty()) {
        candidates.push_back(search.SystemDir + name + ".exe");
        candidates.push_back(search.WindowsDir + name + ".exe");
    }
    std::string expected = name;
    for (const std::string& c : candidates) {
        if (isFile(c)) {
            expected = c;
            break;
        }
    }
    FUZZ_CHECK(result == expected);
}

void CheckParamStr(const std::string& line) {
    const std::string cString = line.substr(0, line.find('\0'));
    FUZZ_CHECK(ParamStr(line, -1).empty());

    // Without quotes the rule is a plain split at characters of 32 or less.
    std::vector<std::string> words;
    if (cString.find('"') == std::string::npos) {
        std::string word;
        for (char c : cString) {
            if (IsBlank(c)) {
                if (!word.empty()) words.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        if (!word.empty()) words.push_back(word);
    }

    constexpr int kArguments = 10;
    std::string all;
    bool ended = false;
    for (int i = 0; i < kArguments; ++i) {
        const std::string arg = ParamStr(line, i);
        FUZZ_CHECK(arg == ParamStr(cString, i));
        FUZZ_CHECK(arg.find('"') == std::string::npos);
        FUZZ_CHECK(arg.find('\0') == std::string::npos);
        // Only the end of the line gives an empty argument.
        if (ended) FUZZ_CHECK(arg.empty());
        if (arg.empty()) ended = true;
        if (cString.find('"') == std::string::npos)
            FUZZ_CHECK(arg == (static_cast<std::size_t>(i) < words.size() ? words[i] : std::string()));
        all += arg;
    }
    FUZZ_CHECK(IsSubsequence(all, cString));
}

std::string SwapCase(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

void CheckIsDeviceName(const std::string& name) {
    const bool device = IsDeviceName(name);
    FUZZ_CHECK(IsDeviceName(SwapCase(name)) == device);
    FUZZ_CHECK(IsDeviceName("\\\\.\\" + name));
    FUZZ_CHECK(!IsDeviceName("\\\\?\\C:\\" + name));

    if (name.find_first_of("\\/:") != std::string::npos) return;
    // A plain name is judged by itself, whatever folder holds it.
    FUZZ_CHECK(IsDeviceName("C:\\dir\\" + name) == device);
    FUZZ_CHECK(IsDeviceName("dir:" + name) == device);
    // An extension, trailing dots and trailing blanks do not change a name.
    if (name.find('.') == std::string::npos) {
        FUZZ_CHECK(IsDeviceName(name + ".txt") == device);
        FUZZ_CHECK(IsDeviceName(name + ". .") == device);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckSplitCommandLine(input);
    CheckExpandProgramName(input);
    CheckParamStr(input);
    CheckIsDeviceName(input);
    return 0;
}

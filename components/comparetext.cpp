#include "components/comparetext.h"

#include "base/asciitext.h"

bool IsCompareSwitch(const std::string& firstArgument) {
    return EqualCaseBlindAscii(firstArgument, "/compare");
}

bool ParseCompareCommand(const std::vector<std::string>& arguments, CompareCommand& command,
                         std::string& error) {
    command = CompareCommand();
    if (arguments.empty() || !IsCompareSwitch(arguments[0])) {
        error = "the first argument must be /compare";
        return false;
    }
    std::vector<std::string> names;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (EqualCaseBlindAscii(arg, "/details")) {
            command.details = true;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 2 || names[0].empty() || names[1].empty()) {
        error = "/compare takes two files or two folders";
        return false;
    }
    command.first = names[0];
    command.second = names[1];
    return true;
}

std::string GroupedNumber(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::uint64_t CountLineFeeds(const unsigned char* data, std::size_t len) {
    // Counted in blocks of a small type, which the compiler turns into
    // vector compares.
    std::uint64_t total = 0;
    while (len > 0) {
        const std::size_t block = len < 255 ? len : 255;
        unsigned char count = 0;
        for (std::size_t i = 0; i < block; ++i) count = static_cast<unsigned char>(count + (data[i] == '\n'));
        total += count;
        data += block;
        len -= block;
    }
    return total;
}

std::string CmpDifferLine(const std::string& first, const std::string& second, std::uint64_t byte,
                          std::uint64_t line) {
    return first + " " + second + " differ: byte " + std::to_string(byte) + ", line " + std::to_string(line) +
           "\r\n";
}

std::string CmpEofMessage(const std::string& shorter, std::uint64_t length, std::uint64_t lineFeeds,
                          bool endsInLineFeed) {
    if (length == 0) return "EOF on " + shorter + " which is empty";
    // After a closing line feed the count of lines is done; otherwise the
    // last line is under way.
    return "EOF on " + shorter + " after byte " + std::to_string(length) +
           (endsInLineFeed ? ", line " : ", in line ") +
           std::to_string(endsInLineFeed ? lineFeeds : lineFeeds + 1);
}

std::string DiffOnlyIn(const std::string& folder, const std::string& name) {
    return "Only in " + folder + ": " + name + "\r\n";
}

std::string DiffFilesDiffer(const std::string& first, const std::string& second) {
    return "Files " + first + " and " + second + " differ\r\n";
}

std::string DiffKindsDiffer(const std::string& first, bool firstIsFolder, const std::string& second,
                            bool secondIsFolder) {
    const auto kind = [](bool folder) { return folder ? "directory" : "regular file"; };
    return "File " + first + " is a " + kind(firstIsFolder) + " while file " + second + " is a " +
           kind(secondIsFolder) + "\r\n";
}

std::string DetailDifferenceLine(const std::string& label, const std::string& first,
                                 const std::string& second) {
    return label + ": " + first + " | " + second + "\r\n";
}

std::string CompareVerdictLine(CompareVerdict verdict, const std::string& second, std::uint64_t byte,
                               const std::string& reason) {
    switch (verdict) {
        case CompareVerdict::Same:
            return "Same contents as " + second;
        case CompareVerdict::SameFile:
            return second + " is the same file";
        case CompareVerdict::Differs:
            return "Differs from " + second + " at byte " + GroupedNumber(byte);
        case CompareVerdict::Shorter:
            return second + " is shorter: it ends at byte " + GroupedNumber(byte);
        case CompareVerdict::Longer:
            return second + " is longer: it goes on past byte " + GroupedNumber(byte);
        case CompareVerdict::Unreadable:
            return second + " could not be read: " + reason;
        case CompareVerdict::Changed:
            return "Not compared: a file changed while being compared";
    }
    return std::string();
}

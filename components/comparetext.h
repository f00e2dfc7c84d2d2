// The words of a compare of two files or two folders, which need no
// operating system: the console's lines as cmp and diff -rq write them, the
// window's verdict line, byte numbers with thousands separators, and the
// reading of /compare's arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// True when `firstArgument` is "/compare" (any case).
bool IsCompareSwitch(const std::string& firstArgument);

struct CompareCommand {
    std::string first, second;  // the two names as given
    bool details = false;       // /details: the detail fields that differ too
};

// Reads the arguments after the program's name, the switch first: exactly
// two names, /details anywhere after the switch (every other argument is a
// name). False with a one-line reason for a usage error.
bool ParseCompareCommand(const std::vector<std::string>& arguments, CompareCommand& command,
                         std::string& error);

// `n` in decimal with a comma between each group of three digits: "1,234,567".
std::string GroupedNumber(std::uint64_t n);

// Counts the line feeds among `len` bytes.
std::uint64_t CountLineFeeds(const unsigned char* data, std::size_t len);

// Where two contents part, as cmp counts: `byte` is 1-based; `line` is 1 and
// one more for every line feed before that byte.
// cmp's line for contents that differ: "A B differ: byte N, line M" + CR LF.
std::string CmpDifferLine(const std::string& first, const std::string& second, std::uint64_t byte,
                          std::uint64_t line);
// cmp's message (without the program's prefix) for contents of which `shorter`
// is a start of the other: "EOF on X which is empty", "EOF on X after byte N,
// line M" when its last byte is a line feed, else "... after byte N, in line
// M". `lineFeeds` counts the line feeds of the shorter contents.
std::string CmpEofMessage(const std::string& shorter, std::uint64_t length, std::uint64_t lineFeeds,
                          bool endsInLineFeed);

// diff -rq's lines, each + CR LF.
std::string DiffOnlyIn(const std::string& folder, const std::string& name);
std::string DiffFilesDiffer(const std::string& first, const std::string& second);
// "File A is a directory while file B is a regular file", either way round.
std::string DiffKindsDiffer(const std::string& first, bool firstIsFolder, const std::string& second,
                            bool secondIsFolder);

// One detail field that differs: "Field: value-in-A | value-in-B" + CR LF.
std::string DetailDifferenceLine(const std::string& label, const std::string& first,
                                 const std::string& second);

// What the window says of a compare with the file named `second`.
enum class CompareVerdict {
    Same,        // same contents
    SameFile,    // the very file the window shows, under another name perhaps
    Differs,     // at `byte`
    Shorter,     // the second ends at `byte`, a start of the first
    Longer,      // the first is a start of the second, which goes on past `byte`
    Unreadable,  // `reason` is the system's text
    Changed,     // one of the two changed while being compared
};
std::string CompareVerdictLine(CompareVerdict verdict, const std::string& second, std::uint64_t byte,
                               const std::string& reason);

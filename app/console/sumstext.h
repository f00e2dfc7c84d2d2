// The rules of the console's /sums that need no OS: reading its arguments,
// the name a list gives a file, and the list's lines.
//
// A list is what sha256sum, sha512sum, b2sum, b3sum or cksum write and
// check: UTF-8 without a byte-order mark, each line ended by a line feed
// (a NUL with /zero), the digest in lower-case hex, two blanks, the name; a
// name with a backslash, a line feed or a carriage return is escaped as the
// GNU tools escape it ("\\", "\n", "\r" behind a backslash that starts the
// line), except with /zero, where no name needs it. /tag writes the BSD form
// ("SHA256 (name) = hex"); crc32 writes an SFV list ("name CRC").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "components/digestkind.h"

// True when `firstArgument` is "/sums" in any case.
bool IsSumsSwitch(const std::string& firstArgument);

struct SumsCommand {
    DigestKind kind = DigestKind::SHA256;  // as sha256sum, without /alg
    bool tag = false;                      // the BSD tag form
    bool zero = false;                     // each line ends in NUL, names unescaped
    std::vector<std::string> files;        // FILE and FOLDER arguments in the order given
    bool hasOut = false;
    std::string out;  // the LIST after /out
};

// Reads the arguments after the program's name; the first one is /sums.
// False with a one-line reason for a usage error: no FILE, an unknown
// option, /alg without a kind or with one this program does not compute,
// /alg or /out given twice or without its value, /tag or /zero with crc32
// (an SFV list has neither).
bool ParseSumsCommand(const std::vector<std::string>& arguments, SumsCommand& command, std::string& error);

// Whether two names of one folder or file are the same, as the file system
// compares them.
using SameName = std::function<bool(const std::string& a, const std::string& b)>;

// The name a list in `folder` gives `file`, both absolute Windows paths
// ("C:\a\b", "\\server\share\a", optionally in the "\\?\" form): relative
// to the folder with forward slashes ("sub/x.txt"), with "../" for each
// folder to go up ("../other/x.txt"), since the tools look for the names
// from the list's folder; a file under another drive or share, which no
// relative name reaches, by its absolute path with forward slashes
// ("D:/x.txt", "//server/share/x.txt"). Folders are compared by `same`.
std::string ListedName(const std::string& folder, const std::string& file, const SameName& same);

// The line of the list for a file listed as `name` with the digest `hex`,
// its end (LF or NUL) included; empty when the form cannot carry the name
// (an SFV line has no escapes: a line break, a leading blank or ';' and a
// name that would not read back as itself).
std::string SumsLine(const SumsCommand& command, const std::string& name, const std::string& hex);

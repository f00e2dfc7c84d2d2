// The rules of the console's /check that need no OS: its arguments, its
// output lines and its closing warnings, worded as sha256sum -c words them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// True when `firstArgument` is "/check", in any case.
bool IsCheckSwitch(const std::string& firstArgument);

struct CheckCommand {
    std::vector<std::string> sumFiles;  // SUMFILE arguments in the order given
    bool quiet = false;                 // print only the failures
    std::vector<std::string> keyFiles;  // /key FILE: the trusted keys, in the order given
    bool requireSignature = false;      // /require-signature: an unknown key or none fails
};

// Reads the arguments after the program's name; the first one is /check.
// False with a one-line reason for a usage error: no SUMFILE, an option
// other than /quiet, /key FILE and /require-signature, or /key without its
// FILE.
bool ParseCheckCommand(const std::vector<std::string>& arguments, CheckCommand& command, std::string& error);

enum class CheckStatus { Ok, Failed, Unreadable };

// "<name>: OK", "<name>: FAILED" or "<name>: FAILED open or read", the name
// as a console line shows it (LineRule::ConsoleMessage, base/linetext.h); ends in CR LF.
std::string CheckLine(const std::string& name, CheckStatus status);

// The warnings after a checksum file's lines, one per count that is not
// zero, each "vantrel: WARNING: …" ending in CR LF:
//   "1 line is improperly formatted" / "N lines are improperly formatted",
//   "1 listed file could not be read" / "N listed files could not be read",
//   "1 computed checksum did NOT match" / "N computed checksums did NOT match".
std::string CheckWarnings(std::size_t malformed, std::size_t unreadable, std::size_t mismatched);

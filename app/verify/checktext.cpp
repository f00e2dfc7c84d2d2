#include "app/verify/checktext.h"

#include "base/asciitext.h"
#include "base/linetext.h"

namespace {

std::string Warning(std::size_t n, const char* one, const char* many) {
    if (n == 0) return std::string();
    return "vantrel: WARNING: " + std::to_string(n) + " " + (n == 1 ? one : many) + "\r\n";
}

}  // namespace

bool IsCheckSwitch(const std::string& firstArgument) { return UpperCaseAscii(firstArgument) == "/CHECK"; }

bool ParseCheckCommand(const std::vector<std::string>& arguments, CheckCommand& command, std::string& error) {
    command = CheckCommand();
    if (arguments.empty() || !IsCheckSwitch(arguments[0])) {
        error = "the first argument must be /check";
        return false;
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (UpperCaseAscii(arg) == "/QUIET") {
            command.quiet = true;
        } else if (UpperCaseAscii(arg) == "/KEY") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = "/key needs a key FILE";
                return false;
            }
            command.keyFiles.push_back(arguments[++i]);
        } else if (UpperCaseAscii(arg) == "/REQUIRE-SIGNATURE") {
            command.requireSignature = true;
        } else if (!arg.empty() && arg[0] == '/' && arg.find_first_of("/\\", 1) == std::string::npos) {
            // As for /report: "/x" is an option, never a path.
            error = "unknown option " + arg + " for /check";
            return false;
        } else if (!arg.empty()) {
            command.sumFiles.push_back(arg);
        }
    }
    if (command.sumFiles.empty()) {
        error = "no SUMFILE given";
        return false;
    }
    return true;
}

std::string CheckLine(const std::string& name, CheckStatus status) {
    const char* word = status == CheckStatus::Ok       ? "OK"
                       : status == CheckStatus::Failed ? "FAILED"
                                                       : "FAILED open or read";
    return OnOneLine(name, LineRule::ConsoleMessage) + ": " + word + "\r\n";
}

std::string CheckWarnings(std::size_t malformed, std::size_t unreadable, std::size_t mismatched) {
    return Warning(malformed, "line is improperly formatted", "lines are improperly formatted") +
           Warning(unreadable, "listed file could not be read", "listed files could not be read") +
           Warning(mismatched, "computed checksum did NOT match", "computed checksums did NOT match");
}

#include "base/messages.h"

#include <cstdint>

#include "base/linetext.h"

std::string WithFullStop(const std::string& message) {
    // Codes are compared as UTF-8 bytes, so a message ending in a letter
    // beyond ASCII gets its full stop as well.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::string OneLineWithoutFullStop(const std::string& text) {
    std::string line = OnOneLine(text, LineRule::WindowRow);
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    return line;
}

std::string IOErrorMessage(unsigned long code) {
    switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        default:
            // The code is shown as the signed 32-bit number that "%d" makes of it.
            return "I/O error " +
                   std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(code)));
    }
}

std::string WithSystemError(const std::string& what, unsigned long code, const std::string& systemText) {
    if (code == 0) return what + " (no system error code)";
    const std::string reason = OneLineWithoutFullStop(systemText);
    const std::string number = std::to_string(code);
    return what + " (system error " + number + (reason.empty() ? ")" : ": " + reason + ")");
}

std::string CannotOpenFileMessage(const std::string& fullPath, const std::string& systemText) {
    return "Cannot open file \"" + fullPath + "\". " + OneLineWithoutFullStop(systemText);
}

std::string FileChangedWhileReadMessage(const std::string& fullPath) {
    return "The file \"" + fullPath + "\" changed while it was read. Its checksums are not shown.";
}

std::string FileDeletedWhileReadMessage(const std::string& fullPath) {
    return "The file \"" + fullPath + "\" was deleted while it was read. Its checksums are not shown.";
}

#include "app/save/savetarget.h"

#include "base/messages.h"

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The system's text as a clause: on one line without its full stop and
// leading blanks, the first letter lower-cased when the second is lower case
// (so that an abbreviation keeps its capitals).
std::string AsClause(const std::string& systemText) {
    std::string text = OneLineWithoutFullStop(systemText);
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') ++start;
    text.erase(0, start);
    if (text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}  // namespace

std::string SaveFailureReason(unsigned long code, const std::string& systemText) {
    switch (code) {
        case 2:
            return "the file was not found";  // ERROR_FILE_NOT_FOUND
        case 3:
            return "the folder does not exist";  // ERROR_PATH_NOT_FOUND
        case 4:
            return "too many files are open";  // ERROR_TOO_MANY_OPEN_FILES
        case 5:
            return "access was denied";  // ERROR_ACCESS_DENIED
        case 15:
            return "the drive does not exist";  // ERROR_INVALID_DRIVE
        case 19:
            return "the disk is write-protected";  // ERROR_WRITE_PROTECT
        case 21:
            return "the drive is not ready";  // ERROR_NOT_READY
        case 32:
            return "another program is using the file";  // ERROR_SHARING_VIOLATION
        case 33:
            return "another program has locked the file";  // ERROR_LOCK_VIOLATION
        case 39:                                           // ERROR_HANDLE_DISK_FULL
        case 101:                                          // a write that wrote less
        case 112:
            return "the disk is full";  // ERROR_DISK_FULL
        case 53:                        // ERROR_BAD_NETPATH
        case 67:
            return "the network path was not found";  // ERROR_BAD_NET_NAME
        case 111:                                     // ERROR_BUFFER_OVERFLOW
        case 206:
            return "the name is too long";  // ERROR_FILENAME_EXCED_RANGE
        case 123:
            return "the name is not valid";  // ERROR_INVALID_NAME
        case 1392:
            return "the file or folder is damaged";  // ERROR_FILE_CORRUPT
        default:
            break;
    }
    const std::string clause = AsClause(systemText);
    return clause.empty() ? "of an unexpected error" : "of this error: " + clause;
}

std::string ReportNotSavedMessage(const std::string& path, unsigned long code,
                                  const std::string& systemText) {
    return "The report was not saved to " + Quoted(path) + " because " + SaveFailureReason(code, systemText) +
           ". " + IOErrorMessage(code);
}

std::string DeviceTargetMessage(const std::string& path) {
    return "The report was not saved: " + Quoted(path) + " names a device, not a file. Choose another name.";
}

std::string InspectedTargetMessage(const std::string& path) {
    return "The report was not saved: " + Quoted(path) +
           " is the file being shown, which is only read, never replaced. Choose another name.";
}

std::string TooLongTargetMessage(const std::string& path) {
    return "The report was not saved: the name " + Quoted(path) +
           " is longer than the system can take. Choose a shorter name.";
}


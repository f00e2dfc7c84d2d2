#include "app/savetarget.h"

#include "app/messages.h"

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The system's text as a clause: trailing blanks, line ends and full stops
// dropped, the first letter lower-cased when the second is lower case (so
// that an abbreviation keeps its capitals).
std::string AsClause(std::string text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') ++start;
    text.erase(0, start);
    if (text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

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

std::wstring ExtendedLengthPath(const std::wstring& fullPath) {
    const std::wstring& p = fullPath;
    if (p.size() >= 4 && IsSlash(p[0]) && IsSlash(p[1]) && (p[2] == L'?' || p[2] == L'.') && IsSlash(p[3]))
        return p;  // already a device or extended-length path
    if (p.size() >= 3 && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) && p[1] == L':' &&
        IsSlash(p[2]))
        return L"\\\\?\\" + p;
    if (p.size() >= 3 && IsSlash(p[0]) && IsSlash(p[1]) && !IsSlash(p[2]))
        return L"\\\\?\\UNC\\" + p.substr(2);
    return p;
}

std::wstring DialogTargetPath(const std::wstring& folder, const std::wstring& typed,
                              const std::wstring& defaultExt) {
    std::wstring name = typed;
    if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"')
        name = name.substr(1, name.size() - 2);

    std::wstring path;
    const bool drive = name.size() >= 2 && name[1] == L':';
    const bool unc = name.size() >= 2 && IsSlash(name[0]) && IsSlash(name[1]);
    if (drive || unc) {
        path = name;
    } else if (!name.empty() && IsSlash(name[0])) {
        path = (folder.size() >= 2 && folder[1] == L':' ? folder.substr(0, 2) : std::wstring()) + name;
    } else {
        path = folder;
        if (!path.empty() && !IsSlash(path.back())) path += L'\\';
        path += name;
    }

    const size_t cut = path.find_last_of(L"\\/:");
    const std::wstring part = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (!part.empty() && part.find(L'.') == std::wstring::npos && !defaultExt.empty())
        path += L"." + defaultExt;
    return path;
}

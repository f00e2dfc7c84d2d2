#include "components/dcUtils.h"

#include "base/fs.h"

std::string GetSystemDir() { return fs::SystemDirectory(); }

std::string GetWindowsDir() { return fs::WindowsDirectory(); }

EntryKind ProbeEntry(const std::string& name) {
    // Only entries on disk count: a device or pipe must never be read as if
    // it were a file.
    if (name.empty() || IsDeviceName(name)) return EntryKind::None;
    const DWORD attr = fs::GetAttributes(name);
    if (attr == INVALID_FILE_ATTRIBUTES) return EntryKind::None;
    return (attr & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Directory : EntryKind::File;
}

bool FileExists(const std::string& name) { return ProbeEntry(name) == EntryKind::File; }

ProgramSearch SystemProgramSearch() { return ProgramSearch{ProbeEntry, GetSystemDir(), GetWindowsDir()}; }

void ExtractShellIcons(int index, base::TIcon& largeIcon, base::TIcon& smallIcon) {
    HICON large = nullptr, small = nullptr;
    fs::ExtractIcons(GetSystemDir() + "SHELL32.DLL", index, &large, &small);
    largeIcon.SetHandle(large);
    smallIcon.SetHandle(small);
}

TDateTime FileTimeToDateTime(const FILETIME& ft) {
    FILETIME local;
    SYSTEMTIME st;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) return -1.0;
    // Some implementations wrap years outside the DOS range instead of failing.
    if (st.wYear < 1980 || st.wYear > 2107) return -1.0;
    if (!FileTimeToDosDateTime(&local, &date, &time)) return -1.0;
    return DosDateTimeToDateTime(date, time);
}

bool DateTimeToFileTime(TDateTime value, FILETIME& ft) {
    std::uint16_t date = 0, time = 0;
    if (!DateTimeToDosDateTime(value, date, time)) return false;
    FILETIME local;
    return DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &ft);
}

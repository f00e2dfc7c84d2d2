// Platform routines of the inspection components: the system and Windows
// directories, the shell's default icons, the existence test, and the
// conversions between file times and TDateTime. The text rules they rest on
// live in names.h and datetime.h.
#pragma once

#include <windows.h>

#include <string>

#include "components/datetime.h"
#include "components/names.h"
#include "base/handles.h"

// The system directory, with a backslash at the end.
std::string GetSystemDir();
// The Windows directory, with a backslash at the end.
std::string GetWindowsDir();
// What a name refers to on disk (relative names against the current directory).
EntryKind ProbeEntry(const std::string& name);
// True when the entry's attributes can be read and it is not a directory.
bool FileExists(const std::string& name);
// The search context for ExpandProgramName on this system.
ProgramSearch SystemProgramSearch();
// Places the shell's icon `index` of SHELL32.DLL, large and small, in the two
// icon objects.
void ExtractShellIcons(int index, base::TIcon& largeIcon, base::TIcon& smallIcon);
// UTC file time to local TDateTime with two-second resolution; -1.0 for a time
// that cannot be expressed.
TDateTime FileTimeToDateTime(const FILETIME& ft);
// Local TDateTime to UTC file time; false outside 1980..2107 or on failure.
bool DateTimeToFileTime(TDateTime value, FILETIME& ft);

// Text rules of saving a report: the messages that say why a report was not
// saved, the long form of a path that every file call takes whatever its
// length, and the full path that a name typed into the save dialog stands
// for. No operating system here; the Win32 side is app/safesave.
#pragma once

#include <string>

// "The report was not saved to "<path>" because <reason>. <I/O error text>":
// the reason in words, then the I/O error text of the code as the failure
// display has always shown it (it appends the final full stop).
// `systemText` is the system's text for the code, used for codes that have
// no reason of their own; it may be empty.
std::string ReportNotSavedMessage(const std::string& path, unsigned long code, const std::string& systemText);
// The reason alone, lower case, without a final full stop.
std::string SaveFailureReason(unsigned long code, const std::string& systemText);

// Refusals, before anything is written. Each names the target and ends with a
// full stop.
std::string DeviceTargetMessage(const std::string& path);
std::string InspectedTargetMessage(const std::string& path);
std::string TooLongTargetMessage(const std::string& path);

// The extended-length form of a full path ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), which file calls take beyond 259 characters.
// A path already in that form, or one that is not a full path, is returned
// as it stands.
std::wstring ExtendedLengthPath(const std::wstring& fullPath);

// The path a name typed into the save dialog stands for: the name when it is
// a full path (drive or UNC), the drive of `folder` and the name when it
// starts with one backslash, else `folder` and the name. One pair of
// enclosing double quotes is dropped, and `defaultExt` (without the dot) is
// appended when the name part has no extension. "." and ".." are left for
// the system to resolve.
std::wstring DialogTargetPath(const std::wstring& folder, const std::wstring& typed,
                              const std::wstring& defaultExt);

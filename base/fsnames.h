// Text rules of the file-system layer (base/fs.h): when a path needs the
// "\\?\" long form, how a name is put into the form that the shell's query
// understands, and the name part of a path. Pure text functions on UTF-16
// strings; nothing here touches the file system.
#pragma once

#include <cstddef>
#include <string>

namespace fs {

// Paths of this many UTF-16 units or more do not fit the platform's classic
// path buffers.
constexpr std::size_t kClassicPathLimit = 260;

// True for "\\?\" and "\??\" forms, whichever slashes they are written with.
bool HasLocalDevicePrefix(const std::wstring& path);

// The "\\?\" form of a full path: "X:\..." becomes "\\?\X:\...", and
// "\\server\share\..." becomes "\\?\UNC\server\share\...". Any other text
// (a relative name, an existing "\\?\" or "\??\" form) is returned unchanged.
std::wstring LongForm(const std::wstring& fullPath);

// The name with the "\\?\", "\??\" and "\\?\UNC\" prefixes (written with
// either slash) taken off in front of a drive or server path, so that the
// platform's full-path rules, which leave such forms as they are, can resolve
// its slashes, "." and ".." segments. Any other name is returned unchanged.
std::wstring ShellForm(const std::wstring& path);

// What follows the last backslash, forward slash or colon.
std::wstring NamePart(const std::wstring& path);

// The path a name typed into the save dialog stands for: the name when it is
// a full path (drive or UNC), the drive of `folder` and the name when it
// starts with one backslash, else `folder` and the name. One pair of
// enclosing double quotes is dropped, and `defaultExt` (without the dot) is
// appended when the name part has no extension. "." and ".." are left for
// the system to resolve.
std::wstring DialogTargetPath(const std::wstring& folder, const std::wstring& typed,
                              const std::wstring& defaultExt);

}  // namespace fs

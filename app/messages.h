// Message and name rules of the main window that need no operating system.
#pragma once

#include <functional>
#include <string>

// The text the program-wide failure display shows: a full stop is appended
// when the message is not empty and its last character's code is above 46.
std::string WithFullStop(const std::string& message);

// The I/O error text for a Windows error code of a failed report write.
std::string IOErrorMessage(unsigned long code);

// Presets of the browse dialog taken from the name box's text.
struct BrowsePreset {
    bool takeFromText = false;  // false: keep what the previous use left
    std::string initialDir;     // empty: keep the one the previous use left
    std::string fileName;
};
// True when the text is not empty and holds none of < > " | * ? /.
bool IsValidFileName(const std::string& text);
// For a valid text: the directory part (through the last backslash or colon,
// trailing backslash kept) when it exists, and the whole text as the file name
// when its name part is not empty.
BrowsePreset BrowsePresetFor(const std::string& text,
                             const std::function<bool(const std::string&)>& directoryExists);

// "Cannot open file "<path>". <reason>" with the system text trimmed: trailing
// characters up to and including the last space run and trailing periods go.
std::string CannotOpenFileMessage(const std::string& fullPath, const std::string& systemText);

// The load's messages for a file that did not stay as it was while its
// contents were read, naming it by its full path.
std::string FileChangedWhileReadMessage(const std::string& fullPath);
std::string FileDeletedWhileReadMessage(const std::string& fullPath);

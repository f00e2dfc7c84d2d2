// Name rules of the main window's browse step that need no operating system.
#pragma once

#include <functional>
#include <string>

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

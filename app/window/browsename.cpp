#include "app/window/browsename.h"

#include "components/names.h"

bool IsValidFileName(const std::string& text) {
    return !text.empty() && text.find_first_of("<>\"|*?/") == std::string::npos;
}

BrowsePreset BrowsePresetFor(const std::string& text,
                             const std::function<bool(const std::string&)>& directoryExists) {
    BrowsePreset preset;
    if (!IsValidFileName(text)) return preset;
    preset.takeFromText = true;

    // The directory part is given as it stands, trailing backslash included:
    // the dialog accepts it in that form, and a root such as C:\ needs it.
    const std::string dir = ExtractFilePath(text);
    if (!dir.empty() && directoryExists && directoryExists(dir)) preset.initialDir = dir;

    const std::string name = ExtractFileName(text);
    if (!name.empty() && IsValidFileName(name)) preset.fileName = text;
    return preset;
}

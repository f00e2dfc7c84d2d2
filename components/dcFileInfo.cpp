#include "components/dcFileInfo.h"

#include <shellapi.h>

#include "base/fs.h"
#include "components/dcUtils.h"
#include "base/handles.h"

namespace {

// Flag bit order against the Windows attribute bits.
constexpr DWORD kWindowsBit[8] = {
    FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM,
    FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_TEMPORARY, FILE_ATTRIBUTE_COMPRESSED, FILE_ATTRIBUTE_OFFLINE,
};

}  // namespace

TdcFileInfoAttributes TdcFileInfoAttributes::FromWindows(DWORD attributes) {
    TdcFileInfoAttributes set;
    for (int i = 0; i < 8; ++i)
        if (attributes & kWindowsBit[i]) set.Include(static_cast<TdcFileInfoAttribute>(i));
    return set;
}

DWORD TdcFileInfoAttributes::ToWindows() const {
    DWORD value = 0;
    for (int i = 0; i < 8; ++i) {
        const auto flag = static_cast<TdcFileInfoAttribute>(i);
        if (flag == fiaDirectory || flag == fiaCompressed) continue;
        if (Contains(flag)) value |= kWindowsBit[i];
    }
    return value;
}

TdcFileInfo::TdcFileInfo() : largeIcon_(new base::TIcon), smallIcon_(new base::TIcon) {}

TdcFileInfo::~TdcFileInfo() = default;

void TdcFileInfo::ClearResults() {
    displayName_.clear();
    fileType_.clear();
    fileSize_ = 0;
    sysImageIndex_ = 0;
    timeCreated_ = timeLastAccessed_ = timeLastModified_ = 0.0;
    attributes_ = TdcFileInfoAttributes();
}

void TdcFileInfo::SetFILENAME(const std::string& value) {
    const std::string newName = ExpandProgramName(value, SystemProgramSearch());
    if (newName == fileName_) return;
    fileName_ = newName;
    ReadInfo();
}

bool TdcFileInfo::ReadInfo() {
    ClearResults();
    if (fileName_.empty()) {
        largeIcon_->Clear();
        smallIcon_->Clear();
        return false;
    }
    WIN32_FIND_DATAW fd{};
    {
        base::UniqueFind find(fs::FindFirst(fileName_, fd));
        if (!find) {
            if (iconsWanted_) ExtractShellIcons(0, *largeIcon_, *smallIcon_);
            return false;
        }
    }
    fileSize_ = static_cast<std::int64_t>((static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
    attributes_ = TdcFileInfoAttributes::FromWindows(fd.dwFileAttributes);
    timeCreated_ = FileTimeToDateTime(fd.ftCreationTime);
    timeLastAccessed_ = FileTimeToDateTime(fd.ftLastAccessTime);
    timeLastModified_ = FileTimeToDateTime(fd.ftLastWriteTime);

    fs::ShellInfo info;
    // A failed query leaves a null icon, so the icon objects end up empty.
    if (iconsWanted_) fs::QueryShellInfo(fileName_, SHGFI_ICON, info);
    largeIcon_->SetHandle(info.icon);
    info.icon = nullptr;
    // The system image index costs the shell an icon lookup too.
    const UINT iconFlags = iconsWanted_ ? SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SMALLICON : 0;
    const DWORD_PTR found = !iconsWanted_ && shellNames_
                                ? shellNames_->Query(fileName_, info)
                                : fs::QueryShellInfo(fileName_, SHGFI_TYPENAME | SHGFI_DISPLAYNAME | iconFlags, info);
    if (!found) {
        // No shell information: empty names, index 0, no small icon.
        smallIcon_->SetHandle(info.icon);
        return true;
    }
    smallIcon_->SetHandle(info.icon);
    displayName_ = info.displayName;
    fileType_ = info.typeName;
    sysImageIndex_ = info.iconIndex;
    return true;
}

void TdcFileInfo::SetFileAttributes(TdcFileInfoAttributes value) {
    if (fileName_.empty() || value == attributes_) return;
    if (fs::SetAttributes(fileName_, value.ToWindows())) ReadInfo();
}

void TdcFileInfo::SetTimeCreated(TDateTime value) {
    if (fileName_.empty() || value == timeCreated_) return;
    if (SetFileTimes(fileName_, value, -1.0, -1.0)) timeCreated_ = value;
}

void TdcFileInfo::SetTimeLastAccessed(TDateTime value) {
    if (fileName_.empty() || value == timeLastAccessed_) return;
    if (SetFileTimes(fileName_, -1.0, value, -1.0)) timeLastAccessed_ = value;
}

void TdcFileInfo::SetTimeLastModified(TDateTime value) {
    if (fileName_.empty() || value == timeLastModified_) return;
    if (SetFileTimes(fileName_, -1.0, -1.0, value)) timeLastModified_ = value;
}

bool SetFileTimes(const std::string& fileName, TDateTime created, TDateTime accessed, TDateTime modified) {
    base::UniqueFile file(fs::Open(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file) return false;
    FILETIME times[3];
    if (!GetFileTime(file.get(), &times[0], &times[1], &times[2])) return false;
    const TDateTime wanted[3] = {created, accessed, modified};
    for (int i = 0; i < 3; ++i) {
        if (wanted[i] == -1.0) continue;
        if (!DateTimeToFileTime(wanted[i], times[i])) return false;
    }
    return SetFileTime(file.get(), &times[0], &times[1], &times[2]) != FALSE;
}

// File information component: the shell's display and type names, the shell
// icons, the size, the attribute flags and the three times of one file, read
// at once when FILENAME changes and kept until it changes again. It never
// raises: failures show as cleared results, -1.0 times or writes that change
// nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "components/datetime.h"
#include "components/umdcComponent.h"
#include "base/fs.h"
#include "base/handles.h"

enum TdcFileInfoAttribute : std::uint8_t {
    fiaArchive = 0, fiaHidden, fiaReadOnly, fiaSystem, fiaDirectory, fiaTemporary, fiaCompressed, fiaOffline,
};

// The seven attributes that are shown (check boxes, report lines, CSV
// columns), in the order they are shown.
constexpr TdcFileInfoAttribute kShownAttributes[7] = {
    fiaArchive, fiaReadOnly, fiaHidden, fiaSystem, fiaTemporary, fiaCompressed, fiaOffline,
};

// A set of the eight flags in one byte, the first flag in bit 0.
struct TdcFileInfoAttributes {
    std::uint8_t bits = 0;

    bool Contains(TdcFileInfoAttribute a) const { return (bits >> a) & 1u; }
    TdcFileInfoAttributes& Include(TdcFileInfoAttribute a) { bits |= static_cast<std::uint8_t>(1u << a); return *this; }
    bool operator==(const TdcFileInfoAttributes& o) const { return bits == o.bits; }
    bool operator!=(const TdcFileInfoAttributes& o) const { return bits != o.bits; }

    // Flags of the Windows attribute bits; other bits are ignored.
    static TdcFileInfoAttributes FromWindows(DWORD attributes);
    // Windows bits of the flags that are written back (not fiaDirectory nor
    // fiaCompressed).
    DWORD ToWindows() const;
};

class TdcFileInfo : public TumdcComponent {
public:
    TdcFileInfo();
    ~TdcFileInfo() override;

    const std::string& DisplayName() const { return displayName_; }
    const std::string& FileType() const { return fileType_; }
    const std::string& FILENAME() const { return fileName_; }
    std::int64_t FileSize() const { return fileSize_; }
    TdcFileInfoAttributes FileAttributes() const { return attributes_; }
    base::TIcon& LargeIcon() const { return *largeIcon_; }
    base::TIcon& SmallIcon() const { return *smallIcon_; }
    std::int32_t SysImageIndex() const { return sysImageIndex_; }
    TDateTime TimeCreated() const { return timeCreated_; }
    TDateTime TimeLastAccessed() const { return timeLastAccessed_; }
    TDateTime TimeLastModified() const { return timeLastModified_; }

    // Normalises the name and re-reads when the normalised name differs from
    // the current one.
    void SetFILENAME(const std::string& value);
    // Write to the file; nothing while FILENAME is empty or for an unchanged
    // value, and nothing is reported on failure.
    void SetFileAttributes(TdcFileInfoAttributes value);
    void SetTimeCreated(TDateTime value);
    void SetTimeLastAccessed(TDateTime value);
    void SetTimeLastModified(TDateTime value);

    // Clears every result and reads them again for FILENAME; true when the
    // file was found and described.
    virtual bool ReadInfo();

    // Whether reads fetch the two icons and the system image index (the
    // default). Without them the icon objects stay empty, SysImageIndex is 0
    // and every other result is the same.
    void SetIconsWanted(bool wanted) { iconsWanted_ = wanted; }
    // Without icons, the display and type names can come from a cache that
    // reads many files in a row on this thread (null: the plain query).
    void SetShellNames(fs::ShellNameCache* names) { shellNames_ = names; }

private:
    void ClearResults();

    std::string displayName_;
    std::string fileType_;
    std::string fileName_;
    std::int64_t fileSize_ = 0;
    TdcFileInfoAttributes attributes_;
    // The icon objects live as long as the component; only their handles change.
    std::unique_ptr<base::TIcon> largeIcon_;
    std::unique_ptr<base::TIcon> smallIcon_;
    std::int32_t sysImageIndex_ = 0;
    TDateTime timeCreated_ = 0.0;
    TDateTime timeLastAccessed_ = 0.0;
    TDateTime timeLastModified_ = 0.0;
    bool iconsWanted_ = true;
    fs::ShellNameCache* shellNames_ = nullptr;
};

// Writes the three times of a file; -1.0 leaves that time as it is.
bool SetFileTimes(const std::string& fileName, TDateTime created, TDateTime accessed, TDateTime modified);

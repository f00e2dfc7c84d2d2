// Version information component: reads the version resource of one file when
// FILENAME changes and keeps the fixed numbers, the first translation's
// language and ten standard strings until it changes again.
//
// Failures: "No version info" and "Can not get version info" are raised as
// base::Exception (or shown in a message box while Designing); a missing string
// value or any other size failure is silent.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "components/umdcComponent.h"

// The four platform operations the component reads through. Tests put a fake
// here to reach last-error values that real files cannot produce.
class IVersionApi {
public:
    virtual ~IVersionApi() = default;
    // Returns the size, or 0 with the reason in *lastError.
    virtual DWORD GetFileVersionInfoSize(const char* path, DWORD* handle, DWORD* lastError) = 0;
    virtual bool GetFileVersionInfo(const char* path, DWORD handle, DWORD size, void* block) = 0;
    virtual bool VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length) = 0;
    virtual void VerLanguageName(DWORD language, char* buffer, DWORD size) = 0;
};

// The real version API of the system.
IVersionApi& SystemVersionApi();

class TdcVersionInfo : public TumdcComponent {
public:
    explicit TdcVersionInfo(IVersionApi& api = SystemVersionApi()) : api_(&api) {}

    const std::string& FILENAME() const { return fileName_; }
    // Reads the file's version resource when the value differs from the
    // current one; the empty value clears every result without a read.
    void SetFILENAME(const std::string& value);

    const std::string& Comments() const { return comments_; }
    const std::string& CompanyName() const { return companyName_; }
    const std::string& FileDescription() const { return fileDescription_; }
    std::int32_t FileFlags() const { return fileFlags_; }
    std::int32_t FileFlagsMask() const { return fileFlagsMask_; }
    std::int32_t FileMajorVersion() const { return fileMajorVersion_; }
    std::int32_t FileMinorVersion() const { return fileMinorVersion_; }
    const std::string& FileVersion() const { return fileVersion_; }
    // The two version texts read as numbers (VersionTextToFloat with the
    // user's decimal separator), 0.0 when empty; computed when asked, since
    // nothing shows them.
    double FileVersionFloat() const { return VersionFloat(fileVersion_); }
    std::uint16_t FileVerMajor() const { return fileVerMajor_; }
    std::uint16_t FileVerMinor() const { return fileVerMinor_; }
    std::uint16_t FileVerRelease() const { return fileVerRelease_; }
    std::uint16_t FileVerBuild() const { return fileVerBuild_; }
    const std::string& InternalName() const { return internalName_; }
    std::int32_t LanguageCount() const { return languageCount_; }
    const std::string& LanguageName() const { return languageName_; }
    const std::string& LegalCopyright() const { return legalCopyright_; }
    const std::string& LegalTrademark() const { return legalTrademark_; }
    const std::string& OriginalFilename() const { return originalFilename_; }
    const std::string& ProductName() const { return productName_; }
    std::int32_t ProductMajorVersion() const { return productMajorVersion_; }
    std::int32_t ProductMinorVersion() const { return productMinorVersion_; }
    const std::string& ProductVersion() const { return productVersion_; }
    double ProductVersionFloat() const { return VersionFloat(productVersion_); }
    std::int32_t TranslationValue() const { return translationValue_; }

private:
    void Clear();
    void Read();
    // Raises the failure, or shows it while Designing.
    void Report(const char* message);
    static double VersionFloat(const std::string& text);

    IVersionApi* api_;
    std::string fileName_;
    std::string comments_, companyName_, fileDescription_, fileVersion_, internalName_, languageName_,
        legalCopyright_, legalTrademark_, originalFilename_, productName_, productVersion_;
    std::int32_t fileFlags_ = 0, fileFlagsMask_ = 0, fileMajorVersion_ = 0, fileMinorVersion_ = 0,
                 languageCount_ = 0, productMajorVersion_ = 0, productMinorVersion_ = 0, translationValue_ = 0;
    std::uint16_t fileVerMajor_ = 0, fileVerMinor_ = 0, fileVerRelease_ = 0, fileVerBuild_ = 0;
};

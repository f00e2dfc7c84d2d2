#include "components/dcVersionInfo.h"

#include <cctype>
#include <cstring>
#include <cwchar>
#include <vector>

#include "base/locale.h"
#include "base/fs.h"
#include "components/versiontext.h"
#include "base/messagebox.h"
#include "base/errors.h"
#include "base/handles.h"
#include "components/versionresource.h"

namespace {

constexpr char kNoVersionInfo[] = "No version info";
constexpr char kCannotGetVersionInfo[] = "Can not get version info";

// Every key and the language name pass through buffers of this many
// characters, the terminator included. The path is passed whole.
constexpr std::size_t kBufferChars = 260;
using TextBuffer = char[kBufferChars];

// False when the text and its terminator do not fit.
bool CopyToBuffer(const std::string& text, TextBuffer& buffer) {
    if (text.size() >= kBufferChars) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

// Whether the file's own bounds say that the platform may read its version
// resource: the platform maps the file and copies the resource by the size
// its directory states, so a lying size or offset ends in a page fault (and
// the size it returns in an allocation of gigabytes). A file that cannot be
// opened or read here is left to the platform, which fails on it the same way.
bool VersionResourceFitsTheFile(const char* path, std::uint64_t& fileSize) {
    fileSize = 0;
    const base::UniqueFile file(
        fs::Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING));
    if (!file) return true;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return true;
    fileSize = static_cast<std::uint64_t>(size.QuadPart);
    std::string reason;
    return versionresource::CheckVersionResource(fs::ReaderAt(file.get()), fileSize, reason) !=
           versionresource::Verdict::Damaged;
}

// "StringFileInfo\..." in any case: a value of the string table.
bool IsStringTableKey(const char* key) {
    static const char kStrings[] = "stringfileinfo\\";
    for (std::size_t i = 0; i + 1 < sizeof kStrings; ++i)
        if (std::tolower(static_cast<unsigned char>(key[i])) != kStrings[i]) return false;
    return true;
}

class SystemApi final : public IVersionApi {
public:
    DWORD GetFileVersionInfoSize(const char* path, DWORD* handle, DWORD* lastError) override {
        std::uint64_t fileSize = 0;
        if (!VersionResourceFitsTheFile(path, fileSize)) {
            // Read as "Can not get version info".
            *handle = 0;
            *lastError = 0;
            return 0;
        }
        // The layer clears the last error first: without that a 0 result
        // that sets no error would be judged by whatever call failed before.
        const DWORD size = fs::VersionInfoSize(path, handle);
        *lastError = GetLastError();
        // The platform asks for at most four times the resource (room for the
        // converted strings), and a compressed file expands by less than 16:
        // anything larger came from a size in the file, not from its bytes.
        if (fileSize != 0 && size / 64 > fileSize) {
            *lastError = 0;
            return 0;
        }
        return size;
    }
    bool GetFileVersionInfo(const char* path, DWORD handle, DWORD size, void* block) override {
        return fs::VersionInfo(path, handle, size, block);
    }
    // The wide calls, whose strings are handed on as UTF-8: the single-byte
    // ones lose what the system's code page cannot hold.
    bool VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length) override {
        if (!::VerQueryValueW(block, fs::Widen(subBlock).c_str(), value, length)) return false;
        // The root and the translation table are numbers; only the string
        // table's values are texts.
        const char* key = *subBlock == '\\' ? subBlock + 1 : subBlock;
        if (!IsStringTableKey(key) || !*value) return true;
        // Valid until the next call on this thread, which is all the reader needs.
        thread_local std::string text;
        const auto* wide = static_cast<const wchar_t*>(*value);
        text = fs::Narrow(std::wstring(wide, wcsnlen(wide, *length)));
        *value = &text[0];
        *length = static_cast<UINT>(text.size() + 1);
        return true;
    }
    void VerLanguageName(DWORD language, char* buffer, DWORD size) override {
        if (size == 0) return;
        wchar_t name[256] = {};
        // Its result is not consulted: a failure writes nothing into `name`,
        // which starts empty, so the name is then empty.
        (void)::VerLanguageNameW(language, name, static_cast<DWORD>(sizeof name / sizeof name[0]));
        const std::string text = fs::Narrow(name);
        // Cut to the buffer like the platform call, never within a character.
        std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
        while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
};

}  // namespace

IVersionApi& SystemVersionApi() {
    static SystemApi api;
    return api;
}

void TdcVersionInfo::SetFILENAME(const std::string& value) {
    if (value == fileName_) return;
    fileName_ = value;
    Clear();
    if (fileName_.empty()) return;
    Read();
}

double TdcVersionInfo::VersionFloat(const std::string& text) {
    return text.empty() ? 0.0 : VersionTextToFloat(text, base::CurrentDecimalSeparator());
}

void TdcVersionInfo::Clear() {
    for (std::string* text :
         {&comments_, &companyName_, &fileDescription_, &fileVersion_, &internalName_, &languageName_,
          &legalCopyright_, &legalTrademark_, &originalFilename_, &productName_, &productVersion_})
        text->clear();
    fileFlags_ = fileFlagsMask_ = fileMajorVersion_ = fileMinorVersion_ = 0;
    languageCount_ = productMajorVersion_ = productMinorVersion_ = translationValue_ = 0;
    fileVerMajor_ = fileVerMinor_ = fileVerRelease_ = fileVerBuild_ = 0;
}

void TdcVersionInfo::Report(const char* message) {
    if (!Designing) throw base::Exception(message);
    base::ShowMessageBox(nullptr, message, Name, MB_OK | MB_ICONERROR);
}

// Limits chosen for what the buffers cannot hold:
// - the path is passed whole, whatever its length: the file-system layer
//   reaches paths beyond the classic 260-unit limit;
// - a translation table shorter than one 4-byte entry gives no language and
//   code page to build the keys from, so it is reported as "Can not get
//   version info" with every result cleared;
// - root information shorter than VS_FIXEDFILEINFO counts as no fixed file
//   information, so that nothing is read past what the platform returned.
void TdcVersionInfo::Read() {
    const char* path = fileName_.c_str();
    DWORD handle = 0;
    DWORD lastError = 0;
    const DWORD size = api_->GetFileVersionInfoSize(path, &handle, &lastError);
    if (size == 0) {
        if (lastError == ERROR_RESOURCE_TYPE_NOT_FOUND)
            Report(kNoVersionInfo);
        else if (lastError == 0)
            Report(kCannotGetVersionInfo);
        // Any other reason (no such file, no resource data) is no failure of
        // the load; the results stay cleared.
        return;
    }

    // Both blocks are owned here, so every way out of the read frees them.
    std::vector<char> block(size);
    if (!api_->GetFileVersionInfo(path, handle, size, block.data())) {
        Report(kCannotGetVersionInfo);
        return;
    }

    void* value = nullptr;
    UINT length = 0;
    if (!api_->VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &value, &length)) {
        Report(kCannotGetVersionInfo);
        return;
    }
    const char* tableStart = static_cast<const char*>(value);
    const std::vector<char> table(tableStart, tableStart ? tableStart + length : tableStart);
    if (table.size() < sizeof(DWORD)) {
        Report(kCannotGetVersionInfo);
        return;
    }
    DWORD translation = 0;
    std::memcpy(&translation, table.data(), sizeof translation);
    translationValue_ = static_cast<std::int32_t>(translation);
    languageCount_ = static_cast<std::int32_t>(table.size() / sizeof(DWORD));

    TextBuffer language = "";
    api_->VerLanguageName(LOWORD(translation), language, kBufferChars);
    // The call's result is not consulted, so a name that fills the buffer is
    // cut here rather than read past its end.
    language[kBufferChars - 1] = '\0';
    languageName_ = language;

    const std::string tablePath = StringTablePath(translation);

    value = nullptr;
    length = 0;
    if (!api_->VerQueryValue(block.data(), "\\", &value, &length) || !value ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        Report(kCannotGetVersionInfo);
        return;
    }
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    fileMajorVersion_ = static_cast<std::int32_t>(fixed.dwFileVersionMS);
    fileMinorVersion_ = static_cast<std::int32_t>(fixed.dwFileVersionLS);
    fileVerMajor_ = HIWORD(fixed.dwFileVersionMS);
    fileVerMinor_ = LOWORD(fixed.dwFileVersionMS);
    fileVerRelease_ = HIWORD(fixed.dwFileVersionLS);
    fileVerBuild_ = LOWORD(fixed.dwFileVersionLS);
    productMajorVersion_ = static_cast<std::int32_t>(fixed.dwProductVersionMS);
    productMinorVersion_ = static_cast<std::int32_t>(fixed.dwProductVersionLS);
    fileFlagsMask_ = static_cast<std::int32_t>(fixed.dwFileFlagsMask);
    fileFlags_ = static_cast<std::int32_t>(fixed.dwFileFlags);

    struct StringValue {
        const char* name;
        std::string TdcVersionInfo::*text;
    };
    static constexpr StringValue kStringValues[] = {
        {"Comments", &TdcVersionInfo::comments_},
        {"CompanyName", &TdcVersionInfo::companyName_},
        {"FileDescription", &TdcVersionInfo::fileDescription_},
        {"FileVersion", &TdcVersionInfo::fileVersion_},
        {"InternalName", &TdcVersionInfo::internalName_},
        {"LegalCopyright", &TdcVersionInfo::legalCopyright_},
        {"LegalTrademarks", &TdcVersionInfo::legalTrademark_},
        {"OriginalFilename", &TdcVersionInfo::originalFilename_},
        {"ProductName", &TdcVersionInfo::productName_},
        {"ProductVersion", &TdcVersionInfo::productVersion_},
    };
    for (const StringValue& entry : kStringValues) {
        std::string& text = this->*entry.text;
        text.clear();
        TextBuffer key;
        value = nullptr;
        length = 0;
        if (CopyToBuffer(tablePath + entry.name, key) &&
            api_->VerQueryValue(block.data(), key, &value, &length) && value && length != 0)
            text = static_cast<const char*>(value);
    }
}

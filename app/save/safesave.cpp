#include "app/save/safesave.h"

#include <windows.h>

#include <cwchar>

#include "app/save/savetarget.h"
#include "base/fs.h"
#include "base/fsnames.h"
#include "base/handles.h"
#include "components/names.h"

namespace {

constexpr DWORD kLongestPath = 32767;  // characters of an extended-length path

// The full path of `path`; empty on failure, with the error code left by the call.
std::wstring FullPath(const std::wstring& path) {
    std::wstring full;
    return fs::TryFullPath(path, full) ? full : std::wstring();
}

using FileIdentity = std::tuple<unsigned long, unsigned long, unsigned long>;

// Volume serial number and file index of an existing file or folder (links
// followed); false when it cannot be opened.
bool IdentityOf(const std::wstring& path, FileIdentity& id) {
    base::UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return false;
    id = FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// The file system compares names case-blind, by the upper case of each unit.
std::wstring CaseKey(std::wstring path) {
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

// A temporary file that is deleted when the object goes, unless kept.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() {
        // A temporary file that cannot be deleted (another program opened
        // it) stays beside the target under its temporary name; the target
        // itself is untouched either way.
        if (!path_.empty()) (void)DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates a new, empty file with an unused name in `folder` (ending in a
    // backslash) and returns its handle open for writing; false with the
    // error code of the failed call.
    bool Create(const std::wstring& folder, base::UniqueFile& file, DWORD& error) {
        const DWORD seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
        for (DWORD attempt = 0; attempt < 100; ++attempt) {
            wchar_t name[32];
            std::swprintf(name, 32, L"~vantrel%08lX.tmp", static_cast<unsigned long>(seed + attempt * 7919u));
            const std::wstring path = folder + name;
            file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
            if (file) {
                path_ = path;
                return true;
            }
            error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }
    const std::wstring& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

}  // namespace

namespace {

enum class Probe { Missing, Link, Keyed };

// The size and last-write time of an existing file, or whether it is a link.
Probe KeyOf(const std::wstring& longPath, std::pair<unsigned long long, unsigned long long>& key) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(longPath.c_str(), GetFileExInfoStandard, &data)) return Probe::Missing;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Probe::Link;
    key = {(static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
           (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime};
    return Probe::Keyed;
}

bool SameIdentity(const std::wstring& a, const std::wstring& b) {
    FileIdentity x, y;
    return IdentityOf(a, x) && IdentityOf(b, y) && x == y;
}

}  // namespace

void ProtectedFiles::Add(const std::string& file) {
    if (file.empty()) return;
    const std::wstring full = FullPath(fs::Widen(file));
    if (full.empty()) return;
    paths_.insert(CaseKey(full));
    const std::wstring longPath = fs::LongForm(full);
    Key key;
    switch (KeyOf(longPath, key)) {
    case Probe::Keyed: byKey_.emplace(key, longPath); break;
    case Probe::Link: links_.push_back(longPath); break;
    case Probe::Missing: break;
    }
}

bool ProtectedFiles::Contains(const std::string& path) const {
    const std::wstring full = FullPath(fs::Widen(path));
    if (full.empty()) return false;
    if (paths_.count(CaseKey(full))) return true;
    // Another name for the same file: a short name, a hard link, a link, a
    // second mapping of the folder.
    const std::wstring longPath = fs::LongForm(full);
    Key key;
    const Probe probe = KeyOf(longPath, key);
    if (probe == Probe::Missing) return false;
    for (const std::wstring& link : links_)
        if (SameIdentity(longPath, link)) return true;
    if (probe == Probe::Link) {
        for (const auto& kept : byKey_)
            if (SameIdentity(longPath, kept.second)) return true;
        return false;
    }
    const auto range = byKey_.equal_range(key);
    for (auto it = range.first; it != range.second; ++it)
        if (SameIdentity(longPath, it->second)) return true;
    return false;
}

namespace {

// `folder` (a full path in its long form) and every missing folder above it,
// from the top down; a folder that exists is left as it is.
bool CreateFolderPathW(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
        SetLastError(ERROR_ALREADY_EXISTS);  // a file of that name
        return false;
    }
    const size_t slash = folder.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash + 1 < folder.size()) {
        const std::wstring parent = folder.substr(0, slash);
        // Past "\\?\" a parent without a backslash is a drive ("\\?\X:"),
        // which is never made, only found.
        const bool parentIsDrive = parent.find(L'\\', 4) == std::wstring::npos;
        if (!parentIsDrive && GetFileAttributesW(parent.c_str()) == INVALID_FILE_ATTRIBUTES &&
            !CreateFolderPathW(parent))
            return false;
    }
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

bool CreateFolderPath(const std::string& path) {
    std::wstring full;
    if (!fs::TryFullPath(fs::Widen(path), full)) return false;
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return CreateFolderPathW(fs::LongForm(full));
}

EReportNotSaved::EReportNotSaved(const std::string& path, unsigned long code)
    : base::Exception(ReportNotSavedMessage(path, code, base::SystemErrorText(code))), code_(code) {}

// The temporary file of a SafeFileWriter.
struct SafeFileWriter::Temporary : TemporaryFile {};

const std::wstring& SafeFileWriter::TemporaryPath() const { return temp_->path(); }

SafeFileWriter::SafeFileWriter(const std::string& path, const ProtectedFiles& protectedFiles)
    : path_(path), temp_(std::make_unique<Temporary>()) {
    // The system's device test is not to be trusted (Wine takes "nul.txt"
    // for an existing file), so the program's own rule decides, on the name
    // as given and on its full form.
    if (IsDeviceName(path)) throw ETargetRefused(DeviceTargetMessage(path));
    const std::wstring full = FullPath(fs::Widen(path));
    if (full.empty()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILENAME_EXCED_RANGE) throw ETargetRefused(TooLongTargetMessage(path));
        throw EReportNotSaved(path, error ? error : ERROR_INVALID_NAME);
    }
    if (IsDeviceName(fs::Narrow(full))) throw ETargetRefused(DeviceTargetMessage(path));
    target_ = fs::LongForm(full);
    const size_t slash = target_.find_last_of(L'\\');
    // Room for the temporary file's name next to the target.
    if (target_.size() + 24 > kLongestPath || slash == std::wstring::npos)
        throw ETargetRefused(TooLongTargetMessage(path));
    if (!protectedFiles.Empty() && protectedFiles.Contains(path))
        throw ETargetRefused(InspectedTargetMessage(path));

    const DWORD existing = GetFileAttributesW(target_.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        // Windows refuses to replace a read-only file, and a hidden or system
        // one when it is rewritten as a normal file; not every implementation
        // does (Wine, or a superuser on it), so the rule is applied here.
        const DWORD kept = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                           FILE_ATTRIBUTE_SYSTEM;
        if (existing & kept) throw EReportNotSaved(path, ERROR_ACCESS_DENIED);
        // The target must be free to be replaced: opening it for writing as
        // the report always has (others may read) gives the error the user
        // knows for a file held elsewhere. Opening changes nothing in it.
        base::UniqueFile probe(CreateFileW(target_.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) throw EReportNotSaved(path, GetLastError());
    }

    DWORD error = ERROR_CANNOT_MAKE;
    if (!temp_->Create(target_.substr(0, slash + 1), file_, error)) throw EReportNotSaved(path, error);
}

SafeFileWriter::~SafeFileWriter() = default;

void SafeFileWriter::Write(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const DWORD chunk =
            static_cast<DWORD>(bytes.size() - done < (1u << 20) ? bytes.size() - done : (1u << 20));
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr))
            throw EReportNotSaved(path_, GetLastError());
        if (written == 0) throw EReportNotSaved(path_, 101);  // "Disk full"
        done += written;
    }
}

void SafeFileWriter::Commit() {
    if (!FlushFileBuffers(file_.get())) throw EReportNotSaved(path_, GetLastError());
    if (!CloseHandle(file_.release())) throw EReportNotSaved(path_, GetLastError());
    if (!MoveFileExW(temp_->path().c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw EReportNotSaved(path_, GetLastError());
    temp_->Keep();
}

void SaveReportSafely(const std::string& path, const std::string& bytes, const ProtectedFiles& protectedFiles) {
    SafeFileWriter file(path, protectedFiles);
    file.Write(bytes);
    file.Commit();
}

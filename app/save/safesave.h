// Saving a report without ever losing or damaging a file. The bytes are
// written to a new temporary file in the target's folder, flushed to disk,
// and only then moved over the target in one step; on any failure the
// temporary file is removed and an existing target is left exactly as it
// was. Paths are single-byte strings in the system code page, of any length
// the system takes (the file calls use the extended-length form).
#pragma once

#include <memory>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/handles.h"

// Refused before anything was written: the target is a device (reserved DOS
// name or a "\\.\" path), the protected file, or a name too long for the
// system. The message names the target.
class ETargetRefused : public base::Exception {
public:
    explicit ETargetRefused(const std::string& message) : base::Exception(message) {}
};

// Writing or replacing failed with Windows error `code()`. The message names
// the target, says in words why the report was not saved, and ends with the
// I/O error text of the code (see ReportNotSavedMessage).
class EReportNotSaved : public base::Exception {
public:
    EReportNotSaved(const std::string& path, unsigned long code);
    unsigned long code() const { return code_; }

private:
    unsigned long code_;
};

// Files that a save must never replace: the inputs of a run. Each is known
// by its full path, compared case-blind, and by its volume and file index,
// so that another name for it (other case, a short name, a hard or symbolic
// link) is known too. The identity costs the system more than the file's
// size and last-write time, so it is asked for only where those two match.
class ProtectedFiles {
public:
    ProtectedFiles() = default;
    explicit ProtectedFiles(const std::string& file) { Add(file); }
    // Adds `file` (relative names against the current directory); an empty
    // name adds nothing.
    void Add(const std::string& file);
    // True when `path` names one of the files.
    bool Contains(const std::string& path) const;
    bool Empty() const { return paths_.empty(); }

private:
    // Size and last-write time; a link's own, not its target's, is no key.
    using Key = std::pair<unsigned long long, unsigned long long>;
    std::set<std::wstring> paths_;        // full paths, upper-cased
    std::multimap<Key, std::wstring> byKey_;  // long forms of the full paths
    std::vector<std::wstring> links_;     // files that are links: always compared by identity
};

// Writes `bytes` as the whole new contents of `path` (relative names against
// the current directory). No file of `protectedFiles` is ever the target: the
// same full path (case-insensitive) or the same file under another name
// (same volume and file index) is refused.
// An existing target that is read-only, hidden or system, a folder, or held
// open by another program without shared reading is not replaced (access
// denied, resp. the sharing violation). Throws ETargetRefused or
// EReportNotSaved; returns only when the target holds exactly `bytes`.
void SaveReportSafely(const std::string& path, const std::string& bytes,
                      const ProtectedFiles& protectedFiles = ProtectedFiles());

// A file written in pieces and put in place in one step, by the rules of
// SaveReportSafely: the refusals and checks come first, in the constructor;
// the bytes go to a temporary file beside the target, and Commit moves it
// over the target. Without Commit (a failure, an exception on the way) the
// temporary file is removed and the target is left as it was.
class SafeFileWriter {
public:
    // Throws ETargetRefused or EReportNotSaved, as SaveReportSafely does.
    SafeFileWriter(const std::string& path, const ProtectedFiles& protectedFiles);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Throws EReportNotSaved.
    void Write(const std::string& bytes);
    void Commit();
    // The temporary file's full path, in the extended-length form.
    const std::wstring& TemporaryPath() const;

private:
    struct Temporary;
    std::string path_;
    std::wstring target_;
    std::unique_ptr<Temporary> temp_;
    base::UniqueFile file_;
};

// A folder and every missing folder above it; false with the last error set.
bool CreateFolderPath(const std::string& path);

// Saving a report without ever losing or damaging a file. The bytes are
// written to a new temporary file in the target's folder, flushed to disk,
// and only then moved over the target in one step; on any failure the
// temporary file is removed and an existing target is left exactly as it
// was. Paths are single-byte strings in the system code page, of any length
// the system takes (the file calls use the extended-length form).
#pragma once

#include <set>
#include <string>
#include <tuple>

#include "base/errors.h"

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
// by its full path, compared case-blind, and, when it can be opened, by its
// volume and file index, so that another name for it (other case, a short
// name, a hard or symbolic link) is known too.
class ProtectedFiles {
public:
    ProtectedFiles() = default;
    explicit ProtectedFiles(const std::string& file) { Add(file); }
    // Adds `file` (relative names against the current directory); an empty
    // name adds nothing.
    void Add(const std::string& file);
    // True when `path` names one of the files.
    bool Contains(const std::string& path) const;
    bool Empty() const { return paths_.empty() && ids_.empty(); }

private:
    std::set<std::wstring> paths_;  // full paths, upper-cased
    std::set<std::tuple<unsigned long, unsigned long, unsigned long>> ids_;  // volume, index high, low
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

// A folder and every missing folder above it; false with the last error set.
bool CreateFolderPath(const std::string& path);

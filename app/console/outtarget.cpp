#include "app/console/outtarget.h"

#include <windows.h>

#include "app/save/safesave.h"
#include "base/fs.h"
#include "base/messages.h"

namespace {

// Why an existing target is not replaced, when an attribute is the reason;
// empty otherwise.
std::string KeptAttributeReason(const std::string& path) {
    const DWORD attributes = fs::GetAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::string();
    const char* what = (attributes & FILE_ATTRIBUTE_READONLY) ? "read-only"
                       : (attributes & FILE_ATTRIBUTE_SYSTEM) ? "a system file"
                       : (attributes & FILE_ATTRIBUTE_HIDDEN) ? "hidden"
                                                              : nullptr;
    if (!what) return std::string();
    return IOErrorMessage(ERROR_ACCESS_DENIED) + " (the file is " + what +
           ", and a read-only, hidden or system file is never replaced)";
}

}  // namespace

bool OwnFiles::Contains(const std::string& path) const {
    return !paths_.empty() && paths_.count(Key(fs::Widen(path))) != 0;
}

std::wstring OwnFiles::Key(const std::wstring& path) {
    std::wstring full;
    if (!fs::TryFullPath(path, full)) full = path;
    // The extended-length form names the same file as the plain one.
    if (full.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        full = L"\\" + full.substr(7);
    else if (full.compare(0, 4, L"\\\\?\\") == 0)
        full = full.substr(4);
    if (!full.empty()) CharUpperBuffW(&full[0], static_cast<DWORD>(full.size()));
    return full;
}

const char kInputTarget[] = "it is one of the files being read, which are never replaced";

std::string SaveFailure(const std::exception& e) {
    if (const auto* notSaved = dynamic_cast<const EReportNotSaved*>(&e))
        return IOErrorMessage(notSaved->code());
    return OneLineWithoutFullStop(e.what());
}

std::string WhyNotReplaced(const std::string& target, const std::string& reason) {
    const std::string kept = KeptAttributeReason(target);
    return reason == IOErrorMessage(ERROR_ACCESS_DENIED) && !kept.empty() ? kept : reason;
}

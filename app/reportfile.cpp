#include "app/reportfile.h"

#include <windows.h>

#include "base/fs.h"
#include "base/errors.h"
#include "base/handles.h"

void WriteReportFile(const std::string& path, const std::vector<std::string>& lines) {
    // Windows refuses to replace a read-only file, and with CREATE_ALWAYS and
    // FILE_ATTRIBUTE_NORMAL a hidden or system one. Not every implementation
    // of the call does (Wine, or a superuser on it), so the rule is applied
    // here too and the target stays untouched everywhere.
    const DWORD existing = fs::GetAttributes(path);
    const DWORD protectedBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY) && (existing & protectedBits))
        throw base::EInOutError(ERROR_ACCESS_DENIED);
    base::UniqueFile file(fs::Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
    if (!file) throw base::EInOutError(GetLastError());
    for (const std::string& line : lines) {
        // UTF-8 without a byte-order mark: ASCII text keeps its bytes.
        const std::string bytes = fs::ToUtf8(line) + "\r\n";
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            throw base::EInOutError(GetLastError());
        if (written != bytes.size()) throw base::EInOutError(101);  // "Disk full"
    }
    if (!CloseHandle(file.release())) throw base::EInOutError(GetLastError());
}

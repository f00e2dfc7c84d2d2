#include "app/reportfile.h"

#include <windows.h>

#include "base/fs.h"
#include "ui/errors.h"
#include "ui/handles.h"

void WriteReportFile(const std::string& path, const std::vector<std::string>& lines) {
    // Windows refuses to replace a read-only file, and with CREATE_ALWAYS and
    // FILE_ATTRIBUTE_NORMAL a hidden or system one. Not every implementation
    // of the call does (Wine, or a superuser on it), so the rule is applied
    // here too and the target stays untouched everywhere.
    const DWORD existing = fs::GetAttributes(path);
    const DWORD protectedBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY) && (existing & protectedBits))
        throw ui::EInOutError(ERROR_ACCESS_DENIED);
    ui::UniqueFile file(fs::Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
    if (!file) throw ui::EInOutError(GetLastError());
    for (const std::string& line : lines) {
        // UTF-8 without a byte-order mark: ASCII text keeps its bytes.
        const std::string bytes = fs::ToUtf8(line) + "\r\n";
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            throw ui::EInOutError(GetLastError());
        if (written != bytes.size()) throw ui::EInOutError(101);  // "Disk full"
    }
    if (!CloseHandle(file.release())) throw ui::EInOutError(GetLastError());
}

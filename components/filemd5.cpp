#include "components/filemd5.h"

#include <windows.h>

#include "app/messages.h"
#include "components/filereader.h"
#include "components/md5.h"
#include "ui/errors.h"
#include "ui/handles.h"

namespace {

std::string FullPath(const std::string& name) {
    char buffer[MAX_PATH];
    char* filePart = nullptr;
    const DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, buffer, &filePart);
    if (n == 0) return name;
    if (n < MAX_PATH) return std::string(buffer, n);
    std::string longer(n, '\0');
    const DWORD m = GetFullPathNameA(name.c_str(), n, &longer[0], &filePart);
    longer.resize(m < n ? m : 0);
    return longer.empty() ? name : longer;
}

}  // namespace

std::string FileMD5(const std::string& fileName) {
    Md5 md5;
    ui::UniqueFile file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        throw ui::Exception(CannotOpenFileMessage(FullPath(fileName), ui::SystemErrorText(error)));
    }
    const bool whole = ReadChunks(file.get(), [&](const unsigned char* data, std::size_t len) {
        md5.Update(data, len);
    });
    // Never a digest of data that was not read.
    if (!whole) {
        const DWORD error = GetLastError();
        throw ui::EInOutError(error != ERROR_SUCCESS ? error : ERROR_READ_FAULT);
    }
    return Md5::Hex(md5.Final());
}

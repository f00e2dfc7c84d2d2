#include "components/filemd5.h"

#include <windows.h>

#include "app/messages.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "ui/errors.h"
#include "ui/handles.h"

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

std::string FileMD5(const std::string& fileName) {
    ui::UniqueFile file(OpenFileForReading(fileName, FILE_SHARE_READ));
    if (!file) {
        const DWORD error = GetLastError();
        throw ui::Exception(CannotOpenFileMessage(FullPath(fileName), ui::SystemErrorText(error)));
    }
    Md5Sink md5;
    PassFeeds feeds;
    feeds.caller.push_back(&md5);
    const CancelToken never;
    const PassResult r = RunFilePass(file.get(), fileName, feeds, never);
    // Never a digest of data that were not read, or of another version of the file.
    if (r.outcome != PassOutcome::Done) throw ui::EInOutError(r.error != ERROR_SUCCESS ? r.error : ERROR_READ_FAULT);
    return md5.Hex();
}

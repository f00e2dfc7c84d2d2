#include "components/filemd5.h"

#include <windows.h>

#include "components/digestsink.h"
#include "components/filepass.h"
#include "base/errors.h"
#include "base/handles.h"

std::string FileMD5(const std::string& fileName) {
    base::UniqueFile file(OpenFileForReading(fileName, FILE_SHARE_READ));
    if (!file) {
        const DWORD error = GetLastError();
        throw CannotOpenFile(fileName, error);
    }
    Md5Sink md5;
    PassFeeds feeds;
    feeds.caller.push_back(&md5);
    const CancelToken never;
    const PassResult r = RunFilePass(file.get(), fileName, feeds, never);
    // Never a digest of data that were not read, or of another version of the file.
    if (r.outcome != PassOutcome::Done) throw base::EInOutError(r.error != ERROR_SUCCESS ? r.error : ERROR_READ_FAULT);
    return md5.Hex();
}

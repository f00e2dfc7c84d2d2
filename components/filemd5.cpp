#include "components/filemd5.h"

#include <windows.h>

#include "components/digestsink.h"
#include "components/filepass.h"
#include "base/errors.h"

std::string FileMD5(const std::string& fileName) {
    Md5Sink md5;
    PassFeeds feeds;
    feeds.caller.push_back(&md5);
    const FileRead read = ReadFileOnce(fileName, feeds);
    if (read.openError != ERROR_SUCCESS) throw CannotOpenFile(fileName, read.openError);
    // Never a digest of data that were not read, or of another version of the file.
    const DWORD error = read.result.error;
    if (!read.Done()) throw base::EInOutError(error != ERROR_SUCCESS ? error : ERROR_READ_FAULT);
    return md5.Hex();
}

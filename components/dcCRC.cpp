#include "components/dcCRC.h"

#include <windows.h>

#include "base/fs.h"
#include "components/dcUtils.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "base/handles.h"

std::uint32_t FileCRC(const std::string& fileName, TdcFileCRCMethod method) {
    if (!FileExists(fileName)) return 0;
    base::UniqueFile file(OpenFileForReading(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!file) return 0;
    CrcSink crc(method);
    PassFeeds feeds;
    feeds.reader.push_back(&crc);
    const CancelToken never;
    if (RunFilePass(file.get(), fileName, feeds, never).outcome != PassOutcome::Done) return 0;
    return crc.Value();
}

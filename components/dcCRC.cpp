#include "components/dcCRC.h"

#include <windows.h>

#include "base/fs.h"
#include "components/dcUtils.h"
#include "components/digestsink.h"
#include "components/filepass.h"

std::uint32_t FileCRC(const std::string& fileName, TdcFileCRCMethod method) {
    if (!FileExists(fileName)) return 0;
    CrcSink crc(method);
    PassFeeds feeds;
    feeds.reader.push_back(&crc);
    ReadSteps steps;
    steps.share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    return ReadFileOnce(fileName, feeds, steps).Done() ? crc.Value() : 0;
}

#include "components/dcCRC.h"

#include <windows.h>

#include "base/fs.h"
#include "components/dcUtils.h"
#include "components/filemd5.h"
#include "components/filereader.h"
#include "components/md5.h"
#include "base/handles.h"

std::uint32_t FileCRC(const std::string& fileName, TdcFileCRCMethod method) {
    if (!FileExists(fileName)) return 0;
    base::UniqueFile file(fs::OpenRead(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE));
    if (!file) return 0;
    std::uint32_t crc = CRCInitialValue(method);
    // The load that asks for this checksum asks for the file's digest next:
    // taking it from the same bytes reads a large file once instead of twice.
    const unsigned long long stamp = DigestPrefetchWanted() ? FileVersionStamp(file.get()) : 0;
    Md5 md5;
    const bool whole = ReadChunks(file.get(), [&](const unsigned char* data, std::size_t len) {
        crc = CRCUpdate(method, crc, data, len);
        if (stamp) md5.Update(data, len);
    });
    if (!whole) return 0;
    if (stamp) OfferPrefetchedDigest(file.get(), stamp, Md5::Hex(md5.Final()));
    return crc;
}

#include "components/dcCRC.h"

#include <windows.h>

#include "components/dcUtils.h"
#include "components/filereader.h"
#include "ui/handles.h"

std::uint32_t FileCRC(const std::string& fileName, TdcFileCRCMethod method) {
    if (!FileExists(fileName)) return 0;
    ui::UniqueFile file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    std::uint32_t crc = CRCInitialValue(method);
    const bool whole = ReadChunks(file.get(), [&](const unsigned char* data, std::size_t len) {
        crc = CRCUpdate(method, crc, data, len);
    });
    return whole ? crc : 0;
}

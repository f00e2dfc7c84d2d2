// Whole-file checksum by one of the three CRC methods (kernels in crc.h).
#pragma once

#include <cstdint>
#include <string>

#include "components/crc.h"

// The checksum of the whole file by `method`. 0 when no such file exists, it
// is a directory, it cannot be opened, a read fails, or the file changes
// while it is read. The file is read in bounded chunks (filepass.h), so
// memory use does not depend on its size.
std::uint32_t FileCRC(const std::string& fileName, TdcFileCRCMethod method);

#include "components/dcFileCRC.h"

#include "components/dcCRC.h"

void TdcFileCRC::SetFILENAME(const std::string& value) {
    if (value == fileName_) return;
    fileName_ = value;
    CalculateCRC();
}

void TdcFileCRC::SetMethod(TdcFileCRCMethod value) {
    if (value == method_) return;
    method_ = value;
    CalculateCRC();
}

void TdcFileCRC::CalculateCRC() { crc_ = FileCRC(fileName_, method_); }

void TdcFileCRC::TakeCRC(const std::string& fileName, std::uint32_t crc) {
    fileName_ = fileName;
    crc_ = crc;
}

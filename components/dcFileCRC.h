// File checksum component: the CRC of a whole file by one of three methods,
// computed when FILENAME or Method changes and kept until the next change.
#pragma once

#include <cstdint>
#include <string>

#include "components/crc.h"
#include "components/umdcComponent.h"

class TdcFileCRC : public TumdcComponent {
public:
    std::uint32_t CRC() const { return crc_; }
    const std::string& FILENAME() const { return fileName_; }
    TdcFileCRCMethod Method() const { return method_; }

    // The name is used exactly as given; an unchanged name computes nothing.
    void SetFILENAME(const std::string& value);
    void SetMethod(TdcFileCRCMethod value);

    // CRC := FileCRC(FILENAME, Method); a failure that leaves FileCRC keeps
    // the previous CRC.
    virtual void CalculateCRC();

    // For a caller that reads the file once for several digests: taking over
    // the result of such a read. TakeCRC sets FILENAME and CRC without
    // reading; a read that was stopped or saw the file change is never taken
    // over. The kept CRC is of the bytes that read saw: a caller that shows it
    // beside other values of the file takes one from each of its reads.
    void TakeCRC(const std::string& fileName, std::uint32_t crc);

private:
    std::uint32_t crc_ = 0;
    std::string fileName_;
    TdcFileCRCMethod method_ = TdcFileCRCMethod::crc32;
};

// One file's details as the main window shows them, read once from the
// inspection components: the window's rows and the console's reports and CSV
// are written from this value (app/details/detailtexts.h). The report the Save button
// writes is not: it reads the window's controls, which the user can change.
// Needs no operating system.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "components/datetime.h"

struct FileDetails {
    std::string displayName, fileType;
    std::int64_t fileSize = 0;
    // Archive, Read Only, Hidden, System, Temporary, Compressed, Offline: the
    // check boxes' order.
    std::array<bool, 7> attributes{};
    TDateTime created = 0, accessed = 0, modified = 0;
    std::string companyName, fileVersion, productVersion, fileDescription, legalCopyright, legalTrademark,
        languageName, comments, originalFilename, internalName;
    // The checksum row's number and the digest (32 upper-case hex digits):
    // none until a pass over the contents has computed them.
    std::optional<std::uint32_t> crc;
    std::optional<std::string> md5;
    // The signature's status text and signer, when they were asked for (the
    // CSV's last columns; the window shows its own check's result).
    std::string signature, signer;
    // The digests the reader was asked for (the CSV's /hash columns), in
    // lower-case hex, in the order asked.
    std::vector<std::string> digests;
};

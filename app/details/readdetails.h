// Reading one file's details on the Win32 side: the value the inspection
// components' results make (app/details/filedetails.h), and the one pass over the
// file's contents that gives its checksums. The window's load and the
// console read through here; the digests computed on demand run a pass of
// their own (app/verify/ondemand.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/details/filedetails.h"
#include "components/dcFileCRC.h"
#include "components/dcFileInfo.h"
#include "components/dcVersionInfo.h"
#include "components/digestsink.h"
#include "components/filepass.h"

// True when `path` names a file that can be read for its details; false
// with the reason the console reports: "Is a folder" or "File not found".
bool NamesAFile(const std::string& path, std::string& reason);

// The details that `info` and `version` hold for the file they were given
// (FILENAME); no checksum yet.
FileDetails DetailsOf(const TdcFileInfo& info, const TdcVersionInfo& version);

// What a pass over a file's contents is to compute.
struct ChecksumWants {
    std::optional<TdcFileCRCMethod> crc;  // the checksum component's CRC, by this method
    bool md5 = true;
    std::vector<DigestSink*> digests;  // more digests, fed as the MD5 is
    std::vector<DigestSink*> workers;  // more digests, each on a thread of its own
    bool stamp = false;                // the pass records which version of the file it read
    // Called with the file, still open, after a pass that read it whole.
    std::function<void(HANDLE file)> afterPass;
    // A file that another program holds open for writing still gets its CRC
    // (the window's rule); false: such a file is not read at all.
    bool crcOfHeldFile = true;
};

// What it gave. A digest needs the file to itself for writing (it is opened
// with read sharing only); the CRC, as the checksum component reads it, is
// still computed for a file that another program holds open for writing.
struct ChecksumPass {
    PassResult result;                 // Done, Stopped, Changed or Gone
    DWORD openError = ERROR_SUCCESS;   // the open for the digests failed: no MD5 or digest
    std::optional<std::uint32_t> crc;  // when asked for: 0 for a file that could not be opened at all
    std::optional<std::string> md5;    // when asked for and the pass is Done
};

// Opens `name` and reads it once (ReadFileOnce; `run` empty: RunFilePass,
// never stopped) for everything `wants` asks for. The
// consumers' values are set only when the pass is Done; a CRC that cannot be
// read at all is 0, as the checksum component has it.
ChecksumPass ReadChecksums(const std::string& name, const ChecksumWants& wants, const PassRunner& run);

// ReadChecksums with the plain pass on this thread, never stopped.
ChecksumPass ReadChecksums(const std::string& name, const ChecksumWants& wants);

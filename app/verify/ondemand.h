// Digests the window does not show, computed when asked for (the clipboard
// holds one, or the user copies one) by reading the file again.
#pragma once

#include <cstddef>
#include <string>

#include "base/errors.h"
#include "components/digestkind.h"

class LoadedVersion;
class WindowPasses;

// An on-demand digest of a file that is no longer the version the window's
// rows describe; the message is kFileChangedSinceLoad (components/hashtext.h).
class FileChangedSinceLoad : public base::Exception {
public:
    FileChangedSinceLoad();
};

// The digest of kind SHA1, SHA256, SHA384, SHA512, BLAKE2b (of `blake2bBytes`
// bytes, 1 to 64) or BLAKE3 (256 bits) of the file at `path` as upper-case
// hex (empty for any other kind: the rows show the CRC-32 and the MD5), of
// the version `loaded` describes (app/details/loadedversion.h): given at once
// when the load's pass or an earlier call computed it, else read in a pass
// of `passes` (app/verify/windowpasses.h), with the load's busy display,
// progress text and stops (Esc, a drop, Clear, closing), read sharing only as
// for the MD5 row, and no digest of a file that changed or vanished while it
// was read. Empty when the pass was stopped or another pass is running.
// Raises base::Exception "Cannot open file "<full path>". <reason>" when the
// file cannot be opened, FileChangedSinceLoad when `path` is not the loaded
// version (another file, size or last-write time), and the load's changed or
// deleted message when the file did not stay as it was while read.
std::string ComputeFileDigest(WindowPasses& passes, LoadedVersion& loaded, DigestKind kind,
                              const std::string& path, std::size_t blake2bBytes = 64);

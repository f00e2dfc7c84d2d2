// Digests the window does not show, computed when asked for (the clipboard
// holds one, or the user copies one) by reading the file again.
#pragma once

#include <string>

class TForm1;

enum class DigestKind { SHA1, SHA256 };

// The digest of the file at `path` as upper-case hex (40 or 64 digits). The
// read goes through the chunked reader, so `form` keeps its busy display and
// progress as during a load; the file is opened with read sharing only, as
// for the MD5 row, and a file whose identity, size or last-write time
// changed while it was read gives no digest. The last result is kept and
// given again while the file is unchanged.
// Raises base::Exception "Cannot open file "<full path>". <reason>" when the
// file cannot be opened, and base::EInOutError when it cannot be read whole or
// changed during the read.
std::string ComputeFileDigest(TForm1& form, DigestKind kind, const std::string& path);

// Digests the window does not show, computed when asked for (the clipboard
// holds one, or the user copies one) by reading the file again.
#pragma once

#include <string>

class TForm1;

enum class DigestKind { SHA1, SHA256 };

// The digest of the file at `path` as upper-case hex (40 or 64 digits). The
// read is a pass of the window's load (TForm1::RunPass): the same busy
// display, progress text and stops (Esc, a drop, Clear, closing), read sharing
// only as for the MD5 row, and no digest of a file that changed or vanished
// while it was read. Empty when the pass was stopped or another pass is running.
// The last result is kept and given again while the file is unchanged.
// Raises base::Exception "Cannot open file "<full path>". <reason>" when the
// file cannot be opened, and the load's changed or deleted message when the
// file did not stay as it was.
std::string ComputeFileDigest(TForm1& form, DigestKind kind, const std::string& path);

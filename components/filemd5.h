// MD5 digest of a whole file.
#pragma once

#include <string>

// The digest of the file's content as 32 upper-case hex digits. The file is
// opened for reading with read sharing only, so nobody writes to it while it
// is read. Raises base::Exception "Cannot open file "<full path>". <reason>"
// when it cannot be opened, and a failure when it cannot be read whole or
// changes while it is read.
std::string FileMD5(const std::string& fileName);

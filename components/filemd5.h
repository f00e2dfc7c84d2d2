// MD5 digest of a whole file.
#pragma once

#include <string>

// The digest of the file's content as 32 upper-case hex digits. The file is
// opened for reading with read sharing only, so nobody writes to it while it
// is read. Raises base::Exception "Cannot open file "<full path>". <reason>"
// when it cannot be opened, and a failure when it cannot be read whole.
std::string FileMD5(const std::string& fileName);

// While a DigestPrefetch is alive, a whole-file checksum read (FileCRC) also
// takes the MD5 of the same bytes, and the next FileMD5 of that file, still
// unchanged, uses it instead of reading the file a second time. A load reads
// its file once this way. The digest is offered once and forgotten when the
// scope ends; FileMD5 still opens the file, so its sharing rules hold.
class DigestPrefetch {
public:
    DigestPrefetch();
    ~DigestPrefetch();
    DigestPrefetch(const DigestPrefetch&) = delete;
    DigestPrefetch& operator=(const DigestPrefetch&) = delete;
};

// For whole-file readers: whether a digest is wanted alongside, and handing
// it over. `file` is the open handle the bytes came from; the digest is kept
// only when the file was not changed during the read.
bool DigestPrefetchWanted();
void OfferPrefetchedDigest(void* file, unsigned long long stampBefore, const std::string& hex);
// An identity of the file's current version (volume, index, size and
// last-write time folded together); 0 when it cannot be told.
unsigned long long FileVersionStamp(void* file);

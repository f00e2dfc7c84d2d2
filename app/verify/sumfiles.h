// Checksum files beside a loaded file: the window looks in the file's folder
// for the names under which hashes are usually published
// (ChecksumFileNamesFor in components/hashlist.h, then any "*.sfv") and
// takes what the ones that list this file say of it. Only small files are
// read (up to kMaxChecksumFileBytes each, at most kMaxSfvFiles other "*.sfv"),
// so the look costs no noticeable time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "components/filepass.h"
#include "components/hashtext.h"

// One hash a checksum file gives for the file.
struct Listing {
    std::string source;  // the checksum file's name as the folder holds it
    DigestKind kind = DigestKind::None;
    std::string digest;  // upper-case hex; a CRC-32 in its usual form
};

// The "*.sfv" files beyond the usual names that one look reads at most.
constexpr std::size_t kMaxSfvFiles = 32;

// One checksum file as it was read: what it says holds for that version only.
struct ReadList {
    std::string path;  // full path
    FileStamp stamp;   // the version read
};

// What the checksum files in the folder of `path` say of it: lines whose
// name, relative to the folder (or rooted), is this file under any spelling
// and case, and in the file's own checksum file ("<file name>.sha256",
// ".sha1", ".md5", ".sha512", ".b3" ...: IsChecksumFileOf) also a hash alone,
// of the kind the name says. In the order of the names looked at, each
// listing once. `read`, when given, receives every checksum file read,
// listing or not.
std::vector<Listing> FindListings(const std::string& path, std::vector<ReadList>* read = nullptr);

// True when a checksum file of `read` is no longer the version read: another
// size, last-write time or file, or no file.
bool ListsChanged(const std::vector<ReadList>& read);

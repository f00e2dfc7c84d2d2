// Checksum files as a whole: their bytes split into lines and read line by
// line (components/hashtext.h), the rules for the names they list, and the
// names under which a checksum file for a given file is usually published.
// No operating system is needed: the callers read the bytes and resolve the
// names.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "components/hashtext.h"

// Splits a checksum file's bytes, fed in chunks of any size, into lines and
// reads each one. A UTF-8 byte-order mark at the very start is skipped.
// Only the first kMaxLine and the last kTail bytes of a line are held, so a
// line of many megabytes costs no more memory than a short one: such a line
// is read as those bytes together, and when they make a line that names a
// file it is an Entry with `nameCut` set (sha256sum reads the line whole and
// then finds no file of that name), else Malformed. When the
// list's kind is given (ListKindOfName, or the user's choice), its untagged
// lines are of that kind and an entry of any other kind is Malformed, as the
// list's own tool finds it. Empty lines and lines that start with '#' are
// no entries; a line of blanks is Malformed, and so, except in an SFV list,
// is a ';' line in a list of a given kind, as the GNU tools count them. The
// lines are numbered from 1.
class HashListReader {
public:
    static constexpr std::size_t kMaxLine = 256 * 1024;
    static constexpr std::size_t kTail = 512;

    using OnLine = std::function<void(std::size_t number, LineKind kind, const HashLine& line)>;
    explicit HashListReader(OnLine onLine, DigestKind listKind = DigestKind::None)
        : onLine_(std::move(onLine)), listKind_(listKind) {}

    void Feed(const char* data, std::size_t size);
    // After the last Feed: the last line, when it has no line feed.
    void Finish();

private:
    void EndLine();
    void KeepTail(const char* data, std::size_t size);

    OnLine onLine_;
    DigestKind listKind_;
    GnuSpacing spacing_ = GnuSpacing::Unknown;
    std::string line_;
    std::size_t number_ = 0;
    std::size_t fed_ = 0;    // bytes fed so far
    std::string tail_;       // the last kTail bytes of an overlong line
    bool overlong_ = false;  // the current line passed kMaxLine
};

// The kind a checksum file's name says it holds, compared case-blind in
// ASCII on the name's last part: SHA256SUMS and "*.sha256" SHA-256,
// SHA1SUMS and "*.sha1" SHA-1, MD5SUMS and "*.md5" MD5, SHA384SUMS and
// "*.sha384", SHA512SUMS and "*.sha512", B2SUMS and "*.b2" BLAKE2b, B3SUMS,
// "*.b3" and "*.blake3" BLAKE3 (the SUMS names also with ".txt"), "*.sfv"
// CRC-32; None for any other name (CHECKSUMS, say), whose lines may be of any
// kind.
DigestKind ListKindOfName(const std::string& fileName);

// Why no file can have the listed `name` on Windows, or empty when one can:
// a control character (a line feed, say) or one of < > " | * ? outside the
// "\\?\" prefix. Such a name is never looked for.
std::string ListedNameProblem(const std::string& name);

// True for a listed name that does not lie below the checksum file's folder
// by its spelling: it starts with a slash or backslash, or with a drive
// letter and a colon.
bool IsRootedName(const std::string& name);

// The part of a listed name after its last slash or backslash.
std::string LastNamePart(const std::string& name);

// The checksum files that may list the file `fileName` in its folder, in the
// order they are looked at: SHA256SUMS, SHA1SUMS, MD5SUMS (each also with
// ".txt"), CHECKSUMS, checksums.txt, SHA512SUMS, SHA384SUMS, B2SUMS, B3SUMS
// (each also with ".txt"), then `fileName` with ".sha256", ".sha1", ".md5",
// ".sfv", ".sha512", ".sha384", ".b2", ".b3" and ".blake3". Any other "*.sfv"
// in the folder is looked at after them.
std::vector<std::string> ChecksumFileNamesFor(const std::string& fileName);

// Whether `sumFileName` is one of the names for the checksum file of
// `fileName` alone ("<file name>.sha256", ".sha1", ".md5", ".sha512",
// ".sha384", ".b2", ".b3", ".blake3"), compared case-blind in ASCII: such a
// file may hold the bare hash without a name.
bool IsChecksumFileOf(const std::string& sumFileName, const std::string& fileName);

// The largest checksum file the window reads beside a loaded file.
constexpr std::size_t kMaxChecksumFileBytes = 1u << 20;

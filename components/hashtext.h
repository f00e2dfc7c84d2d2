// Reading published hashes: one line of a checksum file, and one hash in a
// piece of text the user copied. Both go through the same rules for the
// forms a hash line takes, so that what the window accepts from the
// clipboard and what the console accepts from a checksum file agree.
//
// The forms of a checksum-file line (ParseHashLine):
//   GNU        <hex>  <name>      (text mode, two blanks)
//              <hex> *<name>      (binary mode)
//              <hex> <name>       (one blank, as sha256sum also reads it; a
//                                  list holds one spacing or the other)
//   BSD tag    SHA256 (<name>) = <hex>     (also MD5, SHA1, CRC32, SHA2-256)
//              MD5(<name>)= <hex>          (OpenSSL: the blanks may be missing)
//   SFV        <name> <8 hex digits of the CRC-32>
// A GNU or BSD line that starts with a backslash is escaped: its name holds
// "\\" for a backslash and "\n" for a line feed ("\r" for a carriage
// return); any other backslash pair makes the line malformed. Empty lines and
// lines that start with '#' or ';' (SFV comments) are no entries. The kind
// comes from the tag, else from the number of hex digits: 8 CRC-32 (the
// usual form, as SFV files carry it), 32 MD5, 40 SHA-1, 64 SHA-256, 96
// SHA-384, 128 SHA-512. Tags: MD5, SHA1, SHA256/SHA2-256, SHA384/SHA2-384,
// SHA512/SHA2-512, BLAKE2b (512 bits) and BLAKE2b-<bits>, BLAKE3, CRC32; a
// tagged value may also be base64, as `cksum --base64` writes it. A tag of
// another algorithm (SHA3-256, SM3) makes an Unsupported line; a length that
// fits no kind makes it malformed. A list whose name says its kind takes only
// that kind (HashListReader, components/hashlist.h).
//
// The text the user copied (FindHash) is one line, trimmed, after an
// optional UTF-8 byte-order mark. It is one of:
//   - a BSD tag line, `MD5 (file) = <hex>` or `MD5(file)= <hex>`;
//   - a hash, optionally followed by blanks and a file name (so a GNU line
//     too), optionally preceded by a label ending in a colon ("MD5:",
//     "SHA-256 :", "Checksum:");
//   - the hash itself is hex digits, optionally with a "0x" prefix, or a
//     decimal number that fits in 32 bits (a CRC-32).
// A label or tag that names a kind decides it, and the digits must have that
// kind's length ("SHA-256: <32 digits>" is no hash); a label that names a
// kind this program does not compute ("SHA-512:", "BLAKE2b:") gives no hash;
// any other label leaves the kind to the length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "components/digestkind.h"

// The kinds read here are those the program computes (components/digestkind.h).

// --- Checksum files ---

enum class HashLineForm { Gnu, Bsd, Sfv };

struct HashLine {
    DigestKind kind = DigestKind::None;
    std::string digest;  // hex digits, upper-cased; a CRC-32 in its usual form
    std::string name;    // the file's name as listed, unescaped
    HashLineForm form = HashLineForm::Gnu;
    bool binary = false;  // GNU binary marker '*'
    // The line was longer than a checksum file's reader holds: `name` is
    // the start and the end of the listed name, which no file can have.
    bool nameCut = false;
    std::string tag;  // an Unsupported line's tag as written ("SHA3-256")
};

enum class LineKind {
    Entry,      // a hash and a name: `line` is filled
    NoEntry,    // empty, blanks only, or a comment
    Malformed,  // anything else
    // A tag line of an algorithm not computed here (SHA3-256, SM3): `line`
    // holds the name and the tag, no kind and no digest.
    Unsupported,
};

// Which GNU form a list's lines use, fixed by its first GNU line as
// sha256sum fixes it: two characters between the digits and the name
// (`hex  name`, `hex *name`) or one blank (`hex name`).
enum class GnuSpacing { Unknown, Marked, OneBlank };

// Reads one line of a checksum file, without its line feed; a carriage
// return at its end is dropped. A line alone may use either GNU spacing; a
// list's lines are read with the spacing its earlier lines fixed. The
// untagged lines of a list of one kind (`untagged`, from the list's name or
// the user's choice) are of that kind: 64 digits are BLAKE3 in a BLAKE3
// list, 128 BLAKE2b in a BLAKE2b list; without it the length decides (64
// SHA-256, 128 SHA-512).
LineKind ParseHashLine(std::string_view text, HashLine& line);
LineKind ParseHashLine(std::string_view text, HashLine& line, GnuSpacing& spacing,
                       DigestKind untagged = DigestKind::None);

// The line that ParseHashLine reads back as `line` (GNU or BSD form, escaped
// when the name needs it; SFV as it is), without a line end.
std::string FormatHashLine(const HashLine& line);

// --- The clipboard ---

struct FoundHash {
    DigestKind kind = DigestKind::None;
    std::string text;            // the hash as found, hex digits upper-cased, no "0x"
    bool isHex = false;          // `text` read as hexadecimal is meant
    bool isDecimal = false;      // `text` read as a decimal number is meant (CRC-32)
    std::uint32_t hexValue = 0;  // CRC-32 only
    std::uint32_t decimalValue = 0;
    // A hash whose kind only its length gave may as well be of this kind:
    // 64 digits are SHA-256 or BLAKE3, 128 SHA-512 or BLAKE2b (b3sum and
    // b2sum write no tag). None when nothing else fits.
    DigestKind alsoKind = DigestKind::None;
};

FoundHash FindHash(std::string_view text);

// Whether a CRC-32 hash matches the CRC row's text (the decimal number the
// checksum component gives, which is the complement of the usual CRC-32):
// a hash that, read as hex or as decimal where it can be, equals either the
// usual CRC-32 or the row's number. False for an empty or non-numeric row.
bool CrcMatches(const FoundHash& hash, const std::string& crcRowText);

// The usual CRC-32 of the CRC row's number, as 8 upper-case hex digits;
// empty for an empty or non-numeric row.
std::string UsualCrcHex(const std::string& crcRowText);

// Whether hex digits equal a digest in hex, ignoring case.
bool HexEquals(std::string_view a, std::string_view b);
// Whether a hex hash equals a digest in hex, ignoring case.
bool DigestMatches(const FoundHash& hash, const std::string& digestHex);

// --- What the rows say ---

// The tooltip of a coloured row, in UTF-8: "SHA-256 matches the clipboard",
// "MD5 differs from SHA256SUMS: 0123…" (the first digits of what the source
// holds). `source` is "the clipboard" or a checksum file's name.
std::string VerifyTooltip(DigestKind kind, bool matches, const std::string& source, const std::string& hash);

// The source name of the clipboard in the tooltips.
extern const char kClipboardSource[];

// What a row says instead of a verdict when the file no longer is the
// version its rows describe, and what an on-demand digest of it answers.
extern const char kFileChangedSinceLoad[];

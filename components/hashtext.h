// Finding one published hash in a piece of text (what the user copied), and
// comparing it with the digest rows.
//
// The text, trimmed, is one hash: hexadecimal digits in either case,
// optionally preceded by a label ending in a colon ("MD5:", "SHA-256 :") and
// optionally followed by blanks and a file name, as md5sum and sha256sum print
// a line. The number of digits tells the kind: 32 MD5, 40 SHA-1, 64 SHA-256,
// 8 the usual form of CRC-32. A decimal number that fits in 32 bits is taken
// as CRC-32 as the CRC row shows it. Anything else is no hash.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class HashKind { None, CRC32, MD5, SHA1, SHA256 };

struct FoundHash {
    HashKind kind = HashKind::None;
    std::string text;             // the hash as found, hex digits upper-cased
    bool isHex = false;           // `text` read as hexadecimal is meant
    bool isDecimal = false;       // `text` read as a decimal number is meant (CRC-32)
    std::uint32_t hexValue = 0;   // CRC-32 only
    std::uint32_t decimalValue = 0;
};

FoundHash FindHash(std::string_view text);

// The name of a kind as the window says it: "CRC-32", "MD5", "SHA-1", "SHA-256".
const char* HashKindName(HashKind kind);

// Whether a CRC-32 hash matches the CRC row's text (the decimal number the
// checksum component gives, which is the complement of the usual CRC-32).
// False for an empty or non-numeric row.
bool CrcMatches(const FoundHash& hash, const std::string& crcRowText);

// Whether a hex hash equals a digest in hex, ignoring case.
bool DigestMatches(const FoundHash& hash, const std::string& digestHex);

// The tooltip of a coloured row, in UTF-8: "SHA-256 matches the clipboard" or
// "MD5 differs from the clipboard: 0123…" (the first digits of what was on
// the clipboard).
std::string VerifyTooltip(HashKind kind, bool matches, const std::string& clipboardHash);

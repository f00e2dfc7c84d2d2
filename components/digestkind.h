// The kinds of checksum and digest the program knows. One enum for the
// checksum texts, the checksum files, the on-demand digests and the
// signatures.
#pragma once

#include <cstddef>
#include <string_view>

enum class DigestKind { None, CRC32, MD5, SHA1, SHA256, SHA384, SHA512, BLAKE2b, BLAKE3 };

// Every kind but None, in the order of the console's /alg names.
constexpr DigestKind kAllDigestKinds[] = {DigestKind::MD5,    DigestKind::SHA1,   DigestKind::SHA256,
                                          DigestKind::SHA384, DigestKind::SHA512, DigestKind::BLAKE2b,
                                          DigestKind::BLAKE3, DigestKind::CRC32};

// Hex digits of a kind's full value: 8, 32, 40, 64, 96, 128, 128 (BLAKE2b's
// 512 bits), 64 (BLAKE3's 256 bits); 0 for None.
std::size_t HexDigitsOf(DigestKind kind);

// The name of a kind as the window says it: "CRC-32", "MD5", "SHA-1",
// "SHA-256", "SHA-384", "SHA-512", "BLAKE2b", "BLAKE3"; empty for None.
const char* DigestKindName(DigestKind kind);

// The kind's name on the command line, as `cksum -a` spells it: "crc32",
// "md5", "sha1", "sha256", "sha384", "sha512", "blake2b", "blake3"; empty for
// None.
const char* DigestAlgName(DigestKind kind);

// The kind's tag as the BSD-form lines of the GNU tools spell it, and their
// messages name it: "CRC32", "MD5", "SHA1", "SHA256", "SHA384", "SHA512",
// "BLAKE2b", "BLAKE3"; empty for None.
const char* DigestTagName(DigestKind kind);

// The kind an /alg name means, compared case-blind; None for any other name.
DigestKind DigestKindOfAlgName(std::string_view name);

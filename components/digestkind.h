// The kinds of checksum and digest the program knows: those it computes
// (CRC-32, MD5, SHA-1, SHA-256) and the further ones a signature may name.
// One enum for the checksum texts, the checksum files, the on-demand digests
// and the signatures.
#pragma once

#include <cstddef>

enum class DigestKind { None, CRC32, MD5, SHA1, SHA256, SHA384, SHA512 };

// Hex digits of a kind's value: 8, 32, 40, 64, 96, 128; 0 for None.
std::size_t HexDigitsOf(DigestKind kind);

// The name of a kind as the window says it: "CRC-32", "MD5", "SHA-1",
// "SHA-256", "SHA-384", "SHA-512"; empty for None.
const char* DigestKindName(DigestKind kind);

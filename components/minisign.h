// minisign and signify files. Both keep an Ed25519 key as one Base64 line,
// "Ed", an 8-byte key number and the 32-byte key, under an "untrusted
// comment:" line, so one public key file serves both. A minisign signature
// is the legacy "Ed" (over the file) or the prehashed "ED" (over its
// BLAKE2b-512), followed by a trusted comment and the global signature over
// the signature and that comment. A signify signature is "Ed" over the file;
// with -e the signed list follows the signature inside the same file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "components/sigverdict.h"

namespace minisign {

struct PublicKey {
    std::uint8_t keyNum[8] = {};
    std::uint8_t key[32] = {};
    std::string comment;  // the untrusted comment, for naming the key
};

// Reads a minisign or signify public key file; false with `error`.
bool ParsePublicKey(std::string_view file, PublicKey& key, std::string& error);

// "0x" and the key number in hex as minisign prints it (little-endian).
std::string KeyIdText(const std::uint8_t* keyNum);

// True when `bytes` start with an "untrusted comment:" line.
bool LooksLikeMinisign(std::string_view bytes);

// Verifies a .minisig file over `data`.
SigVerdict VerifyMinisign(std::string_view data, std::string_view sigFile,
                          const std::vector<PublicKey>& keys);

// Verifies a signify signature: detached over `data`, or, when the
// signature file carries the list after its two lines (signify -e), over
// that list, which the verdict then carries as its signed text.
SigVerdict VerifySignify(std::string_view data, std::string_view sigFile, const std::vector<PublicKey>& keys);

}  // namespace minisign

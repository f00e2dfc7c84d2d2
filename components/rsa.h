// RSA signature verification with PKCS#1 v1.5 padding (RFC 8017 section
// 8.2.2) for SHA-256, SHA-384 and SHA-512. The expected encoded message is
// built and compared whole, so no parser of the padding can be fooled. Moduli
// of 1024 to 4096 bits; the caller decides which sizes it accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/digestkind.h"

// Big-endian byte strings, leading zeros allowed in all three.
struct RsaPublicKey {
    std::vector<std::uint8_t> n;
    std::vector<std::uint8_t> e;
};

// Bits of the modulus, leading zeros not counted.
std::size_t RsaModulusBits(const RsaPublicKey& key);

// True when `sig` (big-endian, at most the modulus's length; shorter means
// leading zeros, as OpenPGP stores it) is `key`'s signature of `digest`, a
// `kind` digest (SHA256, SHA384 or SHA512; any other kind is false).
bool RsaPkcs1Verify(const RsaPublicKey& key, const std::vector<std::uint8_t>& sig, DigestKind kind,
                    const std::uint8_t* digest, std::size_t digestLen);

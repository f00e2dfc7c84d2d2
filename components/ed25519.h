// Ed25519 signature verification (RFC 8032 section 5.1.7), cofactorless, as
// strict as libsodium: a signature whose S is not below the group order, a
// public key or R that is not the canonical encoding of a curve point, and a
// public key or R of small order are all refused. Variable time: it only
// verifies public data.
#pragma once

#include <cstddef>
#include <cstdint>

// True when `sig` (R || S, 64 bytes) is `pub`'s (32 bytes) signature of the
// `len` bytes at `msg`.
bool Ed25519Verify(const std::uint8_t* sig, const std::uint8_t* msg, std::size_t len,
                   const std::uint8_t* pub);

// OpenPGP (RFC 4880, RFC 9580 for the Ed25519 encoding) as far as checking a
// signed checksum file needs it: ASCII armor with its CRC-24, packets and
// subpackets, public key files (`gpg --export`, armored or binary, several
// keys and subkeys), v4 signatures by RSA and Ed25519 keys over SHA-256,
// SHA-384 and SHA-512, and the cleartext framework. No clock: the time a
// verdict is judged at is passed in. Every parser is bounded: a length past
// the end, a partial length, compressed data or too many packets is a clear
// error, never a read past the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/sigverdict.h"

namespace pgp {

// CRC-24 of RFC 4880 section 6.1.
std::uint32_t Crc24(const std::uint8_t* data, std::size_t len);

// Base64 without line breaks or with them (white space is skipped); false on
// any other character or a bad length.
bool Base64Decode(std::string_view text, std::vector<std::uint8_t>& out);

// The first armored block in `text`: its label ("PGP SIGNATURE", "PGP PUBLIC
// KEY BLOCK", ...) and its bytes. False with `error` set when there is none,
// or it is cut short, or its CRC-24 does not match.
bool Dearmor(std::string_view text, std::string& label, std::vector<std::uint8_t>& out, std::string& error);

// True when `bytes` start like ASCII armor or a cleartext signed message.
bool LooksArmored(std::string_view bytes);

// A clearsigned message split into its parts.
struct Cleartext {
    std::string text;          // the signed text, dash escapes removed, LF line ends
    std::string canonical;     // what is hashed: trailing blanks removed, CR LF between lines
    std::string signature;     // the armored signature block
    bool textOutside = false;  // text before the message or after the signature
};

// Splits a "-----BEGIN PGP SIGNED MESSAGE-----" file. False with `error`
// when it is not one or is cut short.
bool ParseCleartext(std::string_view file, Cleartext& out, std::string& error);

// The canonical form of a text signature (type 0x01): CR LF line ends.
std::string CanonicalText(std::string_view text);

// Trusted keys, parsed from the user's key files. A key's self-signatures
// are checked once, when a signature first needs the key, and the result is
// kept inside: one thread at a time verifies with one keyring.
class Keyring {
public:
    // Adds every public key in one file (armored or binary; several blocks
    // may follow each other). False with `error` when the file holds no key
    // or is damaged; the keys read before a damage are kept.
    bool Add(std::string_view file, std::string& error);
    std::size_t Size() const;

    struct Impl;
    Keyring();
    ~Keyring();
    Keyring(Keyring&&) noexcept;
    Keyring& operator=(Keyring&&) noexcept;
    Impl& Get() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// Verifies the signature packets in `sig` (binary or armored) over `data`,
// judged at `now` (Unix seconds). The verdict names the signer and key; a
// signature by a key that is not in `keys` is UnknownKey with its key id.
SigVerdict Verify(std::string_view data, std::string_view sig, const Keyring& keys, std::int64_t now);

// The same for a clearsigned file: the verdict carries the signed text.
SigVerdict VerifyCleartext(std::string_view file, const Keyring& keys, std::int64_t now);

// "YYYY-MM-DD hh:mm:ss UTC" for Unix seconds, as the verdicts write times.
std::string TimeText(std::int64_t t);

}  // namespace pgp

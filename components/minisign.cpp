#include "components/minisign.h"

#include <cstring>

#include "components/blake2b.h"
#include "components/ed25519.h"
#include "components/openpgp.h"

namespace minisign {

namespace {

constexpr std::string_view kUntrusted = "untrusted comment:";
constexpr std::string_view kTrusted = "trusted comment: ";

// The next line of `text` from `pos` without its end (LF or CR LF); false
// at the end of the text.
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line) {
    if (pos >= text.size()) return false;
    std::size_t nl = text.find('\n', pos);
    const bool last = nl == std::string_view::npos;
    if (last) nl = text.size();
    line = text.substr(pos, nl - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = last ? text.size() : nl + 1;
    return true;
}

SigVerdict Verdict(SigStatus status, std::string reason) {
    SigVerdict v;
    v.status = status;
    v.reason = std::move(reason);
    return v;
}

const PublicKey* Find(const std::vector<PublicKey>& keys, const std::uint8_t* keyNum) {
    for (const PublicKey& k : keys) {
        if (std::memcmp(k.keyNum, keyNum, 8) == 0) return &k;
    }
    return nullptr;
}

}  // namespace

bool LooksLikeMinisign(std::string_view bytes) { return bytes.substr(0, kUntrusted.size()) == kUntrusted; }

std::string KeyIdText(const std::uint8_t* keyNum) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int i = 7; i >= 0; --i) {
        s += kDigits[keyNum[i] >> 4];
        s += kDigits[keyNum[i] & 15];
    }
    return s;
}

bool ParsePublicKey(std::string_view file, PublicKey& key, std::string& error) {
    std::size_t pos = 0;
    std::string_view line;
    if (!NextLine(file, pos, line) || line.substr(0, kUntrusted.size()) != kUntrusted)
        return error = "not a minisign or signify public key (no untrusted comment line)", false;
    key.comment = std::string(line.substr(kUntrusted.size()));
    while (!key.comment.empty() && key.comment.front() == ' ') key.comment.erase(0, 1);
    std::vector<std::uint8_t> raw;
    if (!NextLine(file, pos, line) || !pgp::Base64Decode(line, raw) || raw.size() != 42)
        return error = "damaged minisign or signify public key", false;
    if (raw[0] != 'E' || raw[1] != 'd')
        return error = "minisign or signify key of an unknown algorithm", false;
    std::memcpy(key.keyNum, raw.data() + 2, 8);
    std::memcpy(key.key, raw.data() + 10, 32);
    return true;
}

SigVerdict VerifyMinisign(std::string_view data, std::string_view sigFile,
                          const std::vector<PublicKey>& keys) {
    std::size_t pos = 0;
    std::string_view untrusted, sigLine, trusted, globalLine;
    if (!NextLine(sigFile, pos, untrusted) || untrusted.substr(0, kUntrusted.size()) != kUntrusted ||
        !NextLine(sigFile, pos, sigLine) || !NextLine(sigFile, pos, trusted) ||
        trusted.substr(0, kTrusted.size()) != kTrusted || !NextLine(sigFile, pos, globalLine))
        return Verdict(SigStatus::Bad, "damaged minisign signature file");
    std::vector<std::uint8_t> sig, global;
    if (!pgp::Base64Decode(sigLine, sig) || sig.size() != 74 || !pgp::Base64Decode(globalLine, global) ||
        global.size() != 64)
        return Verdict(SigStatus::Bad, "damaged minisign signature");
    const bool prehashed = sig[0] == 'E' && sig[1] == 'D';
    if (!prehashed && !(sig[0] == 'E' && sig[1] == 'd'))
        return Verdict(SigStatus::Unsupported, "minisign signature of an unknown algorithm");
    SigVerdict v;
    v.keyId = KeyIdText(sig.data() + 2);
    v.algorithm = "Ed25519";
    const std::string_view comment = trusted.substr(kTrusted.size());
    const PublicKey* key = Find(keys, sig.data() + 2);
    if (!key) {
        v.status = SigStatus::UnknownKey;
        v.reason = "signed by a key that is not trusted";
        return v;
    }
    v.signer = key->comment;
    bool good;
    if (prehashed) {
        Blake2b h(64);
        h.Update(data.data(), data.size());
        const Blake2b::Digest d = h.Final();
        good = Ed25519Verify(sig.data() + 10, d.data(), d.size(), key->key);
    } else {
        good = Ed25519Verify(sig.data() + 10, reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                             key->key);
    }
    if (!good) {
        v.status = SigStatus::Bad;
        v.reason = "the signature does not match the file";
        return v;
    }
    // The trusted comment is signed with the signature itself.
    std::string signedComment(reinterpret_cast<const char*>(sig.data() + 10), 64);
    signedComment += comment;
    if (!Ed25519Verify(global.data(), reinterpret_cast<const std::uint8_t*>(signedComment.data()),
                       signedComment.size(), key->key)) {
        v.status = SigStatus::Bad;
        v.reason = "the trusted comment does not match its signature";
        return v;
    }
    v.status = SigStatus::Good;
    v.trustedComment = std::string(comment);
    return v;
}

SigVerdict VerifySignify(std::string_view data, std::string_view sigFile,
                         const std::vector<PublicKey>& keys) {
    std::size_t pos = 0;
    std::string_view untrusted, sigLine;
    if (!NextLine(sigFile, pos, untrusted) || untrusted.substr(0, kUntrusted.size()) != kUntrusted ||
        !NextLine(sigFile, pos, sigLine))
        return Verdict(SigStatus::Bad, "damaged signify signature file");
    std::vector<std::uint8_t> sig;
    if (!pgp::Base64Decode(sigLine, sig) || sig.size() != 74 || sig[0] != 'E' || sig[1] != 'd')
        return Verdict(SigStatus::Bad, "damaged signify signature");
    SigVerdict v;
    const bool embedded = pos < sigFile.size();
    if (embedded) {
        data = sigFile.substr(pos);
        v.hasSignedText = true;
        v.signedText = std::string(data);
    }
    v.keyId = KeyIdText(sig.data() + 2);
    v.algorithm = "Ed25519";
    const PublicKey* key = Find(keys, sig.data() + 2);
    if (!key) {
        v.status = SigStatus::UnknownKey;
        v.reason = "signed by a key that is not trusted";
        return v;
    }
    v.signer = key->comment;
    if (!Ed25519Verify(sig.data() + 10, reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                       key->key)) {
        v.status = SigStatus::Bad;
        v.reason = "the signature does not match the file";
        return v;
    }
    v.status = SigStatus::Good;
    return v;
}

}  // namespace minisign

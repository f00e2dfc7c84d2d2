#include "components/sigverify.h"

#include "base/linetext.h"

bool SigStatusFails(SigStatus status) {
    switch (status) {
        case SigStatus::Good:
        case SigStatus::NotSigned:
        case SigStatus::UnknownKey:
        case SigStatus::Unsupported:
            return false;
        default:
            return true;
    }
}

bool TrustedKeys::AddFile(std::string_view bytes, std::string& error) {
    if (minisign::LooksLikeMinisign(bytes)) {
        minisign::PublicKey key;
        if (!minisign::ParsePublicKey(bytes, key, error)) return false;
        small_.push_back(key);
        return true;
    }
    return pgp_.Add(bytes, error);
}

std::vector<std::string> SignatureFileNames(const std::string& list) {
    return {list + ".asc", list + ".sig", list + ".gpg", list + ".minisig"};
}

bool IsClearsigned(std::string_view list) {
    // At the start of any line: text before it is reported, never taken as signed.
    constexpr std::string_view kHeader = "-----BEGIN PGP SIGNED MESSAGE-----";
    for (std::size_t at = list.find(kHeader); at != std::string_view::npos; at = list.find(kHeader, at + 1)) {
        if (at == 0 || list[at - 1] == '\n') return true;
    }
    return false;
}

SigVerdict VerifyListSignature(std::string_view list, std::string_view sigFile, const TrustedKeys& keys,
                               std::int64_t now) {
    if (sigFile.empty()) {
        if (IsClearsigned(list)) return pgp::VerifyCleartext(list, keys.Pgp(), now);
        return SigVerdict{};
    }
    if (minisign::LooksLikeMinisign(sigFile)) {
        // minisign's second comment line is what tells the two apart.
        if (sigFile.find("\ntrusted comment: ") != std::string_view::npos)
            return minisign::VerifyMinisign(list, sigFile, keys.Small());
        return minisign::VerifySignify(list, sigFile, keys.Small());
    }
    if (IsClearsigned(sigFile)) return pgp::VerifyCleartext(sigFile, keys.Pgp(), now);
    return pgp::Verify(list, sigFile, keys.Pgp(), now);
}

std::string SigVerdictText(const SigVerdict& v) {
    std::string s;
    auto key = [&] {
        std::string k = v.algorithm.empty() ? "key " : v.algorithm + " key ";
        return k + v.keyId;
    };
    switch (v.status) {
        case SigStatus::NotSigned:
            return "not signed";
        case SigStatus::Good:
            s = "Good signature";
            if (!v.signer.empty()) s += " from \"" + v.signer + "\"";
            s += " (" + key() + ")";
            if (!v.trustedComment.empty()) s += ", trusted comment: " + v.trustedComment;
            break;
        case SigStatus::UnknownKey:
            s = "signed by unknown key " + v.keyId;
            break;
        case SigStatus::Bad:
            s = "BAD signature";
            break;
        case SigStatus::Weak:
            s = "weak signature, refused";
            break;
        case SigStatus::Expired:
            s = "expired signature";
            break;
        case SigStatus::Revoked:
            s = "signed by a revoked key";
            break;
        case SigStatus::Future:
            s = "signature made in the future";
            break;
        case SigStatus::KeyInvalid:
            s = "signed by an invalid key";
            break;
        case SigStatus::Unsupported:
            s = "unsupported signature";
            break;
    }
    if (v.status != SigStatus::Good && v.status != SigStatus::UnknownKey && !v.keyId.empty())
        s += " (" + key() + ")";
    if (v.status != SigStatus::Good && !v.reason.empty() && v.status != SigStatus::UnknownKey)
        s += ": " + v.reason;
    if (!v.note.empty()) s += "; " + v.note;
    return s;
}

std::string SigCheckLine(const std::string& list, const SigVerdict& verdict, bool asked) {
    if (verdict.status == SigStatus::NotSigned && !asked) return std::string();
    return OnOneLine(list, LineRule::ConsoleMessage) + ": " +
           OnOneLine(SigVerdictText(verdict), LineRule::ReportLine) + "\r\n";
}

bool SigVerdictFailsRun(const SigVerdict& verdict, bool requireSignature) {
    return SigStatusFails(verdict.status) || (requireSignature && verdict.status != SigStatus::Good);
}

#include "components/filesignature.h"

// After <windows.h>, which the header brings.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
#include "components/filepass.h"

using authenticode::SignatureStatus;

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// Owners of the CryptoAPI's objects.
struct StoreTraits {
    using handle_type = HCERTSTORE;
    static HCERTSTORE none() { return nullptr; }
    static bool valid(HCERTSTORE h) { return h != nullptr; }
    static void close(HCERTSTORE h) { CertCloseStore(h, 0); }
};
struct MessageTraits {
    using handle_type = HCRYPTMSG;
    static HCRYPTMSG none() { return nullptr; }
    static bool valid(HCRYPTMSG h) { return h != nullptr; }
    static void close(HCRYPTMSG h) { CryptMsgClose(h); }
};
struct CertTraits {
    using handle_type = PCCERT_CONTEXT;
    static PCCERT_CONTEXT none() { return nullptr; }
    static bool valid(PCCERT_CONTEXT h) { return h != nullptr; }
    static void close(PCCERT_CONTEXT h) { CertFreeCertificateContext(h); }
};
struct EngineTraits {
    using handle_type = HCERTCHAINENGINE;
    static HCERTCHAINENGINE none() { return nullptr; }
    static bool valid(HCERTCHAINENGINE h) { return h != nullptr; }
    static void close(HCERTCHAINENGINE h) { CertFreeCertificateChainEngine(h); }
};
struct ChainTraits {
    using handle_type = PCCERT_CHAIN_CONTEXT;
    static PCCERT_CHAIN_CONTEXT none() { return nullptr; }
    static bool valid(PCCERT_CHAIN_CONTEXT h) { return h != nullptr; }
    static void close(PCCERT_CHAIN_CONTEXT h) { CertFreeCertificateChain(h); }
};
using UniqueStore = base::Unique<StoreTraits>;
using UniqueMessage = base::Unique<MessageTraits>;
using UniqueCert = base::Unique<CertTraits>;
using UniqueEngine = base::Unique<EngineTraits>;
using UniqueChain = base::Unique<ChainTraits>;

// The PKCS#7 message and certificates of a signature (or a timestamp token)
// held in memory.
struct Message {
    UniqueStore store;
    UniqueMessage msg;
    UniqueCert signer;      // the certificate of the message's first signer
    bool verified = false;  // `signer`'s key verifies the signer's signature
};

// The message's first signer's signature over its signed attributes, by
// the key of `cert`.
bool SignatureVerifiesWith(HCRYPTMSG msg, PCCERT_CONTEXT cert) {
    CMSG_CTRL_VERIFY_SIGNATURE_EX_PARA para{};
    para.cbSize = sizeof para;
    para.dwSignerIndex = 0;
    para.dwSignerType = CMSG_VERIFY_SIGNER_CERT;
    para.pvSigner = const_cast<CERT_CONTEXT*>(cert);
    return CryptMsgControl(msg, 0, CMSG_CTRL_VERIFY_SIGNATURE_EX, &para) != FALSE;
}

// The signer's certificate is the one whose key verifies the signature: the
// certificates set is not signed, and anyone can add a certificate with the
// signer's issuer and serial number (and a name of their choosing) to it.
// When none verifies, the first that matches stands in, unverified.
bool OpenMessage(der::Span bytes, Message& m) {
    CERT_BLOB blob{static_cast<DWORD>(bytes.size), const_cast<BYTE*>(bytes.data)};
    DWORD encoding = 0, content = 0, format = 0;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_BLOB, &blob, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &content, &format, m.store.put(),
                          m.msg.put(), nullptr))
        return false;
    DWORD size = 0;
    if (!CryptMsgGetParam(m.msg.get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size) || size == 0)
        return false;
    std::vector<BYTE> info(size);
    if (!CryptMsgGetParam(m.msg.get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, info.data(), &size)) return false;
    // Each call frees the context it is given and returns the next match.
    PCCERT_CONTEXT candidate = nullptr;
    while ((candidate = CertFindCertificateInStore(m.store.get(), kEncoding, 0, CERT_FIND_SUBJECT_CERT,
                                                   reinterpret_cast<CERT_INFO*>(info.data()), candidate)) !=
           nullptr) {
        if (SignatureVerifiesWith(m.msg.get(), candidate)) {
            m.signer.reset(candidate);
            m.verified = true;
            return true;
        }
        if (!m.signer) m.signer.reset(CertDuplicateCertificateContext(candidate));
    }
    return m.signer.valid();
}

// The message's first signer's signature over its signed attributes.
bool SignerSignatureHolds(const Message& m) { return m.verified; }

// The common name of `name` (an encoded X.509 name), else its
// organisation. The value is taken with its decoded length, so that a NUL
// or a control character inside it stays for the outputs to show.
std::string NameOf(const CERT_NAME_BLOB& name) {
    CERT_NAME_INFO* info = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(kEncoding, X509_UNICODE_NAME, name.pbData, name.cbData, CRYPT_DECODE_ALLOC_FLAG,
                             nullptr, &info, &size))
        return std::string();
    const std::unique_ptr<CERT_NAME_INFO, decltype(&LocalFree)> owner(info, LocalFree);
    for (const char* oid : {szOID_COMMON_NAME, szOID_ORGANIZATION_NAME}) {
        const CERT_RDN_ATTR* attr = CertFindRDNAttr(oid, info);
        if (!attr) continue;
        std::wstring value(reinterpret_cast<const wchar_t*>(attr->Value.pbData),
                           attr->Value.cbData / sizeof(wchar_t));
        // Some decoders count the terminator; NULs at the end hide nothing.
        while (!value.empty() && value.back() == L'\0') value.pop_back();
        if (!value.empty()) return fs::Narrow(value);
    }
    return std::string();
}

SYSTEMTIME SystemTimeOf(const der::Time& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    return st;
}

FILETIME FileTimeOf(const der::Time& t) {
    const SYSTEMTIME st = SystemTimeOf(t);
    FILETIME ft{};
    // A time the system cannot convert stays at 1601, before any certificate
    // was valid: a chain checked at it fails, so nothing is excused by it.
    if (!SystemTimeToFileTime(&st, &ft)) return FILETIME{};
    return ft;
}

der::Time LocalTimeOf(const der::Time& utc) {
    const SYSTEMTIME u = SystemTimeOf(utc);
    SYSTEMTIME l{};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &u, &l)) return utc;
    der::Time t;
    t.year = l.wYear;
    t.month = l.wMonth;
    t.day = l.wDay;
    t.hour = l.wHour;
    t.minute = l.wMinute;
    t.second = l.wSecond;
    return t;
}

// The chain of `cert` for `usage` at `when` (null: now), with the
// certificates of `store` to find the intermediates; none when it cannot be
// built.
UniqueChain BuildChain(PCCERT_CONTEXT cert, HCERTSTORE store, const char* usage, const FILETIME* when) {
    std::string usageOid = usage;
    LPSTR usages[] = {&usageOid[0]};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    FILETIME at{};
    if (when) at = *when;
    // An engine of its own reads the trusted roots as they are now; the
    // process's default engine keeps what it read first.
    CERT_CHAIN_ENGINE_CONFIG config{};
    config.cbSize = sizeof config;
    UniqueEngine engine;
    UniqueChain chain;
    if (!CertCreateCertificateChainEngine(&config, engine.put())) return chain;
    CertGetCertificateChain(engine.get(), cert, when ? &at : nullptr, store, &para, 0, nullptr, chain.put());
    return chain;
}

// The error bits of the chain of `cert` (BuildChain); a partial chain when
// none could be built.
DWORD ChainErrors(PCCERT_CONTEXT cert, HCERTSTORE store, const char* usage, const FILETIME* when) {
    const UniqueChain chain = BuildChain(cert, store, usage, when);
    return chain ? chain.get()->TrustStatus.dwErrorStatus : CERT_TRUST_IS_PARTIAL_CHAIN;
}

// The first of `certs` that the user's or the machine's "Disallowed" store
// holds; null for none. Windows refuses a certificate put there, and not
// every implementation of the chain engine looks. The stores are opened
// read-only and only when they exist, so that nothing is created.
PCCERT_CONTEXT Distrusted(const std::vector<PCCERT_CONTEXT>& certs) {
    for (const DWORD location : {CERT_SYSTEM_STORE_CURRENT_USER, CERT_SYSTEM_STORE_LOCAL_MACHINE}) {
        UniqueStore store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                        location | CERT_STORE_OPEN_EXISTING_FLAG | CERT_STORE_READONLY_FLAG,
                                        L"Disallowed"));
        if (!store) continue;
        for (PCCERT_CONTEXT cert : certs) {
            UniqueCert found(
                CertFindCertificateInStore(store.get(), kEncoding, 0, CERT_FIND_EXISTING, cert, nullptr));
            if (found) return cert;
        }
    }
    return nullptr;
}

// The signer's certificate and each issuer of its chain, as far as it goes.
std::vector<PCCERT_CONTEXT> ChainCertificates(PCCERT_CONTEXT signer, PCCERT_CHAIN_CONTEXT chain) {
    if (!chain || chain->cChain == 0 || chain->rgpChain[0]->cElement == 0) return {signer};
    std::vector<PCCERT_CONTEXT> certs;  // the first element is the signer's
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    for (DWORD i = 0; i < simple->cElement; ++i) certs.push_back(simple->rgpElement[i]->pCertContext);
    return certs;
}

constexpr DWORD kTimeErrors = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED;
// What makes a chain untrusted. Unknown revocation is no error: revocation
// is not checked.
constexpr DWORD kTrustErrors =
    CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_NOT_VALID_FOR_USAGE | CERT_TRUST_IS_UNTRUSTED_ROOT |
    CERT_TRUST_IS_CYCLIC | CERT_TRUST_INVALID_EXTENSION | CERT_TRUST_INVALID_POLICY_CONSTRAINTS |
    CERT_TRUST_INVALID_BASIC_CONSTRAINTS | CERT_TRUST_INVALID_NAME_CONSTRAINTS |
    CERT_TRUST_HAS_NOT_SUPPORTED_NAME_CONSTRAINT | CERT_TRUST_HAS_NOT_DEFINED_NAME_CONSTRAINT |
    CERT_TRUST_HAS_NOT_PERMITTED_NAME_CONSTRAINT | CERT_TRUST_HAS_EXCLUDED_NAME_CONSTRAINT |
    CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_EXPLICIT_DISTRUST | CERT_TRUST_HAS_NOT_SUPPORTED_CRITICAL_EXT;

// The time-stamping certificate leads to a trusted root and was valid at
// the time it states.
bool TimestamperTrusted(PCCERT_CONTEXT cert, HCERTSTORE store, const der::Time& time) {
    const FILETIME when = FileTimeOf(time);
    return (ChainErrors(cert, store, szOID_PKIX_KP_TIMESTAMP_SIGNING, &when) &
            (kTrustErrors | kTimeErrors | CERT_TRUST_IS_REVOKED)) == 0;
}

// The timestamp covers this signature, the platform verifies its own
// signature, and its signer is trusted for time-stamping.
bool TimestampHolds(const authenticode::SignedData& data, const Message& signature) {
    if (!authenticode::TimestampMatches(data)) return false;
    if (data.timestamp == authenticode::TimestampKind::Rfc3161) {
        Message token;
        return OpenMessage(data.timestampToken, token) && SignerSignatureHolds(token) &&
               TimestamperTrusted(token.signer.get(), token.store.get(), data.timestampTime);
    }
    // A countersignature: a SignerInfo over the signer's signature, its
    // certificate among the signature's own.
    DWORD size = 0;
    if (!CryptMsgGetParam(signature.msg.get(), CMSG_ENCODED_SIGNER, 0, nullptr, &size) || size == 0)
        return false;
    std::vector<BYTE> signerInfo(size);
    if (!CryptMsgGetParam(signature.msg.get(), CMSG_ENCODED_SIGNER, 0, signerInfo.data(), &size))
        return false;
    CMSG_SIGNER_INFO* counter = nullptr;
    DWORD counterSize = 0;
    if (!CryptDecodeObjectEx(kEncoding, PKCS7_SIGNER_INFO, data.timestampToken.data,
                             static_cast<DWORD>(data.timestampToken.size), CRYPT_DECODE_ALLOC_FLAG, nullptr,
                             &counter, &counterSize))
        return false;
    const std::unique_ptr<CMSG_SIGNER_INFO, decltype(&LocalFree)> owner(counter, LocalFree);
    CERT_INFO id{};
    id.Issuer = counter->Issuer;
    id.SerialNumber = counter->SerialNumber;
    UniqueCert countersigner(CertFindCertificateInStore(signature.store.get(), kEncoding, 0,
                                                        CERT_FIND_SUBJECT_CERT, &id, nullptr));
    if (!countersigner || !TimestamperTrusted(countersigner.get(), signature.store.get(), data.timestampTime))
        return false;
    return CryptMsgVerifyCountersignatureEncodedEx(
               0, kEncoding, signerInfo.data(), size, const_cast<BYTE*>(data.timestampToken.data),
               static_cast<DWORD>(data.timestampToken.size), CMSG_VERIFY_SIGNER_CERT,
               const_cast<CERT_CONTEXT*>(countersigner.get()), 0, nullptr) != FALSE;
}

// WinVerifyTrust's answer as a status; Valid for success.
SignatureStatus StatusOfTrust(LONG code) {
    switch (static_cast<HRESULT>(code)) {
        case ERROR_SUCCESS:
            return SignatureStatus::Valid;
        case TRUST_E_BAD_DIGEST:
        case TRUST_E_NOSIGNATURE:
        case CRYPT_E_HASH_VALUE:
        case NTE_BAD_SIGNATURE:
        case CRYPT_E_ASN1_BADTAG:
        case CRYPT_E_ASN1_EOD:
        case CRYPT_E_ASN1_CORRUPT:
        case CRYPT_E_BAD_ENCODE:
        case CRYPT_E_UNEXPECTED_MSG_TYPE:
            return SignatureStatus::Changed;
        case CERT_E_REVOKED:
            return SignatureStatus::Revoked;
        case CERT_E_EXPIRED:
            return SignatureStatus::Expired;
        default:
            return SignatureStatus::NotTrusted;
    }
}

// The worse of two verdicts on a signed file.
SignatureStatus Worse(SignatureStatus a, SignatureStatus b) {
    const auto rank = [](SignatureStatus s) {
        switch (s) {
            case SignatureStatus::Changed:
                return 5;
            case SignatureStatus::Revoked:
                return 4;
            case SignatureStatus::NotTrusted:
                return 3;
            case SignatureStatus::Expired:
                return 2;
            default:
                return 1;
        }
    };
    return rank(a) >= rank(b) ? a : b;
}

}  // namespace

LONG VerifyTrust(HANDLE file, const std::string& name) {
    const std::wstring path = fs::SystemPath(fs::FullPath(name));
    LARGE_INTEGER start{};
    // The provider reads the handle from where it stands: a verdict on the
    // bytes after some other position is no verdict, so the seek's failure
    // is the answer (never valid).
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return static_cast<LONG>(HRESULT_FROM_WIN32(GetLastError()));
    WINTRUST_FILE_INFO info{};
    info.cbStruct = sizeof info;
    info.pcwszFilePath = path.c_str();
    info.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG code = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action,
                   &data);  // releases the state; its answer says nothing
    return code;
}

FileSignature CheckSignature(HANDLE file, const std::string& name, const CancelToken& cancel) {
    FileSignature r;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        r.note = base::SystemErrorText(GetLastError());
        return r;
    }
    authenticode::OwnCheck own =
        authenticode::CheckImage(fs::ReaderAt(file), static_cast<std::uint64_t>(size.QuadPart), cancel);
    if (own.stopped) {
        r.stopped = true;
        return r;
    }
    switch (own.outcome) {
        case authenticode::Outcome::NotPe:
            return r;
        case authenticode::Outcome::NotSigned:
            r.status = SignatureStatus::NotSigned;
            return r;
        case authenticode::Outcome::ReadFailed:
            r.note = own.reason.empty() ? "The file could not be read." : own.reason;
            return r;
        case authenticode::Outcome::Damaged:
            r.status = SignatureStatus::Changed;
            r.note = own.reason;
            return r;
        case authenticode::Outcome::Signed:
            break;
    }

    const authenticode::SignedData& data = own.data;
    r.digestAlgorithm = DigestKindName(data.signerDigestAlgorithm);
    if (r.digestAlgorithm.empty()) r.digestAlgorithm = data.signerDigestOid;
    if (data.timestamp != authenticode::TimestampKind::None) {
        r.hasTimestamp = true;
        r.timestamp = LocalTimeOf(data.timestampTime);
    }
    Message signature;
    if (!OpenMessage(der::Span{own.blob.data(), own.blob.size()}, signature)) {
        r.status = SignatureStatus::Changed;
        r.note = "The signer's certificate is not in the signature.";
        return r;
    }
    // Only a certificate that the signature verified names the signer; an
    // unverified one is anybody's word.
    if (signature.verified) {
        r.signer = NameOf(signature.signer.get()->pCertInfo->Subject);
        r.issuer = NameOf(signature.signer.get()->pCertInfo->Issuer);
    }

    if (!own.computable) {
        r.status = SignatureStatus::NotTrusted;
        r.note = "The file's digest (" +
                 (r.digestAlgorithm.empty() ? data.imageDigestOid : r.digestAlgorithm) +
                 ") is not one the program can check.";
        return r;
    }
    if (!own.messageMatches || !own.imageMatches || !SignerSignatureHolds(signature)) {
        r.status = SignatureStatus::Changed;
        if (!own.messageMatches)
            r.note = "The signed digest does not belong to the signature.";
        else if (!own.imageMatches)
            r.note = "The file's bytes do not match the signed digest.";
        else
            r.note = "The signer's signature does not verify.";
        return r;
    }
    if (cancel.Stopped()) {
        r.stopped = true;
        return r;
    }

    SignatureStatus status = StatusOfTrust(VerifyTrust(file, name));
    const UniqueChain chain =
        BuildChain(signature.signer.get(), signature.store.get(), szOID_PKIX_KP_CODE_SIGNING, nullptr);
    const DWORD errors = chain ? chain.get()->TrustStatus.dwErrorStatus : CERT_TRUST_IS_PARTIAL_CHAIN;
    if (errors & CERT_TRUST_IS_REVOKED) status = Worse(status, SignatureStatus::Revoked);
    if (errors & kTrustErrors) status = Worse(status, SignatureStatus::NotTrusted);
    std::vector<std::string> reasons;
    // Windows answers an explicitly distrusted certificate as it does one the
    // chain engine marks so (TRUST_E_EXPLICIT_DISTRUST): not trusted.
    if (PCCERT_CONTEXT distrusted = Distrusted(ChainCertificates(signature.signer.get(), chain.get()))) {
        status = Worse(status, SignatureStatus::NotTrusted);
        const std::string who = NameOf(distrusted->pCertInfo->Subject);
        reasons.push_back("The certificate" + (who.empty() ? std::string() : " \"" + who + "\"") +
                          " is in the Disallowed store: this computer explicitly distrusts it.");
    }
    // Windows no longer accepts MD5 for code signing: a digest anyone can
    // collide proves nothing about the bytes.
    if (data.signerDigestAlgorithm == DigestKind::MD5 || data.imageDigestAlgorithm == DigestKind::MD5) {
        status = Worse(status, SignatureStatus::NotTrusted);
        reasons.push_back("The signature uses MD5, a weak digest that is not accepted for code signing.");
    }
    if (errors & kTimeErrors) {
        // Expired now; valid when used if a timestamp that holds says so.
        bool coveredByTimestamp = false;
        if (r.hasTimestamp && TimestampHolds(data, signature)) {
            const FILETIME when = FileTimeOf(data.timestampTime);
            coveredByTimestamp = (ChainErrors(signature.signer.get(), signature.store.get(),
                                              szOID_PKIX_KP_CODE_SIGNING, &when) &
                                  kTimeErrors) == 0;
        }
        if (!coveredByTimestamp) status = Worse(status, SignatureStatus::Expired);
    }
    r.status = status;
    for (const std::string& reason : reasons) r.note += (r.note.empty() ? "" : " ") + reason;
    return r;
}

FileSignature CheckFileSignature(const std::string& name, const CancelToken& cancel) {
    return *CheckFileSignature(name, cancel, [](HANDLE) { return true; });
}

std::optional<FileSignature> CheckFileSignature(const std::string& name, const CancelToken& cancel,
                                                const std::function<bool(HANDLE file)>& isVersion) {
    base::UniqueFile file(OpenFileForReading(name, FILE_SHARE_READ));
    if (!file) {
        FileSignature r;
        r.note = base::SystemErrorText(GetLastError());
        return r;
    }
    if (!isVersion(file.get())) return std::nullopt;
    return CheckSignature(file.get(), name, cancel);
}

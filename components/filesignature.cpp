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

// Reads at `offset` through the handle, whole or not at all.
authenticode::ReadAt ReaderOf(HANDLE file) {
    return [file](std::uint64_t offset, void* out, std::size_t size) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
        auto* p = static_cast<char*>(out);
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
            DWORD got = 0;
            if (!ReadFile(file, p, chunk, &got, nullptr) || got == 0) return false;
            p += got;
            size -= got;
        }
        return true;
    };
}

// The PKCS#7 message and certificates of a signature (or a timestamp token)
// held in memory.
struct Message {
    UniqueStore store;
    UniqueMessage msg;
    UniqueCert signer;  // the certificate of the message's first signer
};

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
    m.signer.reset(CertFindCertificateInStore(m.store.get(), kEncoding, 0, CERT_FIND_SUBJECT_CERT,
                                              reinterpret_cast<CERT_INFO*>(info.data()), nullptr));
    return m.signer.valid();
}

// The message's first signer's signature over its signed attributes.
bool SignerSignatureHolds(const Message& m) {
    CMSG_CTRL_VERIFY_SIGNATURE_EX_PARA para{};
    para.cbSize = sizeof para;
    para.dwSignerIndex = 0;
    para.dwSignerType = CMSG_VERIFY_SIGNER_CERT;
    para.pvSigner = const_cast<CERT_CONTEXT*>(m.signer.get());
    return CryptMsgControl(m.msg.get(), 0, CMSG_CTRL_VERIFY_SIGNATURE_EX, &para) != FALSE;
}

// The subject's (or with CERT_NAME_ISSUER_FLAG the issuer's) common name,
// else its organisation.
std::string NameOf(PCCERT_CONTEXT cert, DWORD flags) {
    for (const char* oid : {szOID_COMMON_NAME, szOID_ORGANIZATION_NAME}) {
        wchar_t name[512] = {};
        const DWORD n = CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, flags, const_cast<char*>(oid), name,
                                           static_cast<DWORD>(sizeof name / sizeof name[0]));
        if (n > 1) return fs::Narrow(name);
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
    SystemTimeToFileTime(&st, &ft);
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
// certificates of `store` to find the intermediates. Its error bits; a
// partial chain when none could be built.
DWORD ChainErrors(PCCERT_CONTEXT cert, HCERTSTORE store, const char* usage, const FILETIME* when) {
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
    if (!CertCreateCertificateChainEngine(&config, engine.put())) return CERT_TRUST_IS_PARTIAL_CHAIN;
    UniqueChain chain;
    if (!CertGetCertificateChain(engine.get(), cert, when ? &at : nullptr, store, &para, 0, nullptr,
                                 chain.put()))
        return CERT_TRUST_IS_PARTIAL_CHAIN;
    return chain.get()->TrustStatus.dwErrorStatus;
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
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);  // the provider reads the handle from its start
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
        authenticode::CheckImage(ReaderOf(file), static_cast<std::uint64_t>(size.QuadPart), cancel);
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
    r.digestAlgorithm = authenticode::AlgorithmName(data.signerDigestAlgorithm);
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
    r.signer = NameOf(signature.signer.get(), 0);
    r.issuer = NameOf(signature.signer.get(), CERT_NAME_ISSUER_FLAG);

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
    const DWORD errors =
        ChainErrors(signature.signer.get(), signature.store.get(), szOID_PKIX_KP_CODE_SIGNING, nullptr);
    if (errors & CERT_TRUST_IS_REVOKED) status = Worse(status, SignatureStatus::Revoked);
    if (errors & kTrustErrors) status = Worse(status, SignatureStatus::NotTrusted);
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

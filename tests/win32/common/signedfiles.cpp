#include "signedfiles.h"

#include <windows.h>

#include <wincrypt.h>

#include <string>

#include "testutil.h"

namespace testutil {

namespace {

HCERTSTORE OpenMachineRoots() {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
}

HCERTSTORE OpenDisallowed(DWORD location) {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, location, L"Disallowed");
}

// Adds the DER certificate in `cerFile` to `store`, or removes it.
bool AddTo(HCERTSTORE store, const std::string& cerFile) {
    const std::string der = ReadAll(SignedFile(cerFile));
    return CertAddEncodedCertificateToStore(
               store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
               static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
}

void RemoveFrom(HCERTSTORE store, const std::string& cerFile) {
    const std::string der = ReadAll(SignedFile(cerFile));
    PCCERT_CONTEXT cert = CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
    if (!cert) return;
    // Deleting frees the context found; the one created is freed here.
    if (PCCERT_CONTEXT found =
            CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr))
        CertDeleteCertificateFromStore(found);
    CertFreeCertificateContext(cert);
}

}  // namespace

std::string SignedFile(const std::string& name) {
    return WindowsPath(std::string(VANTREL_SIGNED_DIR) + "/" + name);
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TrustedTestRoot::TrustedTestRoot() {
    if (!UnderWine()) return;
    HCERTSTORE store = OpenMachineRoots();
    if (!store) return;
    added_ = AddTo(store, "root.cer");
    CertCloseStore(store, 0);
}

TrustedTestRoot::~TrustedTestRoot() {
    if (!added_) return;
    HCERTSTORE store = OpenMachineRoots();
    if (!store) return;
    RemoveFrom(store, "root.cer");
    CertCloseStore(store, 0);
}

DistrustedCertificate::DistrustedCertificate(const std::string& cerFile, unsigned long location)
    : cerFile_(cerFile), location_(location) {
    if (!UnderWine()) return;
    HCERTSTORE store = OpenDisallowed(location_);
    if (!store) return;
    added_ = AddTo(store, cerFile_);
    CertCloseStore(store, 0);
}

DistrustedCertificate::~DistrustedCertificate() {
    if (!added_) return;
    HCERTSTORE store = OpenDisallowed(location_);
    if (!store) return;
    RemoveFrom(store, cerFile_);
    CertCloseStore(store, 0);
}

}  // namespace testutil

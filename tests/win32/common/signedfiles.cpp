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
    const std::string der = ReadAll(SignedFile("root.cer"));
    HCERTSTORE store = OpenMachineRoots();
    if (!store) return;
    added_ = CertAddEncodedCertificateToStore(
                 store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    CertCloseStore(store, 0);
}

TrustedTestRoot::~TrustedTestRoot() {
    if (!added_) return;
    const std::string der = ReadAll(SignedFile("root.cer"));
    HCERTSTORE store = OpenMachineRoots();
    if (!store) return;
    PCCERT_CONTEXT root = CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
    if (root) {
        // Deleting frees the context found; the one created is freed here.
        if (PCCERT_CONTEXT found =
                CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr))
            CertDeleteCertificateFromStore(found);
        CertFreeCertificateContext(root);
    }
    CertCloseStore(store, 0);
}

}  // namespace testutil

#include "components/dcVersionInfo.h"

// Placeholder until the reader is written: keeps the name, reads nothing.
void TdcVersionInfo::SetFILENAME(const std::string& value) { fileName_ = value; }

IVersionApi& SystemVersionApi() {
    struct None : IVersionApi {
        DWORD GetFileVersionInfoSize(const char*, DWORD*, DWORD*) override { return 0; }
        bool GetFileVersionInfo(const char*, DWORD, DWORD, void*) override { return false; }
        bool VerQueryValue(const void*, const char*, void**, UINT*) override { return false; }
        void VerLanguageName(DWORD, char*, DWORD) override {}
    };
    static None api;
    return api;
}

#include "components/filemd5.h"

#include <windows.h>

#include "base/messages.h"
#include "base/fs.h"
#include "components/filereader.h"
#include "components/md5.h"
#include "base/errors.h"
#include "base/handles.h"

namespace {

struct Prefetched {
    bool wanted = false;
    bool valid = false;
    unsigned long long stamp = 0;
    std::string hex;
};

Prefetched g_prefetched;

}  // namespace

unsigned long long FileVersionStamp(void* file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(static_cast<HANDLE>(file), &info)) return 0;
    // FNV-1a over the fields that change with the file's identity or content.
    const DWORD fields[] = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                            info.nFileSizeHigh,        info.nFileSizeLow,   info.ftLastWriteTime.dwHighDateTime,
                            info.ftLastWriteTime.dwLowDateTime};
    unsigned long long h = 1469598103934665603ull;
    for (DWORD f : fields) {
        for (int i = 0; i < 4; ++i) {
            h ^= (f >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    }
    return h ? h : 1;
}

DigestPrefetch::DigestPrefetch() { g_prefetched = Prefetched{true, false, 0, std::string()}; }

DigestPrefetch::~DigestPrefetch() { g_prefetched = Prefetched(); }

bool DigestPrefetchWanted() { return g_prefetched.wanted; }

void OfferPrefetchedDigest(void* file, unsigned long long stampBefore, const std::string& hex) {
    if (!g_prefetched.wanted || stampBefore == 0) return;
    const unsigned long long after = FileVersionStamp(file);
    if (after != stampBefore) return;  // written to while it was read
    g_prefetched.valid = true;
    g_prefetched.stamp = after;
    g_prefetched.hex = hex;
}

std::string FileMD5(const std::string& fileName) {
    Md5 md5;
    base::UniqueFile file(fs::OpenRead(fileName));
    if (!file) {
        const DWORD error = GetLastError();
        throw base::Exception(CannotOpenFileMessage(fs::FullPath(fileName), base::SystemErrorText(error)));
    }
    if (g_prefetched.valid) {
        // Offered once: taken now or dropped.
        g_prefetched.valid = false;
        if (FileVersionStamp(file.get()) == g_prefetched.stamp) return g_prefetched.hex;
    }
    const bool whole = ReadChunks(file.get(), [&](const unsigned char* data, std::size_t len) {
        md5.Update(data, len);
    });
    // Never a digest of data that was not read.
    if (!whole) {
        const DWORD error = GetLastError();
        throw base::EInOutError(error != ERROR_SUCCESS ? error : ERROR_READ_FAULT);
    }
    return Md5::Hex(md5.Final());
}

#include "app/ondemand.h"

#include <windows.h>

#include "app/frmMain.h"
#include "components/filemd5.h"
#include "components/filereader.h"
#include "components/sha.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/messages.h"
#include "base/handles.h"

namespace {

struct LastDigest {
    std::string path;
    DigestKind kind = DigestKind::SHA256;
    unsigned long long stamp = 0;
    std::string hex;
};

LastDigest g_last;

template <typename Sha>
std::string Digest(HANDLE file) {
    Sha sha;
    const bool whole =
        ReadChunks(file, [&](const unsigned char* data, std::size_t len) { sha.Update(data, len); });
    if (!whole) {
        const DWORD error = GetLastError();
        throw base::EInOutError(error != ERROR_SUCCESS ? error : ERROR_READ_FAULT);
    }
    return Sha::Hex(sha.Final());
}

}  // namespace

// `form` is the window whose busy display watches the read: today the reader
// reports to the watcher the window installed, so nothing more is needed here.
std::string ComputeFileDigest(TForm1& /*form*/, DigestKind kind, const std::string& path) {
    base::UniqueFile file(fs::OpenRead(path));
    if (!file) {
        const DWORD error = GetLastError();
        throw base::Exception(CannotOpenFileMessage(fs::FullPath(path), base::SystemErrorText(error)));
    }
    const unsigned long long before = FileVersionStamp(file.get());
    if (before != 0 && g_last.stamp == before && g_last.kind == kind && g_last.path == path)
        return g_last.hex;

    const std::string hex = kind == DigestKind::SHA1 ? Digest<Sha1>(file.get()) : Digest<Sha256>(file.get());
    // Never a digest of bytes that were not all of one version of the file.
    if (FileVersionStamp(file.get()) != before) throw base::EInOutError(ERROR_READ_FAULT);
    g_last = LastDigest{path, kind, before, hex};
    return hex;
}

#include "app/ondemand.h"

#include <windows.h>

#include "app/frmMain.h"
#include "base/handles.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/sha.h"

namespace {

template <typename Sha>
class ShaSink : public DigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override { sha_.Update(data, len); }
    std::string Hex() { return Sha::Hex(sha_.Final()); }

private:
    Sha sha_;
};

// The identity of one version of a file: which file, how long, when written.
struct FileVersion {
    DWORD volume = 0, indexHigh = 0, indexLow = 0, sizeHigh = 0, sizeLow = 0;
    FILETIME written{};
    bool operator==(const FileVersion& o) const {
        return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow && sizeHigh == o.sizeHigh &&
               sizeLow == o.sizeLow && CompareFileTime(&written, &o.written) == 0;
    }
};

bool VersionOf(HANDLE file, FileVersion& v) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    v = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
         info.nFileSizeHigh,        info.nFileSizeLow,   info.ftLastWriteTime};
    return true;
}

struct LastDigest {
    std::string path;
    DigestKind kind = DigestKind::SHA256;
    FileVersion version;
    std::string hex;
};

LastDigest g_last;

template <typename Sha>
std::string Digest(TForm1& form, HANDLE file, const std::string& path) {
    ShaSink<Sha> sha;
    PassFeeds feeds;
    feeds.caller.push_back(&sha);
    const PassResult r = form.RunPass(file, path, feeds);
    RaiseIfChangedWhileRead(r, path);
    return r.outcome == PassOutcome::Done ? sha.Hex() : std::string();
}

}  // namespace

std::string ComputeFileDigest(TForm1& form, DigestKind kind, const std::string& path) {
    // Never a pass inside a pass: the load's end checks the clipboard again.
    if (form.LoadPass().Running()) return std::string();
    base::UniqueFile file(OpenFileForReading(path, FILE_SHARE_READ));
    if (!file) {
        const DWORD error = GetLastError();
        throw CannotOpenFile(path, error);
    }
    FileVersion before;
    const bool known = VersionOf(file.get(), before);
    if (known && g_last.kind == kind && g_last.path == path && g_last.version == before) return g_last.hex;

    const std::string hex =
        kind == DigestKind::SHA1 ? Digest<Sha1>(form, file.get(), path) : Digest<Sha256>(form, file.get(), path);
    if (known && !hex.empty()) g_last = LastDigest{path, kind, before, hex};
    return hex;
}

#include "app/ondemand.h"

#include <windows.h>

#include "app/frmMain.h"
#include "app/verify.h"
#include "base/handles.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashtext.h"

namespace {

// The digest of the version `loaded` describes, or empty when the pass did
// not read it whole.
template <typename Sink>
std::string Digest(TForm1& form, HANDLE file, const std::string& path, const LoadedVersion& loaded) {
    Sink sha;
    PassFeeds feeds;
    feeds.caller.push_back(&sha);
    feeds.stamp = true;
    const PassResult r = form.RunPass(file, path, feeds);
    RaiseIfChangedWhileRead(r, path);
    if (r.outcome != PassOutcome::Done) return std::string();
    if (!loaded.Is(path, r.stamp)) throw FileChangedSinceLoad();
    return sha.Hex();
}

}  // namespace

FileChangedSinceLoad::FileChangedSinceLoad() : base::Exception(kFileChangedSinceLoad) {}

std::string ComputeFileDigest(TForm1& form, DigestKind kind, const std::string& path) {
    // Never a pass inside a pass: the load's end checks the clipboard again.
    if (form.LoadPass().Running() || (kind != DigestKind::SHA1 && kind != DigestKind::SHA256))
        return std::string();
    base::UniqueFile file(OpenFileForReading(path, FILE_SHARE_READ));
    if (!file) {
        const DWORD error = GetLastError();
        throw CannotOpenFile(path, error);
    }
    LoadedVersion& loaded = form.Verifier().Loaded();
    if (!loaded.Is(path, StampOf(file.get()))) throw FileChangedSinceLoad();
    std::string hex = loaded.Digest(kind);
    if (!hex.empty()) return hex;
    hex = kind == DigestKind::SHA1 ? Digest<Sha1Sink>(form, file.get(), path, loaded)
                                   : Digest<Sha256Sink>(form, file.get(), path, loaded);
    // The load may have changed while the pass let messages through: keep
    // the digest only for the version it is of.
    if (!hex.empty() && loaded.Is(path, StampOf(file.get()))) loaded.Keep(kind, hex);
    return hex;
}

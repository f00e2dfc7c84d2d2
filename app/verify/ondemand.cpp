#include "app/verify/ondemand.h"

#include <windows.h>

#include "app/details/loadedversion.h"
#include "app/verify/windowpasses.h"
#include "base/handles.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashtext.h"

namespace {

// The digest of the version `loaded` describes, or empty when the pass did
// not read it whole.
template <typename Sink>
std::string Digest(WindowPasses& passes, HANDLE file, const std::string& path, const LoadedVersion& loaded) {
    Sink sha;
    PassFeeds feeds;
    feeds.caller.push_back(&sha);
    feeds.stamp = true;
    const PassResult r = passes.RunPass(file, path, feeds);
    RaiseIfChangedWhileRead(r, path);
    if (r.outcome != PassOutcome::Done) return std::string();
    if (!loaded.Is(path, r.stamp)) throw FileChangedSinceLoad();
    return sha.Hex();
}

}  // namespace

FileChangedSinceLoad::FileChangedSinceLoad() : base::Exception(kFileChangedSinceLoad) {}

std::string ComputeFileDigest(WindowPasses& passes, LoadedVersion& loaded, DigestKind kind,
                              const std::string& path) {
    // Never a pass inside a pass: the load's end checks the clipboard again.
    if (passes.PassRunning()) return std::string();
    base::UniqueFile file(OpenFileForReading(path, FILE_SHARE_READ));
    if (!file) {
        const DWORD error = GetLastError();
        throw CannotOpenFile(path, error);
    }
    if (!loaded.Is(path, StampOf(file.get()))) throw FileChangedSinceLoad();
    const HashKind hashKind = kind == DigestKind::SHA1 ? HashKind::SHA1 : HashKind::SHA256;
    std::string hex = loaded.Digest(hashKind);
    if (!hex.empty()) return hex;
    hex = kind == DigestKind::SHA1 ? Digest<Sha1Sink>(passes, file.get(), path, loaded)
                                   : Digest<Sha256Sink>(passes, file.get(), path, loaded);
    // The load may have changed while the pass let messages through: keep
    // the digest only for the version it is of.
    if (!hex.empty() && loaded.Is(path, StampOf(file.get()))) loaded.Keep(hashKind, hex);
    return hex;
}

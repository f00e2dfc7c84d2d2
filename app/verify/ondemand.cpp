#include "app/verify/ondemand.h"

#include <windows.h>

#include "app/details/loadedversion.h"
#include "app/verify/windowpasses.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashtext.h"

namespace {

// The digest of the version `loaded` describes, by a Sink; empty when the
// pass was stopped.
template <typename Sink>
std::string Digest(WindowPasses& passes, DigestKind kind, const std::string& path, LoadedVersion& loaded) {
    Sink sha;
    PassFeeds feeds;
    feeds.caller.push_back(&sha);
    feeds.stamp = true;
    std::string known;
    bool stillLoaded = false;
    ReadSteps steps;
    steps.run = [&passes](HANDLE file, const std::string& name, const PassFeeds& f) {
        return passes.RunPass(file, name, f);
    };
    steps.opened = [&](HANDLE file) {
        if (!loaded.Is(path, StampOf(file))) throw FileChangedSinceLoad();
        // The load's pass or an earlier call may have computed it.
        known = loaded.Digest(kind);
        return known.empty();
    };
    // The load may have changed while the pass let messages through: the
    // digest is kept only for the version it is of.
    steps.done = [&](HANDLE file) { stillLoaded = loaded.Is(path, StampOf(file)); };
    const FileRead read = ReadFileOnce(path, feeds, steps);
    if (!known.empty()) return known;
    if (!RaiseUnlessReadWhole(read, path)) return std::string();
    if (!loaded.Is(path, read.result.stamp)) throw FileChangedSinceLoad();
    const std::string hex = sha.Hex();
    if (stillLoaded) loaded.Keep(kind, hex);
    return hex;
}

}  // namespace

FileChangedSinceLoad::FileChangedSinceLoad() : base::Exception(kFileChangedSinceLoad) {}

std::string ComputeFileDigest(WindowPasses& passes, LoadedVersion& loaded, DigestKind kind,
                              const std::string& path) {
    // Never a pass inside a pass: the load's end checks the clipboard again.
    if (passes.PassRunning()) return std::string();
    if (kind == DigestKind::SHA1) return Digest<Sha1Sink>(passes, kind, path, loaded);
    if (kind == DigestKind::SHA256) return Digest<Sha256Sink>(passes, kind, path, loaded);
    return std::string();
}

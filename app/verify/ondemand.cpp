#include "app/verify/ondemand.h"

#include <windows.h>

#include <memory>

#include "app/details/loadedversion.h"
#include "app/verify/windowpasses.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashtext.h"

namespace {

// The digest of the version `loaded` describes; empty when the pass was
// stopped.
std::string Digest(WindowPasses& passes, DigestKind kind, std::size_t blake2bBytes, const std::string& path,
                   LoadedVersion& loaded) {
    const std::unique_ptr<HexDigestSink> sink = MakeHexDigestSink(kind, blake2bBytes);
    PassFeeds feeds;
    feeds.caller.push_back(sink.get());
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
        known = loaded.Digest(kind, blake2bBytes);
        return known.empty();
    };
    // The load may have changed while the pass let messages through: the
    // digest is kept only for the version it is of.
    steps.done = [&](HANDLE file) { stillLoaded = loaded.Is(path, StampOf(file)); };
    const FileRead read = ReadFileOnce(path, feeds, steps);
    if (!known.empty()) return known;
    if (!RaiseUnlessReadWhole(read, path)) return std::string();
    if (!loaded.Is(path, read.result.stamp)) throw FileChangedSinceLoad();
    const std::string hex = sink->Hex();
    if (stillLoaded) loaded.Keep(kind, hex);
    return hex;
}

}  // namespace

FileChangedSinceLoad::FileChangedSinceLoad() : base::Exception(kFileChangedSinceLoad) {}

std::string ComputeFileDigest(WindowPasses& passes, LoadedVersion& loaded, DigestKind kind,
                              const std::string& path, std::size_t blake2bBytes) {
    // The rows show these two, and None is no digest.
    if (kind == DigestKind::None || kind == DigestKind::CRC32 || kind == DigestKind::MD5)
        return std::string();
    if (kind == DigestKind::BLAKE2b && (blake2bBytes < 1 || blake2bBytes > 64)) return std::string();
    // Never a pass inside a pass: the load's end checks the clipboard again.
    if (passes.PassRunning()) return std::string();
    return Digest(passes, kind, blake2bBytes, path, loaded);
}

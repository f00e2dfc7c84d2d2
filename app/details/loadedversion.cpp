#include "app/details/loadedversion.h"

void LoadedVersion::Forget() { *this = LoadedVersion(); }

void LoadedVersion::Take(const std::string& path, const FileStamp& stamp) {
    Forget();
    if (!stamp.known) return;
    path_ = path;
    stamp_ = stamp;
}

LoadedVersion::Now LoadedVersion::Check() const {
    if (!stamp_.known) return Now::Unknown;
    return StillTheVersion(path_, stamp_) ? Now::Same : Now::Changed;
}

bool LoadedVersion::Is(const std::string& path, const FileStamp& stamp) const {
    return path == path_ && SameStamp(stamp, stamp_);
}

std::string LoadedVersion::Digest(DigestKind kind, std::size_t blake2bBytes) const {
    const std::size_t digits = kind == DigestKind::BLAKE2b ? 2 * blake2bBytes : HexDigitsOf(kind);
    for (const Kept& k : digests_)
        if (k.kind == kind && k.hex.size() == digits) return k.hex;
    return std::string();
}

void LoadedVersion::Keep(DigestKind kind, const std::string& hex) {
    if (kind == DigestKind::None || hex.empty()) return;
    for (Kept& k : digests_) {
        if (k.kind == kind && k.hex.size() == hex.size()) {
            k.hex = hex;
            return;
        }
    }
    digests_.push_back(Kept{kind, hex});
}

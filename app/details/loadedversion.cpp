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

std::string LoadedVersion::Digest(DigestKind kind) const {
    return kind == DigestKind::SHA1 ? sha1_ : kind == DigestKind::SHA256 ? sha256_ : std::string();
}

void LoadedVersion::Keep(DigestKind kind, const std::string& hex) {
    if (kind == DigestKind::SHA1) sha1_ = hex;
    if (kind == DigestKind::SHA256) sha256_ = hex;
}

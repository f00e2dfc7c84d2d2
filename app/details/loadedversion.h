// The version of the file that the window's rows describe: its volume, file
// index, size and last-write time as the load's pass read them. Every verdict
// (app/verify, app/signature) and every digest computed on demand is of it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "components/filepass.h"
#include "components/digestkind.h"
#include "components/hashtext.h"

// The version of the file that the rows describe, and the digests of that
// version computed so far beyond the rows.
class LoadedVersion {
public:
    void Forget();
    // The version a load's pass read from `path`; an unknown stamp forgets.
    void Take(const std::string& path, const FileStamp& stamp);
    bool Known() const { return stamp_.known; }
    const std::string& Path() const { return path_; }

    enum class Now { Unknown, Same, Changed };
    // Whether the file `Path()` names now is still that version; Changed when
    // no file can be opened by the name. Unknown when no version is known.
    Now Check() const;
    // Whether a file opened by `path` as `stamp` is that version.
    bool Is(const std::string& path, const FileStamp& stamp) const;

    // A digest of that version beyond the rows (SHA-1 and wider; BLAKE2b of
    // `blake2bBytes` bytes), empty when not computed yet.
    std::string Digest(DigestKind kind, std::size_t blake2bBytes = 64) const;
    // Keeps `hex` as that version's digest of `kind`; a BLAKE2b is kept by
    // its length, each length once.
    void Keep(DigestKind kind, const std::string& hex);

private:
    struct Kept {
        DigestKind kind;
        std::string hex;
    };
    std::string path_;
    FileStamp stamp_;
    std::vector<Kept> digests_;
};

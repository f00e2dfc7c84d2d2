#include "app/verify/sumfiles.h"

#include <windows.h>

#include "base/fs.h"
#include "base/handles.h"
#include "components/openpgp.h"
#include "components/sigverify.h"
#include "components/hashlist.h"
#include "components/names.h"

namespace {

bool SameNameCaseBlind(const std::string& a, const std::string& b) {
    const std::wstring wa = fs::Widen(a), wb = fs::Widen(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithSfv(const std::string& name) {
    return name.size() > 4 && UpperCaseAscii(name.substr(name.size() - 4)) == ".SFV";
}

// The whole file when it is a regular file of at most the limit, with the
// version it was when opened; false otherwise.
bool ReadSmallFile(const std::string& path, std::string& bytes, FileStamp& stamp) {
    base::UniqueFile file(fs::Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file) return false;
    // Taken before the read: a write meanwhile makes it another version later.
    stamp = StampOf(file.get());
    // One byte more than the limit tells a file that grew past it.
    bytes.assign(kMaxChecksumFileBytes + 1, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return false;
        if (got == 0) break;
        done += got;
    }
    if (done > kMaxChecksumFileBytes) return false;
    bytes.resize(done);
    return true;
}

// The kind of a hash alone in the file's own checksum file: the file's name
// says it as it does for a list's untagged lines (64 digits in a ".b3" are
// BLAKE3, in a ".b2" a BLAKE2b-256); without a kind in the name the length
// decides. None for a CRC-32 and for a length the named kind cannot have.
DigestKind BareHashKind(const FoundHash& bare, DigestKind listKind) {
    if (!bare.isHex || bare.kind == DigestKind::None || bare.kind == DigestKind::CRC32)
        return DigestKind::None;
    if (listKind == DigestKind::None) return bare.kind;
    const std::size_t digits = bare.text.size();
    if (listKind == DigestKind::BLAKE2b)
        return digits % 2 == 0 && digits <= HexDigitsOf(listKind) ? listKind : DigestKind::None;
    return digits == HexDigitsOf(listKind) ? listKind : DigestKind::None;
}

}  // namespace

std::vector<Listing> FindListings(const std::string& path, std::vector<ReadList>* read) {
    std::vector<Listing> found;
    if (read) read->clear();
    const std::string full = fs::FullPath(path);
    const std::string folder = ExtractFilePath(full);
    const std::string fileName = ExtractFileName(full);
    if (folder.empty() || fileName.empty()) return found;

    // The candidates as the folder spells them, each once.
    std::vector<std::string> sources;
    auto take = [&](const WIN32_FIND_DATAW& fd) {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
        if (fd.nFileSizeHigh != 0 || fd.nFileSizeLow > kMaxChecksumFileBytes) return;
        const std::string name = fs::Narrow(fd.cFileName);
        for (const std::string& s : sources)
            if (SameNameCaseBlind(s, name)) return;
        sources.push_back(name);
    };
    for (const std::string& name : ChecksumFileNamesFor(fileName)) {
        WIN32_FIND_DATAW fd{};
        base::UniqueFind find(fs::FindFirst(folder + name, fd));
        if (find) take(fd);
    }
    {
        WIN32_FIND_DATAW fd{};
        base::UniqueFind find(fs::FindFirst(folder + "*.sfv", fd));
        std::size_t sfv = 0;
        // The pattern also matches by short names: the long name decides.
        for (bool more = find.valid(); more && sfv < kMaxSfvFiles;
             more = FindNextFileW(find.get(), &fd) != FALSE)
            if (EndsWithSfv(fs::Narrow(fd.cFileName))) {
                take(fd);
                ++sfv;
            }
    }

    auto add = [&](const std::string& source, DigestKind kind, const std::string& digest) {
        for (const Listing& l : found)
            if (l.source == source && l.kind == kind && l.digest == digest) return;
        found.push_back(Listing{source, kind, digest});
    };
    for (const std::string& source : sources) {
        std::string bytes;
        FileStamp stamp;
        if (!ReadSmallFile(folder + source, bytes, stamp)) continue;
        if (read) read->push_back(ReadList{folder + source, stamp});
        // A clearsigned list is read as it was signed, as /check reads it:
        // lines outside the signed part never speak for the file.
        pgp::Cleartext signedList;
        std::string notClearsigned;
        if (IsClearsigned(bytes) && pgp::ParseCleartext(bytes, signedList, notClearsigned))
            bytes = std::move(signedList.text);
        bool anyEntry = false;
        const DigestKind listKind = ListKindOfName(source);
        HashListReader reader(
            [&](std::size_t, LineKind kind, const HashLine& line) {
                if (kind != LineKind::Entry) return;
                anyEntry = true;
                if (!SameNameCaseBlind(LastNamePart(line.name), fileName) ||
                    !ListedNameProblem(line.name).empty())
                    return;
                const std::string listed = IsRootedName(line.name) ? line.name : folder + line.name;
                if (SameNameCaseBlind(fs::FullPath(listed), full)) add(source, line.kind, line.digest);
            },
            listKind);
        reader.Feed(bytes.data(), bytes.size());
        reader.Finish();
        // "<file name>.sha256" and its kin may hold the hash alone.
        if (!anyEntry && IsChecksumFileOf(source, fileName)) {
            const FoundHash bare = FindHash(bytes);
            const DigestKind kind = BareHashKind(bare, listKind);
            if (kind != DigestKind::None) add(source, kind, bare.text);
        }
    }
    return found;
}

bool ListsChanged(const std::vector<ReadList>& read) {
    for (const ReadList& list : read)
        if (!StillTheVersion(list.path, list.stamp)) return true;
    return false;
}

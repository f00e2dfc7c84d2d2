#include "app/verify/checksig.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/linetext.h"
#include "base/messages.h"
#include "components/names.h"

namespace {

// Larger files are no checksum list, key or signature.
constexpr std::uint64_t kMaxRead = 64ull << 20;

enum class ReadResult { Read, Missing, Failed };

// The whole of a named file, or why not.
ReadResult ReadWhole(const std::string& name, std::string& bytes, std::string& reason) {
    bytes.clear();
    if (IsDeviceName(name)) {
        reason = "names a device, not a file";
        return ReadResult::Failed;
    }
    base::UniqueFile file(fs::Open(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) {
        const DWORD code = GetLastError();
        reason = OneLineWithoutFullStop(base::SystemErrorText(code));
        if (reason.empty()) reason = IOErrorMessage(code);
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                            : ReadResult::Failed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > kMaxRead) {
        reason = "too large to be a checksum list, key or signature";
        return ReadResult::Failed;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 20));
        if (!ReadFile(file.get(), &bytes[got], want, &n, nullptr)) {
            reason = OneLineWithoutFullStop(base::SystemErrorText(GetLastError()));
            return ReadResult::Failed;
        }
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return ReadResult::Read;
}

std::int64_t UnixNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const std::uint64_t t = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    return static_cast<std::int64_t>(t / 10000000ull) - 11644473600ll;
}

}  // namespace

bool LoadTrustedKeyFiles(const std::vector<std::string>& files, TrustedKeys& keys, std::string& error) {
    for (const std::string& f : files) {
        std::string bytes, reason;
        if (ReadWhole(f, bytes, reason) != ReadResult::Read || !keys.AddFile(bytes, reason)) {
            error = OnOneLine(f, LineRule::ConsoleMessage) + ": " + reason;
            return false;
        }
    }
    return true;
}

std::string KeysFolderBesideProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::string();
    return fs::Narrow(path.substr(0, slash + 1)) + "keys\\";
}

void LoadKeysFolder(const std::string& folder, TrustedKeys& keys, std::vector<std::string>& unreadable) {
    if (folder.empty()) return;
    std::string base = folder;
    if (base.back() != '\\' && base.back() != '/') base += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd{};
    base::UniqueFind find(fs::FindFirst(base + "*", fd));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &fd) != FALSE)
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fs::Narrow(fd.cFileName));
    // The same keys in the same order whatever order the folder lists them.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string bytes, reason;
        if (ReadWhole(base + name, bytes, reason) != ReadResult::Read || !keys.AddFile(bytes, reason))
            unreadable.push_back(OnOneLine(name, LineRule::WindowRow) + ": " + reason);
    }
}

ListSignature CheckListSignature(const std::string& list, const TrustedKeys& keys) {
    ListSignature r;
    std::string bytes, reason, listReason;
    const ReadResult listRead = ReadWhole(list, bytes, listReason);
    if (listRead == ReadResult::Missing) return r;  // /check itself says why
    const std::int64_t now = UnixNow();
    for (const std::string& name : SignatureFileNames(list)) {
        std::string sig;
        const ReadResult got = ReadWhole(name, sig, reason);
        if (got == ReadResult::Missing) continue;
        r.signatureFile = name;
        if (listRead == ReadResult::Failed) {
            // Never "not signed" for a list that has a signature beside it.
            r.verdict.status = SigStatus::Bad;
            r.verdict.reason = "the list cannot be read to check its signature: " + listReason;
            return r;
        }
        if (got == ReadResult::Failed) {
            r.verdict.status = SigStatus::Bad;
            r.verdict.reason =
                "its signature " + OnOneLine(name, LineRule::ConsoleMessage) + " cannot be read: " + reason;
            return r;
        }
        r.verdict = VerifyListSignature(bytes, sig, keys, now);
        return r;
    }
    if (minisign::LooksLikeMinisign(bytes)) {
        // signify -e: the list itself is the signature file, the list inside it.
        r.signatureFile = list;
        r.verdict = VerifyListSignature("", bytes, keys, now);
    } else if (IsClearsigned(bytes)) {
        r.signatureFile = list;
        r.verdict = VerifyListSignature(bytes, "", keys, now);
    }
    return r;
}

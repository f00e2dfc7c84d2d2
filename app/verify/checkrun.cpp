#include "app/verify/checkrun.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "app/verify/checksig.h"
#include "app/verify/checktext.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/linetext.h"
#include "base/messages.h"
#include "components/dcUtils.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/hashlist.h"
#include "components/names.h"

namespace {

// The system's text for an error, on one line and without its full stop.
std::string Reason(DWORD code) {
    const std::string text = OneLineWithoutFullStop(base::SystemErrorText(code));
    return text.empty() ? IOErrorMessage(code) : text;
}

// One file for every spelling of it: the full path, upper-cased as the file
// system compares names.
std::wstring KeyOf(const std::string& path) {
    std::wstring key = fs::Widen(fs::FullPath(path));
    if (!key.empty()) CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

// A digest a line asks for: its kind and its length in hex digits (BLAKE2b
// comes in several lengths).
using Want = std::pair<DigestKind, std::size_t>;
Want WantOf(DigestKind kind, const std::string& digest) {
    return Want(kind, kind == DigestKind::BLAKE2b ? digest.size() : HexDigitsOf(kind));
}

struct Listed {
    std::string name;  // as the checksum file lists it
    std::string path;  // where it is looked for
    std::wstring key;
    DigestKind kind = DigestKind::None;
    std::string digest;       // upper-case hex; a CRC-32 in its usual form
    std::string problem;      // why it is not looked for at all
    std::string unsupported;  // the tag of an algorithm not computed here
};

struct SumFile {
    std::string arg;
    std::wstring key;
    std::vector<Listed> listed;
    std::size_t malformed = 0;
    std::string error;  // why it could not be read
    ListSignature signature;
};

// Reads a checksum file's entries; /warn's messages go to `err` as its lines
// are read, so that a list of many bad lines holds none of them.
void ReadSumFile(SumFile& f, const CheckCommand& cmd, const std::function<void(const std::string&)>& err) {
    if (IsDeviceName(f.arg)) {
        f.error = "names a device, not a file";
        return;
    }
    if (ProbeEntry(f.arg) == EntryKind::Directory) {
        f.error = "Is a folder";
        return;
    }
    base::UniqueFile file(fs::Open(f.arg, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) {
        f.error = Reason(GetLastError());
        return;
    }
    f.key = KeyOf(f.arg);
    const std::string folder = ExtractFilePath(fs::FullPath(f.arg));
    const DigestKind listKind = cmd.alg != DigestKind::None ? cmd.alg : ListKindOfName(f.arg);
    // The kind a bad line's message names: the list's, else that of the
    // entry before it, as cksum -c words it.
    DigestKind lastKind = listKind;
    HashListReader reader(
        [&](std::size_t number, LineKind kind, const HashLine& line) {
            if (kind == LineKind::Malformed) {
                ++f.malformed;
                if (cmd.warn) err(ImproperLineMessage(f.arg, number, lastKind));
            }
            if (kind == LineKind::Unsupported) {
                Listed l;
                l.name = line.name;
                l.unsupported = line.tag;
                f.listed.push_back(std::move(l));
            }
            if (kind != LineKind::Entry) return;
            if (listKind == DigestKind::None) lastKind = line.kind;
            Listed l;
            l.name = line.name;
            l.kind = line.kind;
            l.digest = line.digest;
            // A name longer than a line the reader holds is longer than any
            // Windows path.
            l.problem = line.nameCut ? Reason(ERROR_FILENAME_EXCED_RANGE) : ListedNameProblem(line.name);
            if (l.problem.empty()) {
                l.path = IsRootedName(line.name) ? line.name : folder + line.name;
                if (IsDeviceName(line.name) || IsDeviceName(fs::FullPath(l.path)))
                    l.problem = "names a device, not a file";
                else
                    l.key = KeyOf(l.path);
            }
            f.listed.push_back(std::move(l));
        },
        listKind);
    // A list signed with the list inside (clearsigned, signify) is checked
    // as it was signed: lines outside the signed part are never read.
    if (f.signature.verdict.hasSignedText) {
        const std::string& text = f.signature.verdict.signedText;
        reader.Feed(text.data(), text.size());
        reader.Finish();
        return;
    }
    std::unique_ptr<char[]> buffer(new char[kReadChunk]);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.get(), static_cast<DWORD>(kReadChunk), &got, nullptr)) {
            f.error = Reason(GetLastError());
            f.listed.clear();
            return;
        }
        if (got == 0) break;
        reader.Feed(buffer.get(), got);
    }
    reader.Finish();
}

// What one read of a listed file gave: its hashes by kind, or why there are none.
struct Hashes {
    std::string error;
    DWORD openError = ERROR_SUCCESS;
    std::map<Want, std::string> hex;
};

Hashes ReadHashes(const std::string& path, const std::set<Want>& wanted) {
    Hashes h;
    if (ProbeEntry(path) == EntryKind::Directory) {
        h.error = "Is a folder";
        return h;
    }
    std::vector<std::pair<Want, std::unique_ptr<HexDigestSink>>> sinks;
    PassFeeds feeds;
    for (const Want& want : wanted) {
        sinks.emplace_back(want, MakeHexDigestSink(want.first, want.second / 2));
        DigestSink* sink = sinks.back().second.get();
        // The CRC on the reading thread; the first digest beside the reads,
        // any further one on a thread of its own, so that the digests run
        // side by side.
        if (want.first == DigestKind::CRC32)
            feeds.reader.push_back(sink);
        else
            (feeds.caller.empty() ? feeds.caller : feeds.workers).push_back(sink);
    }
    const FileRead read = ReadFileOnce(path, feeds);
    if (read.openError != ERROR_SUCCESS) {
        h.openError = read.openError;
        h.error = Reason(read.openError);
        return h;
    }
    // Never stopped: a pass that is not Done found the file changed or gone.
    if (!read.Done()) {
        h.error = OneLineWithoutFullStop(ChangedWhileReadMessage(read.result, path));
        return h;
    }
    for (auto& sink : sinks) h.hex[sink.first] = sink.second->Hex();
    return h;
}

}  // namespace

int RunCheck(const CheckCommand& cmd, const std::function<bool(const std::string&)>& out,
             const std::function<void(const std::string&)>& err) {
    TrustedKeys keys;
    std::string keyError;
    if (!LoadTrustedKeyFiles(cmd.keyFiles, keys, keyError)) {
        err("vantrel: " + keyError + "\r\n");
        return 1;
    }
    const bool signatureAsked = !cmd.keyFiles.empty() || cmd.requireSignature;

    std::vector<SumFile> files(cmd.sumFiles.size());
    // Every kind any line asks of a file, so that one read computes them all.
    std::map<std::wstring, std::set<Want>> wanted;
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].arg = cmd.sumFiles[i];
        files[i].signature = CheckListSignature(files[i].arg, keys);
        ReadSumFile(files[i], cmd, err);
        for (const Listed& l : files[i].listed)
            if (l.problem.empty() && l.unsupported.empty()) wanted[l.key].insert(WantOf(l.kind, l.digest));
    }

    std::map<std::wstring, Hashes> read;
    bool failed = false;
    for (const SumFile& f : files) {
        if (!f.error.empty()) {
            err("vantrel: " + OnOneLine(f.arg, LineRule::ConsoleMessage) + ": " + f.error + "\r\n");
            failed = true;
            continue;
        }
        // The list's signature first: a bad one fails the run whatever the hashes say.
        if (!cmd.status) err(SigCheckLine(f.arg, f.signature.verdict, signatureAsked));
        if (SigVerdictFailsRun(f.signature.verdict, cmd.requireSignature)) failed = true;
        std::size_t unsupported = 0, unreadable = 0, mismatched = 0;
        bool verified = false;  // a listed file was read and compared
        for (const Listed& l : f.listed) {
            // No verdict for a digest not computed here: the file is not
            // verified, so the run fails, however lenient its options.
            if (!l.unsupported.empty()) {
                ++unsupported;
                if (!cmd.status) err(UnsupportedLineMessage(l.name, l.unsupported));
                failed = true;
                continue;
            }
            std::string reason = l.problem;
            CheckStatus status = CheckStatus::Unreadable;
            bool missing = false;
            if (reason.empty()) {
                if (l.key == f.key && !cmd.status)
                    err("vantrel: " + OnOneLine(l.name, LineRule::ConsoleMessage) +
                        ": the checksum file lists itself, so its hash "
                        "cannot be in it\r\n");
                auto it = read.find(l.key);
                if (it == read.end()) it = read.emplace(l.key, ReadHashes(l.path, wanted[l.key])).first;
                const Hashes& h = it->second;
                reason = h.error;
                missing = h.openError == ERROR_FILE_NOT_FOUND || h.openError == ERROR_PATH_NOT_FOUND;
                if (reason.empty()) {
                    const auto hex = h.hex.find(WantOf(l.kind, l.digest));
                    status = hex != h.hex.end() && HexEquals(hex->second, l.digest) ? CheckStatus::Ok
                                                                                    : CheckStatus::Failed;
                }
            }
            // As sha256sum --ignore-missing: a file that is not there gets
            // nothing at all.
            if (status == CheckStatus::Unreadable && missing && cmd.ignoreMissing) continue;
            if (status != CheckStatus::Unreadable) verified = true;
            // The reason a file cannot be read is given even with /status,
            // as sha256sum gives it.
            if (status == CheckStatus::Unreadable) {
                ++unreadable;
                err("vantrel: " + OnOneLine(l.name, LineRule::ConsoleMessage) + ": " + reason + "\r\n");
            } else if (status == CheckStatus::Failed) {
                ++mismatched;
            }
            if (status != CheckStatus::Ok) failed = true;
            if (!cmd.status && (status != CheckStatus::Ok || !cmd.quiet) && !out(CheckLine(l.name, status))) {
                err("vantrel: cannot write to standard output\r\n");
                return 1;
            }
        }
        // As sha256sum: a file without a valid line gets that message alone.
        if (f.listed.empty()) {
            err("vantrel: " + OnOneLine(f.arg, LineRule::ConsoleMessage) +
                ": no properly formatted checksum lines found\r\n");
            failed = true;
            continue;
        }
        if (!cmd.status) {
            err(CheckWarnings(f.malformed, unsupported, unreadable, mismatched));
            if (cmd.ignoreMissing && !verified) err(NoFileVerifiedMessage(f.arg));
        }
        // As sha256sum: a list succeeds only when it verified a file.
        if (!verified || (cmd.strict && f.malformed > 0)) failed = true;
    }
    return failed ? 1 : 0;
}

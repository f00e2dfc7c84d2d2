#include "app/console/sumsrun.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "app/console/filewalk.h"
#include "app/console/outtarget.h"
#include "app/console/parallelreads.h"
#include "app/details/readdetails.h"
#include "app/save/safesave.h"
#include "base/fs.h"
#include "base/linetext.h"
#include "base/messages.h"
#include "components/dcUtils.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/names.h"
#include "components/parallelreads.h"

namespace {

// One worker's reader: one file's digest of the list's kind, in one pass.
class DigestReader {
public:
    using Details = std::string;  // the digest in hex
    explicit DigestReader(DigestKind kind) : kind_(kind) {}
    bool Read(const std::string& path, std::string& hex, std::string& reason) {
        if (!NamesAFile(path, reason)) return false;
        const std::unique_ptr<HexDigestSink> sink = MakeHexDigestSink(kind_);
        PassFeeds feeds;
        feeds.caller.push_back(sink.get());
        const FileRead read = ReadFileOnce(path, feeds);
        if (read.openError != ERROR_SUCCESS) {
            reason = CannotOpenFile(path, read.openError).what();
            return false;
        }
        // Never stopped: a pass that is not Done found the file changed or gone.
        if (!read.Done()) {
            reason = ChangedWhileReadMessage(read.result, path);
            return false;
        }
        hex = sink->Hex();
        return true;
    }

private:
    DigestKind kind_;
};

// Names compared as the file system compares them.
bool SameName(const std::string& a, const std::string& b) {
    const std::wstring wa = fs::Widen(a), wb = fs::Widen(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

// Standard output or LIST could not take a line: the run ends.
struct OutputClosed {};
struct ListFailed {
    std::string reason;
};

class Sums {
public:
    Sums(const SumsCommand& cmd, const std::function<bool(const std::string&)>& out,
         const std::function<void(const std::string&)>& err)
        : cmd_(cmd), out_(out), err_(err) {}

    int Run() {
        if (cmd_.hasOut && !OpenList()) return 1;
        // Names are relative to the list's folder.
        const std::string folder = fs::FullPath(cmd_.hasOut ? ExtractFilePath(fs::FullPath(cmd_.out)) : ".");
        try {
            ParallelReads<DigestReader> reads(DefaultReadWorkers(), cmd_.kind);
            FileWalk walk(cmd_.files);
            walk.SkipFound([this](const std::string& path) { return own_.Contains(path); });
            reads.Run([&](std::string& file,
                          std::string& failure) { return walk.Next(file, failure) != FileWalk::Step::End; },
                      [&](ParallelReads<DigestReader>::Outcome& o) {
                          if (!o.ok) {
                              Fail(o.file, o.reason);
                              return;
                          }
                          const std::string line =
                              SumsLine(cmd_, ListedName(folder, fs::FullPath(o.file), SameName), o.details);
                          if (line.empty())
                              Fail(o.file, "an .sfv line cannot hold this name");
                          else
                              Put(line);
                      });
            if (list_) {
                list_->Commit();
            } else if (!pending_.empty() && !out_(pending_)) {
                throw OutputClosed();
            }
        } catch (const OutputClosed&) {
            err_("vantrel: cannot write to standard output\r\n");
            return 1;
        } catch (const ListFailed& failed) {
            Fail(cmd_.out, "cannot write " + cmd_.out + ": " + failed.reason);
        } catch (const EReportNotSaved& e) {
            Fail(cmd_.out, "cannot write " + cmd_.out + ": " + SaveFailure(e));
        }
        return failed_ ? 1 : 0;
    }

private:
    void Fail(const std::string& name, const std::string& reason) {
        failed_ = true;
        err_("vantrel: " + OnOneLine(name, LineRule::ConsoleMessage) + ": " + OneLineWithoutFullStop(reason) +
             "\r\n");
    }

    // Refused before any file is read: LIST is a folder or one of the
    // files (also one a walked folder holds), or it cannot be replaced.
    bool OpenList() {
        std::string reason;
        const bool device = IsDeviceName(cmd_.out) || IsDeviceName(fs::FullPath(cmd_.out));
        if (!device && ProbeEntry(cmd_.out) == EntryKind::Directory) {
            reason = "Is a folder";
        } else if (!device && ProbeEntry(cmd_.out) != EntryKind::None) {
            const ProtectedFiles target(cmd_.out);
            FileWalk walk(cmd_.files);
            std::string file, failure;
            for (FileWalk::Step step;
                 reason.empty() && (step = walk.Next(file, failure)) != FileWalk::Step::End;)
                if (step == FileWalk::Step::File && target.Contains(file)) reason = kInputTarget;
        }
        if (reason.empty()) {
            // A device is refused here.
            try {
                list_ = std::make_unique<SafeFileWriter>(cmd_.out, ProtectedFiles());
                // The walk may pass through the list's folder: neither the
                // temporary file nor the list is listed.
                own_.Add(list_->TemporaryPath());
                own_.Add(fs::Widen(cmd_.out));
                return true;
            } catch (const std::exception& e) {
                reason = WhyNotReplaced(cmd_.out, SaveFailure(e));
            }
        }
        Fail(cmd_.out, "cannot write " + cmd_.out + ": " + reason);
        return false;
    }

    // A line to LIST, or to standard output in pieces of a useful size.
    void Put(const std::string& line) {
        if (list_) {
            try {
                list_->Write(line);
            } catch (const std::exception& e) {
                throw ListFailed{SaveFailure(e)};
            }
            return;
        }
        pending_ += line;
        if (pending_.size() < kFlushAt) return;
        const bool written = out_(pending_);
        pending_.clear();
        if (!written) throw OutputClosed();
    }

    static constexpr std::size_t kFlushAt = 64 * 1024;
    const SumsCommand& cmd_;
    const std::function<bool(const std::string&)>& out_;
    const std::function<void(const std::string&)>& err_;
    std::unique_ptr<SafeFileWriter> list_;
    OwnFiles own_;
    std::string pending_;
    bool failed_ = false;
};

}  // namespace

int RunSums(const SumsCommand& cmd, const std::function<bool(const std::string&)>& out,
            const std::function<void(const std::string&)>& err) {
    try {
        return Sums(cmd, out, err).Run();
    } catch (const std::exception& e) {
        err("vantrel: " + OneLineWithoutFullStop(e.what()) + "\r\n");
        return 1;
    }
}

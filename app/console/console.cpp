#include "app/console/console.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/verify/checkrun.h"
#include "app/verify/checksig.h"
#include "app/verify/sumfiles.h"
#include "app/verify/checktext.h"
#include "app/console/comparerun.h"
#include "app/console/consoletext.h"
#include "app/details/datetimesettings.h"
#include "app/details/detailtexts.h"
#include "app/console/filewalk.h"
#include "app/console/outtarget.h"
#include "app/console/parallelreads.h"
#include "app/console/shellregister.h"
#include "app/console/sumsrun.h"
#include "app/save/safesave.h"
#include "components/dcUtils.h"
#include "components/names.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/linetext.h"
#include "base/messages.h"

namespace {

// A standard handle the process inherited is used as it is; a missing one
// is replaced by the parent's console, when there is one.
bool UsableHandle(HANDLE h) {
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return false;
    SetLastError(NO_ERROR);
    return GetFileType(h) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

class StandardStreams {
public:
    StandardStreams() {
        out_ = GetStdHandle(STD_OUTPUT_HANDLE);
        err_ = GetStdHandle(STD_ERROR_HANDLE);
        if (UsableHandle(out_) && UsableHandle(err_)) return;
        // Never a console of our own: only the parent's, if it has one.
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
        if (!UsableHandle(out_)) out_ = OpenConsoleOutput(ownedOut_);
        if (!UsableHandle(err_)) err_ = OpenConsoleOutput(ownedErr_);
    }
    // False when the bytes could not all be written.
    bool Out(const std::string& bytes) const { return WriteAll(out_, bytes); }
    void Err(const std::string& bytes) const { WriteAll(err_, bytes); }
    // True when standard error is a console window, not a file or a pipe.
    bool ErrIsConsole() const {
        DWORD mode = 0;
        return UsableHandle(err_) && GetConsoleMode(err_, &mode) != FALSE;
    }

private:
    static HANDLE OpenConsoleOutput(base::UniqueFile& owner) {
        owner.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
        return owner.get();
    }
    static bool WriteAll(HANDLE h, const std::string& bytes) {
        if (!UsableHandle(h)) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
            done += written;
        }
        return true;
    }

    base::UniqueFile ownedOut_, ownedErr_;
    HANDLE out_ = nullptr;
    HANDLE err_ = nullptr;
};

// Standard output is gone (a closed pipe, a full disk): nothing more can
// reach the reader, so the run ends.
struct OutputClosed {};

constexpr char kOutputClosed[] = "cannot write to standard output";

struct Failure {
    std::string name, reason;
};

// The /out file of /csv could not take a line: the run ends, and the target
// keeps what it had.
struct OutFileFailed {
    std::string reason;
};

// Output to standard output in pieces of a useful size: one write per file
// would cost a call to the system each.
class Output {
public:
    explicit Output(const StandardStreams& io) : io_(io) {}
    void Add(const std::string& bytes) {
        pending_ += bytes;
        if (pending_.size() >= kFlushAt) Flush();
    }
    // Throws OutputClosed when the bytes cannot all be written.
    void Flush() {
        if (pending_.empty()) return;
        const bool written = io_.Out(pending_);
        pending_.clear();
        if (!written) throw OutputClosed();
    }

private:
    static constexpr std::size_t kFlushAt = 64 * 1024;
    const StandardStreams& io_;
    std::string pending_;
};

// The progress line of a long run, on a console only: a redirected standard
// error gets nothing but the run's messages.
class Progress {
public:
    explicit Progress(const StandardStreams& io) : io_(io), started_(GetTickCount()) {}
    void Step(std::uint64_t files) {
        if (!io_.ErrIsConsole()) return;
        const DWORD now = GetTickCount();
        if (now - started_ < kAfterMs || (shown_ && now - last_ < kEveryMs)) return;
        const std::string line = ProgressLine(files, (now - started_) / 1000.0);
        const std::size_t width = std::max(width_, line.size());
        io_.Err("\r" + line + std::string(width - line.size(), ' '));
        width_ = width;
        shown_ = true;
        last_ = now;
    }
    // Takes the line away before a message and at the end.
    void Clear() {
        if (!shown_) return;
        io_.Err("\r" + std::string(width_, ' ') + "\r");
        shown_ = false;
        width_ = 0;
    }

private:
    static constexpr DWORD kAfterMs = 1000, kEveryMs = 250;
    const StandardStreams& io_;
    bool shown_ = false;
    DWORD started_, last_ = 0;
    std::size_t width_ = 0;
};

class Run {
public:
    Run(const ConsoleCommand& command, const StandardStreams& streams)
        : cmd_(command), io_(streams), out_(streams), progress_(streams) {}

    int Execute() {
        bool anyFolder = false;
        for (const std::string& arg : cmd_.files) anyFolder |= ProbeEntry(arg) == EntryKind::Directory;
        try {
            if (cmd_.form == ConsoleForm::Csv)
                Csv();
            else
                Reports(anyFolder);
            out_.Flush();
        } catch (const OutputClosed&) {
            progress_.Clear();
            io_.Err(std::string("vantrel: ") + kOutputClosed + "\r\n");
            return 1;
        } catch (const OutFileFailed& failed) {
            Fail(cmd_.out, "cannot write " + cmd_.out + ": " + failed.reason);
        }
        progress_.Clear();
        return failures_.empty() ? 0 : 1;
    }

private:
    void Fail(const std::string& name, const std::string& reason) {
        failures_.push_back({name, reason});
        progress_.Clear();
        io_.Err("vantrel: " + OnOneLine(name, LineRule::ConsoleMessage) + ": " +
                OneLineWithoutFullStop(reason) + "\r\n");
    }

    // Reads every file the arguments stand for, several at once, and hands
    // each readable one's details to `each` in walk order; the others, and
    // folders that cannot be listed, are reported as failed at their place.
    template <typename Fn>
    void ForEachFile(Fn&& each) {
        FileWalk walk(cmd_.files);
        walk.SkipFound([this](const std::string& path) { return own_.Contains(path); });
        // The signature is a column of the CSV only.
        ParallelDetailsReads reads(DefaultReadWorkers(), cmd_.form == ConsoleForm::Csv, cmd_.hashes);
        std::uint64_t done = 0;
        reads.Run([&](std::string& file, std::string& failure) { return walk.Next(file, failure) != FileWalk::Step::End; },
                  [&](ParallelDetailsReads::Outcome& o) {
                      if (o.ok) each(o.file, o.details);
                      else Fail(o.file, o.reason);
                      progress_.Step(++done);
                  });
    }

    // Every file the arguments stand for, in walk order, without reading any.
    template <typename Fn>
    void ForEachName(Fn&& each) {
        FileWalk walk(cmd_.files);
        walk.SkipFound([this](const std::string& path) { return own_.Contains(path); });
        std::string file, reason;
        for (FileWalk::Step step; (step = walk.Next(file, reason)) != FileWalk::Step::End;)
            if (step == FileWalk::Step::File) each(file);
    }

    // Replaces `target` with `bytes`; the failure is reported for `file`.
    void Write(const std::string& target, const std::string& bytes, const std::string& file,
               const ProtectedFiles& inputs) {
        std::string reason;
        if (inputs.Contains(target)) {
            reason = kInputTarget;
        } else {
            // The inputs were looked at just above: the writer need not
            // look at them again.
            if (ReplaceFileWithBytes(target, bytes, reason, ProtectedFiles())) {
                // A folder not yet walked may hold it: it is not read as a file.
                own_.Add(fs::Widen(target));
                return;
            }
            reason = WhyNotReplaced(target, reason);
        }
        Fail(file, "cannot write " + target + ": " + reason);
    }

    void Reports(bool anyFolder) {
        // /out names a folder for several files, for a folder among the
        // FILEs and for an existing folder; otherwise the one report's file.
        const bool toFolder = cmd_.hasOut && (cmd_.files.size() > 1 || anyFolder ||
                                              ProbeEntry(cmd_.out) == EntryKind::Directory);
        if (toFolder && ProbeEntry(cmd_.out) != EntryKind::Directory && !CreateFolderPath(cmd_.out)) {
            const std::string reason = IOErrorMessage(GetLastError());
            ForEachName([&](const std::string& file) {
                Fail(file, "cannot create the folder " + cmd_.out + ": " + reason);
            });
            return;
        }
        // Every input is known before anything is written: no report ever
        // replaces one, under any of its names, and a report name that is an
        // input's steps aside to the next number.
        ProtectedFiles inputs;
        if (cmd_.hasOut) ForEachName([&](const std::string& file) { inputs.Add(file); });
        std::set<std::string> used;
        const auto isInput = [&](const std::string& name) { return inputs.Contains(JoinPath(cmd_.out, name)); };
        bool first = true;
        ForEachFile([&](const std::string& file, const FileDetails& details) {
            // The bytes the Save button writes: UTF-8, ASCII unchanged.
            const std::string text =
                ReportText(ReportFor(file, details, CurrentDateTimeFormat(), CurrentDateTimeText()));
            if (!cmd_.hasOut) {
                out_.Add(first ? text : "\r\n" + text);
                first = false;
                return;
            }
            const std::string target =
                toFolder ? JoinPath(cmd_.out, UniqueReportName(details.displayName, used, isInput)) : cmd_.out;
            Write(target, text, file, inputs);
        });
    }

    // The trusted keys of the checksum files' signatures: the /key files,
    // else the keys folder beside the program, whose unreadable files are
    // named on standard error. False when a /key file cannot be read.
    bool LoadCsvKeys() {
        if (!cmd_.keyFiles.empty()) {
            std::string error;
            if (LoadTrustedKeyFiles(cmd_.keyFiles, keys_, error)) return true;
            failures_.push_back({cmd_.keyFiles.front(), error});
            io_.Err("vantrel: " + error + "\r\n");
            return false;
        }
        std::vector<std::string> unreadable;
        const std::string folder = KeysFolderBesideProgram();
        LoadKeysFolder(folder, keys_, unreadable);
        for (const std::string& u : unreadable)
            io_.Err("vantrel: WARNING: " + OnOneLine(folder, LineRule::ConsoleMessage) + u + "\r\n");
        return true;
    }

    // The first checksum file beside `name` that lists it, and its
    // signature's verdict; each list judged once a run.
    std::pair<std::string, std::string> ChecksumFileOf(const std::string& name) {
        const std::vector<Listing> listings = FindListings(name);
        if (listings.empty()) return {};
        const std::string list = ExtractFilePath(fs::FullPath(name)) + listings.front().source;
        auto known = listVerdicts_.find(list);
        if (known == listVerdicts_.end())
            known =
                listVerdicts_.emplace(list, SigVerdictText(CheckListSignature(list, keys_).verdict)).first;
        return {listings.front().source, known->second};
    }

    void Csv() {
        if (!LoadCsvKeys()) return;
        std::unique_ptr<SafeFileWriter> file;
        if (cmd_.hasOut) {
            // Refused before any file is read: the target is one of them, or
            // it cannot be replaced.
            std::string reason = kInputTarget;
            bool refused = false;
            if (ProbeEntry(cmd_.out) != EntryKind::None) {
                const ProtectedFiles target(cmd_.out);
                ForEachName([&](const std::string& input) { refused = refused || target.Contains(input); });
            }
            if (!refused) {
                try {
                    file = std::make_unique<SafeFileWriter>(cmd_.out, ProtectedFiles());
                    // The walk may pass through the target's folder: neither
                    // the temporary file nor the target is a row.
                    own_.Add(file->TemporaryPath());
                    own_.Add(fs::Widen(cmd_.out));
                } catch (const std::exception& e) {
                    reason = WhyNotReplaced(cmd_.out, SaveFailure(e));
                    refused = true;
                }
            }
            if (refused) {
                Fail(cmd_.out, "cannot write " + cmd_.out + ": " + reason);
                return;
            }
        }
        Put(file.get(), CsvHeader(cmd_.hashes));
        ForEachFile([&](const std::string& name, const FileDetails& details) {
            const std::pair<std::string, std::string> list = ChecksumFileOf(name);
            Put(file.get(),
                CsvRecord(ReportFor(name, details, CurrentDateTimeFormat(), ""), details.signature,
                          details.signer, details.digests, list.first, list.second));
        });
        if (!file) return;
        try {
            file->Commit();
        } catch (const std::exception& e) {
            throw OutFileFailed{SaveFailure(e)};
        }
    }

    // A line of the CSV: to the /out file, or to standard output.
    void Put(SafeFileWriter* file, const std::string& bytes) {
        if (!file) {
            out_.Add(bytes);
            return;
        }
        try {
            file->Write(bytes);
        } catch (const std::exception& e) {
            throw OutFileFailed{SaveFailure(e)};
        }
    }

    const ConsoleCommand& cmd_;
    const StandardStreams& io_;
    Output out_;
    Progress progress_;
    std::vector<Failure> failures_;
    OwnFiles own_;
    TrustedKeys keys_;
    std::map<std::string, std::string> listVerdicts_;  // a checksum file's full path, its verdict
};

std::vector<std::string> Arguments(const std::string& commandLine) {
    std::vector<std::string> args;
    for (int i = 1;; ++i) {
        std::string arg = ParamStr(commandLine, i);
        if (arg.empty()) return args;
        args.push_back(std::move(arg));
    }
}

int UsageError(const StandardStreams& io, const std::string& reason) {
    io.Err("vantrel: " + reason + "\r\n" + ConsoleUsage());
    return 2;
}

// The modes, each a reading of its arguments (the switch first) and a run.
int ReportMode(const std::vector<std::string>& arguments, const StandardStreams& io) {
    ConsoleCommand command;
    std::string error;
    if (!ParseConsoleCommand(arguments, command, error)) return UsageError(io, error);
    if (command.form == ConsoleForm::Usage) {
        io.Out(ConsoleUsage());
        return 0;
    }
    try {
        return Run(command, io).Execute();
    } catch (const std::exception& e) {
        io.Err("vantrel: " + OneLineWithoutFullStop(e.what()) + "\r\n");
        return 1;
    }
}

int CheckMode(const std::vector<std::string>& arguments, const StandardStreams& io) {
    CheckCommand command;
    std::string error;
    if (!ParseCheckCommand(arguments, command, error)) return UsageError(io, error);
    return RunCheck(command, [&](const std::string& s) { return io.Out(s); }, [&](const std::string& s) { io.Err(s); });
}

int RegisterMode(const std::vector<std::string>& arguments, const StandardStreams& io) {
    bool add = false;
    std::string error;
    if (!ParseRegisterCommand(arguments, add, error)) return UsageError(io, error);
    return RunRegister(add, [&](const std::string& s) { return io.Out(s); }, [&](const std::string& s) { io.Err(s); });
}

int SumsMode(const std::vector<std::string>& arguments, const StandardStreams& io) {
    SumsCommand command;
    std::string error;
    if (!ParseSumsCommand(arguments, command, error)) return UsageError(io, error);
    return RunSums(command, [&](const std::string& s) { return io.Out(s); }, [&](const std::string& s) { io.Err(s); });
}

int CompareMode(const std::vector<std::string>& arguments, const StandardStreams& io) {
    CompareCommand command;
    std::string error;
    if (!ParseCompareCommand(arguments, command, error)) {
        UsageError(io, error);
        return 2;
    }
    return RunCompare(command, [&](const std::string& s) { return io.Out(s); }, [&](const std::string& s) { io.Err(s); });
}

// A new console mode is one row: the switches that choose it and its run.
struct Mode {
    bool (*chosenBy)(const std::string& firstArgument);
    int (*run)(const std::vector<std::string>& arguments, const StandardStreams& io);
};
constexpr Mode kModes[] = {
    {IsConsoleSwitch, ReportMode},    // /report, /csv, /?
    {IsCheckSwitch, CheckMode},       // /check (app/verify/checkrun.h)
    {IsRegisterSwitch, RegisterMode}, // /register, /unregister (app/console/shellregister.h)
    {IsSumsSwitch, SumsMode},         // /sums (app/console/sumsrun.h)
    {IsCompareSwitch, CompareMode},   // /compare (app/console/comparerun.h)
};

const Mode* ModeOf(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return nullptr;
    for (const Mode& m : kModes)
        if (m.chosenBy(arguments[0])) return &m;
    return nullptr;
}

}  // namespace

bool IsConsoleCommandLine(const std::string& commandLine) { return ModeOf(Arguments(commandLine)) != nullptr; }

bool ReplaceFileWithBytes(const std::string& path, const std::string& bytes, std::string& error,
                          const ProtectedFiles& protectedFiles) {
    try {
        SaveReportSafely(path, bytes, protectedFiles);
        return true;
    } catch (const EReportNotSaved& e) {
        error = IOErrorMessage(e.code());
    } catch (const std::exception& e) {
        error = OneLineWithoutFullStop(e.what());
    }
    return false;
}

int RunConsole(const std::string& commandLine) {
    // A drive without a medium answers with an error, not a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    StandardStreams streams;
    const std::vector<std::string> arguments = Arguments(commandLine);
    const Mode* mode = ModeOf(arguments);
    // Only chosen modes come here; the report mode's reading says what is wrong otherwise.
    return mode ? mode->run(arguments, streams) : ReportMode(arguments, streams);
}

#include "app/console.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/consoletext.h"
#include "app/load.h"
#include "app/locale.h"
#include "app/messages.h"
#include "components/dcFileCRC.h"
#include "components/dcFileInfo.h"
#include "components/dcUtils.h"
#include "components/dcVersionInfo.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "components/filesignature.h"
#include "components/names.h"
#include "app/safesave.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
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

private:
    static HANDLE OpenConsoleOutput(base::UniqueFile& owner) {
        owner.reset(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
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

// One line for standard error: the reason without line breaks or a final
// full stop.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
    return text;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/' || folder.back() == ':'))
        return folder + name;
    return folder + "\\" + name;
}

struct Failure {
    std::string name, reason;
};

// Every file below `folder`, each folder's entries in walk order, depth
// first. Linked folders are not entered, so a link cannot make a loop.
void Walk(const std::string& folder, std::vector<std::string>& files, std::vector<Failure>& failures) {
    struct Entry {
        std::string name;
        bool folder;
    };
    std::vector<Entry> entries;
    WIN32_FIND_DATAW fd{};
    base::UniqueFind find(fs::FindFirst(JoinPath(folder, "*"), fd));
    if (!find) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES)
            failures.push_back({folder, IOErrorMessage(code)});
        return;
    }
    do {
        const std::string name = fs::Narrow(fd.cFileName);
        if (name == "." || name == "..") continue;
        const bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        entries.push_back({name, isFolder});
    } while (FindNextFileW(find.get(), &fd));
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return WalkOrderLess(a.name, b.name); });
    for (const Entry& e : entries) {
        const std::string path = JoinPath(folder, e.name);
        if (e.folder)
            Walk(path, files, failures);
        else
            files.push_back(path);
    }
}

// The /csv columns of the file's signature, read through the load's handle.
void ReadSignature(HANDLE file, const std::string& path, FileDetails& d) {
    const CancelToken never;
    const FileSignature signature = CheckSignature(file, path, never);
    d.signature = authenticode::SignatureStatusText(signature.status);
    d.signer = signature.signer;
}

// Reads one file the way the main window's load does, without its icons;
// with its signature for /csv.
bool ReadDetails(const std::string& path, FileDetails& d, std::string& reason, bool withSignature) {
    if (!FileExists(path)) {
        reason = ProbeEntry(path) == EntryKind::Directory ? "Is a folder" : "File not found";
        return false;
    }
    try {
        TdcVersionInfo fver1;
        TdcFileInfo Finfo1;
        Finfo1.SetIconsWanted(false);
        fver1.SetFILENAME(path);
        Finfo1.SetFILENAME(path);
        d.displayName = Finfo1.DisplayName();
        d.fileType = Finfo1.FileType();
        d.fileSize = Finfo1.FileSize();
        for (int i = 0; i < 7; ++i) d.attributes[i] = Finfo1.FileAttributes().Contains(kShownAttributes[i]);
        d.created = Finfo1.TimeCreated();
        d.accessed = Finfo1.TimeLastAccessed();
        d.modified = Finfo1.TimeLastModified();
        d.companyName = fver1.CompanyName();
        d.fileVersion = fver1.FileVersion();
        d.fileDescription = fver1.FileDescription();
        d.legalCopyright = fver1.LegalCopyright();
        d.legalTrademark = fver1.LegalTrademark();
        d.languageName = fver1.LanguageName();
        d.comments = fver1.Comments();
        d.originalFilename = fver1.OriginalFilename();
        d.internalName = fver1.InternalName();
        // One read gives the checksum and the digest, as in the window's load.
        CrcSink crc(TdcFileCRCMethod::crc32);
        Md5Sink md5;
        PassFeeds feeds;
        feeds.reader.push_back(&crc);
        feeds.caller.push_back(&md5);
        base::UniqueFile file(OpenFileForReading(path, FILE_SHARE_READ));
        if (!file) {
            const DWORD error = GetLastError();
            throw CannotOpenFile(path, error);
        }
        const CancelToken never;
        RaiseIfChangedWhileRead(RunFilePass(file.get(), path, feeds, never), path);
        d.crc = crc.Value();
        d.md5 = md5.Hex();
        if (withSignature) ReadSignature(file.get(), path, d);
        return true;
    } catch (const std::exception& e) {
        reason = e.what();
        return false;
    }
}

class Run {
public:
    Run(const ConsoleCommand& command, const StandardStreams& streams) : cmd_(command), io_(streams) {}

    int Execute() {
        std::vector<std::string> files;
        bool anyFolder = false;
        for (const std::string& arg : cmd_.files) {
            if (ProbeEntry(arg) == EntryKind::Directory) {
                anyFolder = true;
                Walk(arg, files, failures_);
            } else {
                files.push_back(arg);
            }
        }
        for (const Failure& f : failures_) Complain(f);
        if (cmd_.form == ConsoleForm::Csv)
            Csv(files);
        else
            Reports(files, anyFolder);
        return failures_.empty() ? 0 : 1;
    }

private:
    void Complain(const Failure& f) const {
        io_.Err("vantrel: " + f.name + ": " + OneLine(f.reason) + "\r\n");
    }
    void Fail(const std::string& name, const std::string& reason) {
        failures_.push_back({name, reason});
        Complain(failures_.back());
    }

    void Reports(const std::vector<std::string>& files, bool anyFolder) {
        // /out names a folder for several files, for a folder among the
        // FILEs and for an existing folder; otherwise the one report's file.
        const bool toFolder = cmd_.hasOut && (cmd_.files.size() > 1 || anyFolder ||
                                              ProbeEntry(cmd_.out) == EntryKind::Directory);
        if (toFolder && ProbeEntry(cmd_.out) != EntryKind::Directory &&
            !CreateDirectoryA(cmd_.out.c_str(), nullptr)) {
            const std::string reason = IOErrorMessage(GetLastError());
            for (const std::string& file : files)
                Fail(file, "cannot create the folder " + cmd_.out + ": " + reason);
            return;
        }
        std::set<std::string> used;
        bool first = true;
        ForEachFile(files, [&](const std::string& file, const FileDetails& details) {
            // The bytes the Save button writes: UTF-8, ASCII unchanged.
            const std::string text =
                fs::ToUtf8(ReportText(ReportSourceFor(file, details, CurrentDateTimeFormat(), CurrentDateTimeText())));
            if (!cmd_.hasOut) {
                if (!io_.Out(first ? text : "\r\n" + text)) Fail(file, "cannot write to standard output");
                first = false;
                return;
            }
            const std::string target =
                toFolder ? JoinPath(cmd_.out, UniqueReportName(details.displayName, used)) : cmd_.out;
            std::string reason;
            if (!ReplaceFileWithBytes(target, text, reason, file))
                Fail(file, "cannot write " + target + ": " + reason);
        });
    }

    // Reads each file as the window's load does and hands its details on; a
    // file that cannot be read is reported as failed and left out.
    template <typename Fn>
    void ForEachFile(const std::vector<std::string>& files, Fn&& each) {
        for (const std::string& file : files) {
            FileDetails details;
            std::string reason;
            if (ReadDetails(file, details, reason, cmd_.form == ConsoleForm::Csv))
                each(file, details);
            else
                Fail(file, reason);
        }
    }

    void Csv(const std::vector<std::string>& files) {
        std::string all = CsvHeader();
        if (!cmd_.hasOut && !io_.Out(all)) {
            for (const std::string& file : files) Fail(file, "cannot write to standard output");
            return;
        }
        std::vector<std::string> written;
        ForEachFile(files, [&](const std::string& file, const FileDetails& details) {
            const std::string line =
                fs::ToUtf8(CsvRecord(ReportSourceFor(file, details, CurrentDateTimeFormat(), ""), details.signature,
                                     details.signer));
            if (cmd_.hasOut) {
                all += line;
                written.push_back(file);
            } else if (!io_.Out(line)) {
                Fail(file, "cannot write to standard output");
            }
        });
        std::string reason;
        if (cmd_.hasOut && !ReplaceFileWithBytes(cmd_.out, all, reason, ""))
            for (const std::string& file : written) Fail(file, "cannot write " + cmd_.out + ": " + reason);
    }

    const ConsoleCommand& cmd_;
    const StandardStreams& io_;
    std::vector<Failure> failures_;
};

std::vector<std::string> Arguments(const std::string& commandLine) {
    std::vector<std::string> args;
    for (int i = 1;; ++i) {
        std::string arg = ParamStr(commandLine, i);
        if (arg.empty()) return args;
        args.push_back(std::move(arg));
    }
}

}  // namespace

bool IsConsoleCommandLine(const std::string& commandLine) {
    return IsConsoleSwitch(ParamStr(commandLine, 1));
}

bool ReplaceFileWithBytes(const std::string& path, const std::string& bytes, std::string& error,
                          const std::string& protectedFile) {
    try {
        SaveReportSafely(path, bytes, protectedFile);
        return true;
    } catch (const EReportNotSaved& e) {
        error = IOErrorMessage(e.code());
    } catch (const std::exception& e) {
        error = OneLine(e.what());
    }
    return false;
}

int RunConsole(const std::string& commandLine) {
    // A drive without a medium answers with an error, not a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    StandardStreams streams;
    ConsoleCommand command;
    std::string error;
    if (!ParseConsoleCommand(Arguments(commandLine), command, error)) {
        streams.Err("vantrel: " + error + "\r\n" + ConsoleUsage());
        return 2;
    }
    if (command.form == ConsoleForm::Usage) {
        streams.Out(ConsoleUsage());
        return 0;
    }
    try {
        return Run(command, streams).Execute();
    } catch (const std::exception& e) {
        streams.Err("vantrel: " + OneLine(e.what()) + "\r\n");
        return 1;
    }
}

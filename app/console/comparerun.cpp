#include "app/console/comparerun.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/console/consoletext.h"
#include "app/console/parallelreads.h"
#include "app/details/datetimesettings.h"
#include "app/details/detailrows.h"
#include "app/details/detailsreader.h"
#include "app/details/detailtexts.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/linetext.h"
#include "base/messages.h"
#include "components/comparepass.h"
#include "components/dcUtils.h"

namespace {

constexpr char kChanged[] = "changed while being compared";

// A pair's trouble as one message, naming the file at fault; empty when the
// compare came to a verdict.
std::string Trouble(const CompareResult& r, const std::string& first, const std::string& second) {
    const std::string& name = r.which ? second : first;
    switch (r.outcome) {
        case CompareOutcome::OpenFailed:
        case CompareOutcome::ReadFailed:
            return name + ": " + OneLineWithoutFullStop(base::SystemErrorText(r.error));
        case CompareOutcome::NotAFile:
            return name + ": not a regular file";
        case CompareOutcome::Changed:
            return name + ": " + kChanged;
        case CompareOutcome::Stopped:
            return name + ": stopped";
        default:
            return std::string();
    }
}

bool ContentsDiffer(const CompareResult& r) {
    return r.outcome == CompareOutcome::Differs || r.outcome == CompareOutcome::FirstShorter ||
           r.outcome == CompareOutcome::SecondShorter;
}

// Output in pieces of a useful size.
class Lines {
public:
    explicit Lines(const std::function<bool(const std::string&)>& out) : out_(out) {}
    bool Add(const std::string& s) {
        pending_ += s;
        return pending_.size() < 64 * 1024 || Flush();
    }
    bool Flush() {
        if (pending_.empty()) return true;
        const bool ok = out_(pending_);
        pending_.clear();
        return ok;
    }

private:
    const std::function<bool(const std::string&)>& out_;
    std::string pending_;
};

// The detail fields of both files that differ, one line each.
std::string DetailDifferences(const std::string& first, const std::string& second, std::string& failure) {
    base::ComApartment com;
    DetailsReader reader(true);
    FileDetails details[2];
    const std::string* names[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        std::string reason;
        if (!reader.Read(*names[i], details[i], reason)) {
            failure = *names[i] + ": " + OneLineWithoutFullStop(reason);
            return std::string();
        }
    }
    const DateTimeFormat format = CurrentDateTimeFormat();
    const std::vector<ReportField> a = ReportFields(ReportFor(first, details[0], format, ""));
    const std::vector<ReportField> b = ReportFields(ReportFor(second, details[1], format, ""));
    std::string lines;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i].line != kFileRow.reportLine && a[i].value != b[i].value)
            lines += DetailDifferenceLine(a[i].label, a[i].value, b[i].value);
    const std::string signatures[2] = {OnOneLine(details[0].signature, LineRule::ReportLine),
                                       OnOneLine(details[1].signature, LineRule::ReportLine)};
    if (signatures[0] != signatures[1])
        lines += DetailDifferenceLine("Signature", signatures[0], signatures[1]);
    return lines;
}

int CompareTwoFiles(const CompareCommand& cmd, Lines& out,
                    const std::function<void(const std::string&)>& err) {
    const CancelToken never;
    const CompareResult r = CompareFiles(cmd.first, cmd.second, never);
    const std::string trouble = Trouble(r, cmd.first, cmd.second);
    if (!trouble.empty()) {
        err("vantrel: " + OnOneLine(trouble, LineRule::ConsoleMessage) + "\r\n");
        return 2;
    }
    int code = 0;
    if (r.outcome == CompareOutcome::Differs) {
        out.Add(CmpDifferLine(cmd.first, cmd.second, r.offset + 1, r.lineFeeds + 1));
        code = 1;
    } else if (r.outcome == CompareOutcome::FirstShorter || r.outcome == CompareOutcome::SecondShorter) {
        const std::string& shorter = r.outcome == CompareOutcome::FirstShorter ? cmd.first : cmd.second;
        if (!out.Flush()) return 2;
        err("vantrel: " + CmpEofMessage(shorter, r.offset, r.lineFeeds, r.endsInLineFeed) + "\r\n");
        code = 1;
    }
    if (cmd.details) {
        std::string failure;
        const std::string lines = DetailDifferences(cmd.first, cmd.second, failure);
        if (!failure.empty()) {
            err("vantrel: " + OnOneLine(failure, LineRule::ConsoleMessage) + "\r\n");
            return 2;
        }
        out.Add(lines);
    }
    return out.Flush() ? code : 2;
}

// One pair of files of a folder compare, on a worker thread.
class PairReader {
public:
    using Details = CompareResult;
    PairReader(const std::string& first, const std::string& second) : first_(first), second_(second) {}
    bool Read(const std::string& relative, CompareResult& result, std::string& reason) {
        const CancelToken never;
        result = CompareFiles(JoinPath(first_, relative), JoinPath(second_, relative), never);
        reason = Trouble(result, JoinPath(first_, relative), JoinPath(second_, relative));
        return reason.empty();
    }

private:
    std::string first_, second_;
};

// The two folders walked together.
class FolderCompare {
public:
    FolderCompare(const CompareCommand& cmd, Lines& out, const std::function<void(const std::string&)>& err)
        : cmd_(cmd), out_(out), err_(err) {}

    int Run() {
        Enter("");
        ParallelReads<PairReader> reads(DefaultReadWorkers(), cmd_.first, cmd_.second);
        reads.Run([this](std::string& item, std::string& failure) { return Next(item, failure); },
                  [this](ParallelReads<PairReader>::Outcome& o) { Handle(o); });
        if (!out_.Flush()) trouble_ = true;
        return trouble_ ? 2 : differ_ ? 1 : 0;
    }

private:
    struct Entry {
        std::string name;
        bool folder[2];
        bool present[2];
    };
    struct Level {
        std::string relative;
        std::vector<Entry> entries;
        std::size_t next = 0;
        FileStamp identity[2];
    };
    // What an item given to the reads stands for, in the order given.
    enum class Item { Pair, Line, Message };

    std::string Side(int i, const std::string& relative) const {
        const std::string& root = i ? cmd_.second : cmd_.first;
        return relative.empty() ? root : JoinPath(root, relative);
    }

    // Lists one folder: false with the reason when it cannot be.
    static bool List(const std::string& folder, std::vector<std::pair<std::string, bool>>& entries,
                     std::string& reason) {
        WIN32_FIND_DATAW fd{};
        base::UniqueFind find(fs::FindFirst(JoinPath(folder, "*"), fd));
        if (!find) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return true;
            reason = OneLineWithoutFullStop(base::SystemErrorText(code));
            return false;
        }
        do {
            std::string name = fs::Narrow(fd.cFileName);
            if (name == "." || name == "..") continue;
            entries.emplace_back(std::move(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        } while (FindNextFileW(find.get(), &fd));
        return true;
    }

    static FileStamp FolderIdentity(const std::string& folder) {
        base::UniqueFile handle(fs::Open(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
        return handle ? StampOf(handle.get()) : FileStamp();
    }

    // True when the folder is one of the folders being walked above it.
    bool IsAncestor(int side, const FileStamp& identity) const {
        if (!identity.known) return false;
        for (const Level& l : levels_)
            if (l.identity[side].known && l.identity[side].volume == identity.volume &&
                l.identity[side].index == identity.index)
                return true;
        return false;
    }

    // Lists both sides of `relative` as a new level. A side that cannot be
    // listed, or that loops back to a folder above it, is reported.
    void Enter(const std::string& relative) {
        Level level;
        level.relative = relative;
        std::vector<std::pair<std::string, bool>> lists[2];
        for (int i = 0; i < 2; ++i) {
            const std::string folder = Side(i, relative);
            level.identity[i] = FolderIdentity(folder);
            std::string reason;
            if (IsAncestor(i, level.identity[i])) {
                Message(folder + ": the folder is one of its own parent folders (a link loop); not entered");
                return;
            }
            if (!List(folder, lists[i], reason)) {
                Message(folder + ": " + reason);
                return;
            }
            std::sort(lists[i].begin(), lists[i].end(),
                      [](const std::pair<std::string, bool>& a, const std::pair<std::string, bool>& b) {
                          return WalkOrderLess(a.first, b.first);
                      });
        }
        // One folder under both names (links to the same folder): the same.
        if (level.identity[0].known && level.identity[1].known &&
            level.identity[0].volume == level.identity[1].volume &&
            level.identity[0].index == level.identity[1].index)
            return;
        // Both lists merged in walk order; a name matches only itself.
        std::size_t at[2] = {0, 0};
        while (at[0] < lists[0].size() || at[1] < lists[1].size()) {
            int from;
            if (at[1] == lists[1].size())
                from = 0;
            else if (at[0] == lists[0].size())
                from = 1;
            else if (lists[0][at[0]].first == lists[1][at[1]].first)
                from = 2;
            else
                from = WalkOrderLess(lists[0][at[0]].first, lists[1][at[1]].first) ? 0 : 1;
            Entry e{};
            for (int i = 0; i < 2; ++i) {
                if (from != 2 && from != i) continue;
                e.name = lists[i][at[i]].first;
                e.present[i] = true;
                e.folder[i] = lists[i][at[i]].second;
                ++at[i];
            }
            level.entries.push_back(std::move(e));
        }
        levels_.push_back(std::move(level));
    }

    void Message(const std::string& text) { pendingMessages_.push_back(text); }

    // The next item for the reads: a pair to compare, or a line or message
    // that goes out at its place.
    bool Next(std::string& item, std::string& failure) {
        for (;;) {
            if (!pendingMessages_.empty()) {
                kinds_.push_back(Item::Message);
                item = "-";
                failure = pendingMessages_.front();
                pendingMessages_.pop_front();
                return true;
            }
            if (levels_.empty()) return false;
            Level& level = levels_.back();
            if (level.next == level.entries.size()) {
                levels_.pop_back();
                continue;
            }
            const Entry e = level.entries[level.next++];
            const std::string relative = level.relative.empty() ? e.name : JoinPath(level.relative, e.name);
            if (!e.present[0] || !e.present[1]) {
                const int side = e.present[0] ? 0 : 1;
                kinds_.push_back(Item::Line);
                item = "-";
                failure = DiffOnlyIn(Side(side, level.relative), e.name);
                return true;
            }
            if (e.folder[0] != e.folder[1]) {
                kinds_.push_back(Item::Line);
                item = "-";
                failure = DiffKindsDiffer(Side(0, relative), e.folder[0], Side(1, relative), e.folder[1]);
                return true;
            }
            if (e.folder[0]) {
                Enter(relative);
                continue;
            }
            kinds_.push_back(Item::Pair);
            item = relative;
            failure.clear();
            return true;
        }
    }

    void Handle(ParallelReads<PairReader>::Outcome& o) {
        const Item kind = kinds_.front();
        kinds_.pop_front();
        if (kind == Item::Line) {
            differ_ = true;
            Add(o.reason);
        } else if (kind == Item::Message || !o.ok) {
            trouble_ = true;
            if (!out_.Flush()) throw OutputGone();
            err_("vantrel: " + OnOneLine(o.reason, LineRule::ConsoleMessage) + "\r\n");
        } else if (ContentsDiffer(o.details)) {
            differ_ = true;
            Add(DiffFilesDiffer(Side(0, o.file), Side(1, o.file)));
        }
    }

    struct OutputGone {};
    void Add(const std::string& line) {
        if (!out_.Add(line)) throw OutputGone();
    }

public:
    int RunGuarded() {
        try {
            return Run();
        } catch (const OutputGone&) {
            err_("vantrel: cannot write to standard output\r\n");
            return 2;
        }
    }

private:
    const CompareCommand& cmd_;
    Lines& out_;
    const std::function<void(const std::string&)>& err_;
    std::vector<Level> levels_;
    std::deque<Item> kinds_;
    std::deque<std::string> pendingMessages_;
    bool differ_ = false, trouble_ = false;
};

}  // namespace

int RunCompare(const CompareCommand& cmd, const std::function<bool(const std::string&)>& out,
               const std::function<void(const std::string&)>& err) {
    Lines lines(out);
    const EntryKind kinds[2] = {ProbeEntry(cmd.first), ProbeEntry(cmd.second)};
    const bool folders[2] = {kinds[0] == EntryKind::Directory, kinds[1] == EntryKind::Directory};
    if (folders[0] && folders[1]) {
        if (cmd.details) {
            err("vantrel: /details compares two files, not two folders\r\n");
            return 2;
        }
        return FolderCompare(cmd, lines, err).RunGuarded();
    }
    if (folders[0] != folders[1]) {
        const std::string& folder = folders[0] ? cmd.first : cmd.second;
        const std::string& other = folders[0] ? cmd.second : cmd.first;
        err("vantrel: " +
            OnOneLine("cannot compare the folder " + folder + " with " + other +
                          ", which is not a folder: give two files or two folders",
                      LineRule::ConsoleMessage) +
            "\r\n");
        return 2;
    }
    return CompareTwoFiles(cmd, lines, err);
}

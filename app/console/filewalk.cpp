#include "app/console/filewalk.h"

#include <windows.h>

#include <algorithm>

#include "app/console/consoletext.h"
#include "base/fs.h"
#include "base/handles.h"
#include "base/messages.h"
#include "components/dcUtils.h"

FileWalk::FileWalk(std::vector<std::string> arguments) {
    Level top;
    for (std::string& arg : arguments) top.entries.push_back({std::move(arg), false});
    levels_.push_back(std::move(top));
}

bool FileWalk::Enter(const std::string& folder, std::string& reason) {
    Level level;
    level.folder = folder;
    WIN32_FIND_DATAW fd{};
    base::UniqueFind find(fs::FindFirst(JoinPath(folder, "*"), fd));
    if (!find) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return true;  // empty
        reason = IOErrorMessage(code);
        return false;
    }
    do {
        std::string name = fs::Narrow(fd.cFileName);
        if (name == "." || name == "..") continue;
        const bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        level.entries.push_back({std::move(name), isFolder});
    } while (FindNextFileW(find.get(), &fd));
    std::sort(level.entries.begin(), level.entries.end(),
              [](const Entry& a, const Entry& b) { return WalkOrderLess(a.name, b.name); });
    levels_.push_back(std::move(level));
    return true;
}

FileWalk::Step FileWalk::Next(std::string& path, std::string& reason) {
    while (!levels_.empty()) {
        Level& level = levels_.back();
        if (level.next == level.entries.size()) {
            levels_.pop_back();
            continue;
        }
        const Entry& entry = level.entries[level.next++];
        const bool top = levels_.size() == 1;
        path = top ? entry.name : JoinPath(level.folder, entry.name);
        // An argument is a folder when it names one now; an entry of a
        // folder as it was listed.
        const bool folder = top ? ProbeEntry(path) == EntryKind::Directory : entry.folder;
        if (!folder) {
            if (!top && skip_ && skip_(path)) continue;
            return Step::File;
        }
        const std::string folderPath = path;
        if (!Enter(folderPath, reason)) {
            path = folderPath;
            return Step::Failure;
        }
    }
    return Step::End;
}

// What the console's modes that write one file under /out (/csv, /sums)
// share: the files a run made, which its walk passes over, and the reasons a
// target is not replaced.
#pragma once

#include <exception>
#include <set>
#include <string>

// Files this run made (the CSV's temporary file, the reports it wrote), by
// their full paths compared case-blind: a walk over their folder passes
// them over, so that the run never reads its own output.
class OwnFiles {
public:
    void Add(const std::wstring& path) { paths_.insert(Key(path)); }
    bool Contains(const std::string& path) const;

private:
    static std::wstring Key(const std::wstring& path);
    std::set<std::wstring> paths_;
};

// The reason a target is one of the inputs.
extern const char kInputTarget[];

// The reason of a failed save, for one line.
std::string SaveFailure(const std::exception& e);

// `reason` for a target that was not replaced, naming the attribute when one
// is the cause.
std::string WhyNotReplaced(const std::string& target, const std::string& reason);

// The files that the console's FILE arguments stand for, one at a time: a
// file as it is given, a folder for every file below it, each folder's
// entries in walk order (WalkOrderLess), depth first. Linked folders are not
// entered, so a link cannot make a loop. Only the names of the folders being
// walked are held, never the list of all files, so a walk of any size takes
// the memory of its deepest branch.
#pragma once

#include <functional>
#include <string>
#include <vector>

class FileWalk {
public:
    explicit FileWalk(std::vector<std::string> arguments);

    enum class Step {
        File,     // `path` is the next file, or an argument that names no folder
        Failure,  // `path` is a folder that could not be listed, `reason` why
        End,
    };
    Step Next(std::string& path, std::string& reason);

    // Files found in a folder for which `skip` is true are passed over (the
    // run's own temporary file and the reports it wrote); the arguments
    // themselves are never skipped.
    void SkipFound(std::function<bool(const std::string& path)> skip) { skip_ = std::move(skip); }

private:
    struct Entry {
        std::string name;
        bool folder;
    };
    struct Level {
        std::string folder;  // empty for the arguments themselves
        std::vector<Entry> entries;
        std::size_t next = 0;
    };
    // Lists `folder` as a new level; false with the reason when it cannot.
    bool Enter(const std::string& folder, std::string& reason);

    std::vector<Level> levels_;
    std::function<bool(const std::string&)> skip_;
};

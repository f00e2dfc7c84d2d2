// Reading many files' details in a row on one thread, as the console does:
// the same details the main window's load gives (without the icons), with
// less work per file.
// - The one pass over the contents comes first, and its first bytes tell
//   whether the version functions can find anything: for a file that is no
//   module they are not called, since they would find no resource data,
//   which the version component does not report.
// - Display and type names come from a ShellNameCache.
// The thread must have COM initialised (the shell's folders need it).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/details/filedetails.h"
#include "base/fs.h"
#include "components/digestkind.h"

class DetailsReader {
public:
    // `withSignature`: the details carry the signature's status and signer,
    // checked through the handle of the checksum pass; `digests`: the
    // details carry these kinds' digests too, from the same pass.
    explicit DetailsReader(bool withSignature = false, std::vector<DigestKind> digests = {})
        : withSignature_(withSignature), digests_(std::move(digests)) {}
    DetailsReader(const DetailsReader&) = delete;
    DetailsReader& operator=(const DetailsReader&) = delete;

    // The details of the file `path`, checksums included. False with the
    // reason when the file cannot be reported: "File not found", "Is a
    // folder", the version component's failure, the digest's open failure
    // or the changed-while-read message; the version component's failure
    // comes first, as in the window's load.
    bool Read(const std::string& path, FileDetails& details, std::string& reason);

private:
    bool withSignature_;
    std::vector<DigestKind> digests_;
    fs::ShellNameCache names_;
};

// Fuzz target for the bounded check of a module's version resource.
//
// The whole input is a file. The check reads it only through a reader that
// refuses (and reports) any byte outside it; the verdict is the same on a
// second run, a damaged file always says why, and the bytes read stay within
// a bound set by the entry budget rather than by the sizes the file states.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "components/versionresource.h"
#include "fuzz/check.h"

namespace {

using versionresource::Verdict;

// Headers, the section table (at most 65,535 entries of 40 bytes), the
// budget's directory entries with their headers and data entries, and an NE
// resource table (at most 64 KiB).
constexpr std::uint64_t kMaxBytesRead =
    4096 + 65535u * 40 + std::uint64_t{versionresource::kMaxEntries} * (8 + 16 + 16) + 65536;

Verdict Check(const std::uint8_t* data, std::size_t size, std::string& reason, std::uint64_t& bytesRead) {
    bytesRead = 0;
    const versionresource::ReadAt read = [&](std::uint64_t offset, void* out, std::size_t count) {
        FUZZ_CHECK(offset <= size && count <= size - offset);
        std::memcpy(out, data + offset, count);
        bytesRead += count;
        return true;
    };
    return versionresource::CheckVersionResource(read, size, reason);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string reason;
    std::uint64_t bytesRead = 0;
    const Verdict verdict = Check(data, size, reason, bytesRead);
    FUZZ_CHECK(verdict != Verdict::ReadFailed);
    FUZZ_CHECK((verdict == Verdict::Damaged) == !reason.empty());
    FUZZ_CHECK(bytesRead <= kMaxBytesRead);
    // Anything shorter than a DOS header, or not starting "MZ", is no module.
    if (size < 64 || data[0] != 'M' || data[1] != 'Z') FUZZ_CHECK(verdict == Verdict::NotModule);

    std::string again;
    std::uint64_t readAgain = 0;
    FUZZ_CHECK(Check(data, size, again, readAgain) == verdict);
    FUZZ_CHECK(again == reason && readAgain == bytesRead);
    return 0;
}

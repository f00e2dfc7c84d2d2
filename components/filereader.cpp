#include "components/filereader.h"

#include <algorithm>
#include <memory>

namespace {

ReadProgress* g_progress = nullptr;

// Ends the watcher's display on every path out of a read.
class Watch {
public:
    Watch(ReadProgress* p, std::uint64_t total) : p_(p) { if (p_) p_->Begin(total); }
    ~Watch() { if (p_) p_->End(); }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    void Step(std::uint64_t done, std::uint64_t total) const { if (p_) p_->Step(done, total); }

private:
    ReadProgress* p_;
};

}  // namespace

ReadProgress* SetReadProgress(ReadProgress* progress) {
    ReadProgress* previous = g_progress;
    g_progress = progress;
    return previous;
}

bool ReadChunks(HANDLE file, const std::function<void(const unsigned char*, std::size_t)>& sink) {
    LARGE_INTEGER size{}, pos{}, zero{};
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, zero, &pos, FILE_CURRENT)) return false;
    const std::uint64_t total =
        size.QuadPart > pos.QuadPart ? static_cast<std::uint64_t>(size.QuadPart - pos.QuadPart) : 0;
    // Never more than one chunk, and no larger than the file needs.
    const std::size_t bufferSize = static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, total));
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bufferSize ? bufferSize : 1]);

    DWORD error = ERROR_SUCCESS;
    {
        Watch watch(g_progress, total);
        std::uint64_t done = 0;
        while (done < total) {
            const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(bufferSize, total - done));
            DWORD got = 0;
            if (!ReadFile(file, buffer.get(), want, &got, nullptr)) {
                error = GetLastError();
                break;
            }
            if (got == 0) {
                error = ERROR_HANDLE_EOF;
                break;
            }
            sink(buffer.get(), got);
            done += got;
            watch.Step(done, total);
        }
    }
    // The watcher calls the system too; the caller wants the read's error.
    if (error == ERROR_SUCCESS) return true;
    SetLastError(error);
    return false;
}

#include "components/filereader.h"

#include <memory>

namespace {

ReadProgress* g_progress = nullptr;

}  // namespace

void SetReadProgress(ReadProgress* progress) { g_progress = progress; }

bool ReadChunks(HANDLE file, const std::function<void(const unsigned char*, std::size_t)>& sink) {
    LARGE_INTEGER size{}, pos{}, zero{};
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, zero, &pos, FILE_CURRENT)) return false;
    const std::uint64_t total = size.QuadPart > pos.QuadPart ? static_cast<std::uint64_t>(size.QuadPart - pos.QuadPart) : 0;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[kReadChunk]);

    struct Watch {  // Ends the progress display on every path.
        ReadProgress* p;
        ~Watch() { if (p) p->End(); }
    } watch{g_progress};
    if (watch.p) watch.p->Begin(total);

    std::uint64_t done = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.get(), static_cast<DWORD>(kReadChunk), &got, nullptr)) return false;
        if (got == 0) break;
        sink(buffer.get(), got);
        done += got;
        if (watch.p) watch.p->Step(done, total);
    }
    // A file that shrank while being read was not read whole.
    return done >= total;
}

// The two-file pass of /compare and the window's compare: the first
// difference and its line, starts of each other, on one thread and beside
// reader threads, across chunk ends; a file changed while being compared; a
// stop; names beyond 260 characters; an early difference that ends at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "components/comparepass.h"
#include "longpaths.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

// The first difference by hand: its offset and the line feeds before it.
void Expected(const std::string& a, const std::string& b, std::uint64_t& offset, std::uint64_t& lineFeeds) {
    offset = 0;
    lineFeeds = 0;
    while (offset < a.size() && offset < b.size() && a[offset] == b[offset]) lineFeeds += a[offset++] == '\n';
}

TEST(ComparePass, FirstDifferenceAndLineAtAnyPlace) {
    TempDir dir;
    // Lines of a few bytes, so that every chunk holds line feeds.
    std::string base = testutil::SeededBytes(5 * kReadChunk + 123, 11);
    for (std::size_t i = 0; i < base.size(); i += 37) base[i] = '\n';
    struct Case {
        std::size_t size;        // of both, before the cut
        std::size_t flip;        // the byte changed in the second; npos: none
        std::size_t cutA, cutB;  // bytes taken off the end of each
        CompareOutcome outcome;
    };
    const std::size_t none = std::string::npos, c = kReadChunk;
    const Case cases[] = {
        {1000, 0, 0, 0, CompareOutcome::Differs},
        {1000, 999, 0, 0, CompareOutcome::Differs},
        {1000, none, 0, 0, CompareOutcome::Same},
        {1000, none, 10, 0, CompareOutcome::FirstShorter},
        {1000, none, 0, 1000, CompareOutcome::SecondShorter},
        {5 * c + 123, c - 1, 0, 0, CompareOutcome::Differs},
        {5 * c + 123, c, 0, 0, CompareOutcome::Differs},
        {5 * c + 123, 5 * c + 122, 0, 0, CompareOutcome::Differs},
        {5 * c + 123, none, 0, 0, CompareOutcome::Same},
        {5 * c + 123, none, 0, 2 * c + 5, CompareOutcome::SecondShorter},
        {5 * c + 123, 4 * c, 3 * c, 0, CompareOutcome::FirstShorter},  // the flip lies past the shorter's end
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.size << " " << k.flip << " " << k.cutA << " " << k.cutB);
        std::string a = base.substr(0, k.size), b = a;
        if (k.flip != none) b[k.flip] = static_cast<char>(b[k.flip] ^ 0x20);
        a.resize(a.size() - k.cutA);
        b.resize(b.size() - k.cutB);
        const std::string pa = dir.Write("a.bin", a), pb = dir.Write("b.bin", b);
        const CancelToken never;
        const CompareResult r = CompareFiles(pa, pb, never);
        EXPECT_EQ(k.outcome, r.outcome);
        std::uint64_t offset, lineFeeds;
        Expected(a, b, offset, lineFeeds);
        if (k.outcome != CompareOutcome::Same) {
            EXPECT_EQ(offset, r.offset);
            EXPECT_EQ(lineFeeds, r.lineFeeds);
        }
        if (offset > 0) {
            EXPECT_EQ(a[offset - 1] == '\n', r.endsInLineFeed);
        }
    }
}

TEST(ComparePass, AFileChangedWhileBeingComparedIsNeverTheSame) {
    TempDir dir;
    const std::string bytes = testutil::SeededBytes(6 * kReadChunk, 5);
    const std::string pa = dir.Write("a.bin", bytes), pb = dir.Write("b.bin", bytes);
    for (int changed = 0; changed < 2; ++changed) {
        SCOPED_TRACE(changed);
        const CancelToken never;
        bool written = false;
        const CompareResult r = CompareFiles(pa, pb, never, [&](std::uint64_t, std::uint64_t) {
            if (written) return;
            // Another program writes the same bytes over the file's start:
            // its contents agree, its version does not.
            base::UniqueFile other(testutil::OpenForWriting(changed ? pb : pa));
            DWORD n = 0;
            FILETIME now;
            GetSystemTimeAsFileTime(&now);
            WriteFile(other.get(), bytes.data(), 16, &n, nullptr);
            // An hour on, so that the time differs whatever its resolution.
            const std::uint64_t t =
                ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) +
                10000000ull * 3600;
            const FILETIME later{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
            SetFileTime(other.get(), nullptr, nullptr, &later);
            written = true;
        });
        ASSERT_TRUE(written);
        EXPECT_EQ(CompareOutcome::Changed, r.outcome);
        EXPECT_EQ(changed, r.which);
    }
}

TEST(ComparePass, AStopEndsTheCompare) {
    TempDir dir;
    const std::string bytes = testutil::SeededBytes(8 * kReadChunk, 6);
    const std::string pa = dir.Write("a.bin", bytes), pb = dir.Write("b.bin", bytes);
    CancelToken cancel;
    std::uint64_t seen = 0, total = 0;
    const CompareResult r = CompareFiles(pa, pb, cancel, [&](std::uint64_t done, std::uint64_t all) {
        seen = done;
        total = all;
        cancel.Stop();
    });
    EXPECT_EQ(CompareOutcome::Stopped, r.outcome);
    EXPECT_EQ(8 * kReadChunk, total);
    EXPECT_LT(seen, total);
}

TEST(ComparePass, AnEarlyDifferenceEndsAtOnceWhateverTheSize) {
    TempDir dir;
    const std::string pa = dir.Path("a.bin"), pb = dir.Path("b.bin");
    const std::uint64_t size = 2ull << 30;
    ASSERT_TRUE(testutil::MakeSparseFile(pa, size));
    ASSERT_TRUE(testutil::MakeSparseFile(pb, size));
    {
        base::UniqueFile f(testutil::OpenForWriting(pb));
        DWORD n = 0;
        WriteFile(f.get(), "x", 1, &n, nullptr);
    }
    const CancelToken never;
    std::uint64_t ticks = 0;
    const DWORD start = GetTickCount();
    const CompareResult r = CompareFiles(pa, pb, never, [&](std::uint64_t, std::uint64_t) { ++ticks; });
    EXPECT_EQ(CompareOutcome::Differs, r.outcome);
    EXPECT_EQ(0u, r.offset);
    // The readers are a ring's few chunks ahead at most.
    EXPECT_LT(GetTickCount() - start, 3000u);
}

TEST(ComparePass, NamesBeyond260CharactersAndOneFileTwice) {
    TempDir dir;
    const testutil::LongTarget target = testutil::MakeLongTarget(dir.path(), 300, 40);
    testutil::WideFiles files;
    const std::string a = files.File(target.path, "abc\ndef");
    const std::string b = files.File(target.folder + "\\" + std::string(60, 'b') + ".txt", "abc\ndeX");
    ASSERT_GT(b.size(), 260u);
    const CancelToken never;
    const CompareResult r = CompareFiles(a, b, never);
    EXPECT_EQ(CompareOutcome::Differs, r.outcome);
    EXPECT_EQ(6u, r.offset);
    EXPECT_EQ(1u, r.lineFeeds);
    EXPECT_EQ(CompareOutcome::SameFile, CompareFiles(a, a, never).outcome);
    testutil::RemoveLongTree(target.folder);
}

}  // namespace

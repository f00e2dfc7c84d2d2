// The whole-file checksum and digest on real files: FileCRC, TdcFileCRC,
// the MD5 of the details' one pass (ReadChecksums) and the pass under them.
// Expected values come from paths that share nothing with the code under
// test: the byte-at-a-time CRC definitions, Windows' own MD5 (CryptoAPI),
// and, for the file above 4 GiB, values computed once with md5sum and zlib's
// crc32 on Linux.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/details/readdetails.h"
#include "base/errors.h"
#include "base/handles.h"
#include "components/crc.h"
#include "components/dcCRC.h"
#include "components/dcFileCRC.h"
#include "components/digestsink.h"
#include "components/filepass.h"
#include "testutil.h"

namespace {

// Bytes that differ from block to block, so that a chunk read twice or
// skipped changes every checksum.
std::string Pattern(std::size_t size, std::uint32_t seed) {
    std::string s(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

std::uint32_t ReferenceCRC(TdcFileCRCMethod method, const std::string& data) {
    switch (method) {
    case TdcFileCRCMethod::crc16: return crc_reference::CRC16(0, data.data(), data.size());
    case TdcFileCRCMethod::crcArc: return crc_reference::CRCArc(0, data.data(), data.size());
    default: return crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size());
    }
}

// MD5 by the system's cryptographic provider, as upper-case hex.
std::string CryptoApiMD5(const std::string& data) {
    HCRYPTPROV prov = 0;
    HCRYPTHASH hash = 0;
    std::string hex;
    if (CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        if (CryptCreateHash(prov, CALG_MD5, 0, 0, &hash)) {
            BYTE digest[16];
            DWORD len = sizeof digest;
            if (CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0) &&
                CryptGetHashParam(hash, HP_HASHVAL, digest, &len, 0)) {
                static const char kDigits[] = "0123456789ABCDEF";
                for (DWORD i = 0; i < len; ++i) {
                    hex += kDigits[digest[i] >> 4];
                    hex += kDigits[digest[i] & 15];
                }
            }
            CryptDestroyHash(hash);
        }
        CryptReleaseContext(prov, 0);
    }
    return hex;
}

std::string FullPathOf(const std::string& name) {
    char buf[MAX_PATH];
    const DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, buf, nullptr);
    return std::string(buf, n < MAX_PATH ? n : 0);
}

std::string ReplaceContents(const std::string& path, const std::string& bytes) {
    base::UniqueFile f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    DWORD written = 0;
    if (f && !bytes.empty()) WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return path;
}

base::UniqueFile OpenForWriting(const std::string& path, DWORD share) {
    return base::UniqueFile(CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The MD5 row's digest of the file, as the details' pass gives it; empty
// when it gave none.
std::string FileDigest(const std::string& path) {
    ChecksumWants wants;
    const ChecksumPass pass = ReadChecksums(path, wants);
    return pass.md5 ? *pass.md5 : std::string();
}

// Records what it is fed and lets a test act after each chunk; the pass
// feeds it on the reading thread or on the calling one.
class RecordingSink : public DigestSink {
public:
    void Update(const unsigned char* data, std::size_t len) override {
        got.append(reinterpret_cast<const char*>(data), len);
        chunks.push_back(len);
        if (onChunk) onChunk();
    }
    std::string got;
    std::vector<std::size_t> chunks;
    std::function<void()> onChunk;
};

// Sizes around MD5's 64-byte block and its 56-byte padding limit, and around
// the reader's chunk.
const std::size_t kSizes[] = {0, 1, 55, 56, 63, 64, 65, kReadChunk - 1, kReadChunk, kReadChunk + 1,
                              3 * kReadChunk + 17};

class ChecksumFiles : public testing::TestWithParam<std::size_t> {
protected:
    testutil::TempDir dir;
};

TEST_P(ChecksumFiles, EveryMethodMatchesTheReferenceOverTheWholeFile) {
    const std::string data = Pattern(GetParam(), static_cast<std::uint32_t>(GetParam()));
    const std::string path = dir.Write("data.bin", data);
    for (TdcFileCRCMethod method : {TdcFileCRCMethod::crc32, TdcFileCRCMethod::crc16, TdcFileCRCMethod::crcArc}) {
        SCOPED_TRACE(static_cast<int>(method));
        EXPECT_EQ(ReferenceCRC(method, data), FileCRC(path, method));
    }
    EXPECT_EQ(CryptoApiMD5(data), FileDigest(path));
}

TEST_P(ChecksumFiles, TheComponentHoldsTheFilesChecksum) {
    const std::string data = Pattern(GetParam(), 7);
    const std::string path = dir.Write("data.bin", data);
    TdcFileCRC crc;
    crc.SetFILENAME(path);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc32, data), crc.CRC());
    crc.SetMethod(TdcFileCRCMethod::crcArc);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crcArc, data), crc.CRC());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ChecksumFiles, testing::ValuesIn(kSizes));

TEST(ChecksumLargeFile, AFileAbove4GiBIsReadWhole) {
    testutil::TempDir dir;
    const std::uint64_t size = (std::uint64_t{4} << 30) + 3;
    const std::string path = dir.Path("sparse.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(path, size));
    // 4 GiB + 3 zero bytes: md5sum, and zlib's crc32 complemented (JAMCRC).
    EXPECT_EQ(3736805603u, FileCRC(path, TdcFileCRCMethod::crc32));
    EXPECT_EQ("4CA27E0AA2E7592739CA3DE160D1C3A6", FileDigest(path));
}

TEST(ChecksumKnownValues, TheCheckStringGivesThePublishedValues) {
    testutil::TempDir dir;
    const std::string path = dir.Write("check.txt", "123456789");
    EXPECT_EQ(873187033u, FileCRC(path, TdcFileCRCMethod::crc32));
    EXPECT_EQ(48879u, FileCRC(path, TdcFileCRCMethod::crc16));
    EXPECT_EQ(47933u, FileCRC(path, TdcFileCRCMethod::crcArc));
    EXPECT_EQ("25F9E794323B453885F5181F1B624D0B", FileDigest(path));
}

TEST(FileCRCFailures, NothingReadableGivesZero) {
    testutil::TempDir dir;
    const std::string locked = dir.Write("locked.bin", "contents");
    base::UniqueFile exclusive(CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(exclusive);
    for (const std::string& name : {std::string(), dir.Path("missing.bin"), dir.path(), locked}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(0u, FileCRC(name, TdcFileCRCMethod::crc32));
        EXPECT_EQ(0u, FileCRC(name, TdcFileCRCMethod::crc16));
    }
}

TEST(FileCRCSharing, AFileOpenForWritingIsStillChecksummed) {
    testutil::TempDir dir;
    const std::string data = Pattern(1000, 3);
    const std::string path = dir.Write("open.bin", data);
    base::UniqueFile writer = OpenForWriting(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc32, data), FileCRC(path, TdcFileCRCMethod::crc32));
}

class FileCRCComponent : public testing::Test {
protected:
    testutil::TempDir dir;
    TdcFileCRC crc;
};

TEST_F(FileCRCComponent, TheSameNameAgainReadsNothing) {
    const std::string before = Pattern(300, 1), after = Pattern(300, 2);
    const std::string path = dir.Write("a.bin", before);
    crc.SetFILENAME(path);
    ReplaceContents(path, after);
    crc.SetFILENAME(path);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc32, before), crc.CRC());
    crc.SetMethod(TdcFileCRCMethod::crc32);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc32, before), crc.CRC());
}

TEST_F(FileCRCComponent, AnotherMethodOrNameReadsTheFileAgain) {
    const std::string before = Pattern(300, 1), after = Pattern(300, 2);
    const std::string path = dir.Write("a.bin", before);
    crc.SetFILENAME(path);
    ReplaceContents(path, after);
    crc.SetMethod(TdcFileCRCMethod::crc16);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc16, after), crc.CRC());
    EXPECT_EQ(TdcFileCRCMethod::crc16, crc.Method());

    ReplaceContents(path, before);
    crc.SetMethod(TdcFileCRCMethod::crc32);
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc32, before), crc.CRC());

    // The same file under a name spelled differently is another name.
    ReplaceContents(path, after);
    std::string other = path;
    other.back() = 'N';  // a.biN
    crc.SetFILENAME(other);
    EXPECT_EQ(other, crc.FILENAME());
    EXPECT_EQ(ReferenceCRC(TdcFileCRCMethod::crc32, after), crc.CRC());
}

TEST_F(FileCRCComponent, NoFileGivesZero) {
    const std::string path = dir.Write("a.bin", "abc");
    for (const std::string& name : {std::string(), dir.Path("missing.bin"), dir.path()}) {
        SCOPED_TRACE(name);
        crc.SetFILENAME(path);
        ASSERT_NE(0u, crc.CRC());
        crc.SetFILENAME(name);
        EXPECT_EQ(0u, crc.CRC());
        EXPECT_EQ(name, crc.FILENAME());
    }
    crc.SetFILENAME("");
    crc.SetMethod(TdcFileCRCMethod::crcArc);
    EXPECT_EQ(0u, crc.CRC());
}

// The MD5 needs the file to itself for writing; other readers are welcome.
TEST(LoadDigestSharing, AWriterElsewhereKeepsTheDigestOutAndReadersDoNot) {
    testutil::TempDir dir;
    const std::string data = Pattern(2 * kReadChunk + 5, 9);
    const std::string path = dir.Write("shared.bin", data);
    {
        base::UniqueFile reader(
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_EQ(CryptoApiMD5(data), FileDigest(path));
    }
    base::UniqueFile writer = OpenForWriting(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer);
    const ChecksumPass pass = ReadChecksums(path, ChecksumWants());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), pass.openError);
    EXPECT_FALSE(pass.md5);
}

// The pass under both: what it hands on, on which side, and when a file
// that did not stay as it was makes it fail.
class FilePass : public testing::Test {
protected:
    // Opened as another program would, letting others write, rename and delete.
    base::UniqueFile Open(const std::string& path, DWORD access = GENERIC_READ) {
        return base::UniqueFile(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    }
    PassResult Run(HANDLE file, const std::string& name, const PassTick& tick = {}) {
        PassFeeds feeds;
        feeds.reader.push_back(&reader);
        feeds.caller.push_back(&caller);
        return RunFilePass(file, name, feeds, cancel, tick);
    }
    static void Truncate(const std::string& path, std::int64_t size) {
        base::UniqueFile w(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER at;
        at.QuadPart = size;
        ASSERT_TRUE(w && SetFilePointerEx(w.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(w.get()));
    }
    testutil::TempDir dir;
    CancelToken cancel;
    RecordingSink reader, caller;
};

// Up to two chunks the calling thread reads alone; above, a reader thread
// reads beside it.
const std::size_t kPassSizes[] = {0, 1, kReadChunk, 2 * kReadChunk, 9 * kReadChunk + 7};

TEST_F(FilePass, FeedsBothSidesTheWholeFileFromTheCurrentPositionInBoundedChunks) {
    for (std::size_t size : kPassSizes) {
        SCOPED_TRACE(size);
        const std::string data = Pattern(size + 100, 4);
        const std::string path = dir.Write("a.bin", data);
        base::UniqueFile file = Open(path);
        LARGE_INTEGER at;
        at.QuadPart = 100;
        ASSERT_TRUE(SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
        reader = RecordingSink();
        caller = RecordingSink();
        const PassResult r = Run(file.get(), path);
        EXPECT_EQ(PassOutcome::Done, r.outcome);
        EXPECT_EQ(size, r.total);
        EXPECT_EQ(size, r.done);
        EXPECT_TRUE(data.substr(100) == reader.got);
        EXPECT_TRUE(data.substr(100) == caller.got);
        for (std::size_t n : caller.chunks) EXPECT_LE(n, kReadChunk);
    }
}

TEST_F(FilePass, TicksOnTheCallingThreadWithTheBytesFedSoFar) {
    const std::string path = dir.Write("slow.bin", Pattern(6 * kReadChunk, 5));
    base::UniqueFile file = Open(path);
    caller.onChunk = [] { Sleep(kPassTickMs + 5); };
    std::vector<std::uint64_t> ticks;
    const DWORD self = GetCurrentThreadId();
    bool otherThread = false;
    const PassResult r = Run(file.get(), path, [&](std::uint64_t done, std::uint64_t total) {
        otherThread = otherThread || GetCurrentThreadId() != self;
        EXPECT_EQ(6 * kReadChunk, total);
        ticks.push_back(done);
    });
    EXPECT_EQ(PassOutcome::Done, r.outcome);
    EXPECT_FALSE(otherThread);
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    EXPECT_LE(ticks.back(), 6 * kReadChunk);
}

// The file changes between two chunks of the reading side.
struct Change {
    const char* name;
    std::size_t size;
    PassOutcome outcome;
    std::function<void(const std::string& path)> act;
};

TEST_F(FilePass, AFileThatDoesNotStayAsItWasIsNeverDone) {
    const std::size_t small = kReadChunk + kReadChunk / 2, large = 12 * kReadChunk;
    const auto shrink = [](const std::string& path) { Truncate(path, kReadChunk / 2); };
    const auto grow = [](const std::string& path) { Truncate(path, 20 * kReadChunk); };
    const auto touch = [](const std::string& path) {
        base::UniqueFile w(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
        FILETIME t{0x12345678, 0x01D00000};
        ASSERT_TRUE(w && SetFileTime(w.get(), nullptr, nullptr, &t));
    };
    const auto remove = [](const std::string& path) {
        ASSERT_TRUE(testutil::RunUnixShell("rm -f '" + testutil::UnixPath(path) + "'"));
    };
    const auto renameAway = [this](const std::string& path) {
        ASSERT_TRUE(MoveFileExA(path.c_str(), dir.Path("elsewhere.bin").c_str(), MOVEFILE_REPLACE_EXISTING));
    };
    const Change changes[] = {
        {"shrinks", small, PassOutcome::Changed, shrink}, {"shrinks", large, PassOutcome::Changed, shrink},
        {"grows", small, PassOutcome::Changed, grow},     {"grows", large, PassOutcome::Changed, grow},
        {"is written", large, PassOutcome::Changed, touch},
        {"is deleted", small, PassOutcome::Gone, remove}, {"is deleted", large, PassOutcome::Gone, remove},
        {"is renamed away", large, PassOutcome::Gone, renameAway},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size));
        const std::string path = dir.Write("moving.bin", Pattern(c.size, 7));
        PassResult r;
        {
            base::UniqueFile file = Open(path);
            reader = RecordingSink();
            caller = RecordingSink();
            reader.onChunk = [&] {
                if (reader.chunks.size() == 1) c.act(path);
            };
            r = Run(file.get(), path);
        }
        EXPECT_EQ(c.outcome, r.outcome);
        DeleteFileA(path.c_str());
    }
}

TEST_F(FilePass, AFailedReadKeepsItsError) {
    const std::string path = dir.Write("writeonly.bin", "not readable through this handle");
    base::UniqueFile file = Open(path, GENERIC_WRITE);
    ASSERT_TRUE(file);
    const PassResult r = Run(file.get(), path);
    EXPECT_EQ(PassOutcome::Changed, r.outcome);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), r.error);
    EXPECT_TRUE(caller.got.empty());
}

TEST_F(FilePass, AStopEndsThePassBeforeTheEnd) {
    const std::string path = dir.Path("sparse.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(path, 512ull * kReadChunk));
    for (bool fromTheReader : {false, true}) {
        CancelToken stop;
        RecordingSink& side = fromTheReader ? reader : caller;
        side.onChunk = [&] { stop.Stop(); };
        base::UniqueFile file = Open(path);
        PassFeeds feeds;
        feeds.reader.push_back(&reader);
        feeds.caller.push_back(&caller);
        const PassResult r = RunFilePass(file.get(), path, feeds, stop);
        EXPECT_EQ(PassOutcome::Stopped, r.outcome);
        EXPECT_LT(r.done, 16 * kReadChunk);
        side.onChunk = nullptr;
    }
}

TEST_F(FilePass, AFailingConsumerEndsThePassAndItsReader) {
    const std::string path = dir.Write("a.bin", Pattern(8 * kReadChunk, 9));
    base::UniqueFile file = Open(path);
    caller.onChunk = [] { throw base::Exception("consumer"); };
    EXPECT_THROW(Run(file.get(), path), base::Exception);
    // The reader has ended: the file can be read again from here.
    caller.onChunk = nullptr;
    EXPECT_EQ(PassOutcome::Done, Run(file.get(), path).outcome);
}

// Heavy digests that one pass needs together, each on a thread of its own.
class FilePassWorkers : public FilePass {
protected:
    PassResult RunWithWorkers(HANDLE file, const std::string& name, const CancelToken& stop) {
        PassFeeds feeds;
        feeds.reader.push_back(&reader);
        feeds.caller.push_back(&caller);
        for (RecordingSink& w : workers) feeds.workers.push_back(&w);
        return RunFilePass(file, name, feeds, stop);
    }
    RecordingSink workers[2];
};

TEST_F(FilePassWorkers, EachGetsTheWholeFileOnAThreadOfItsOwn) {
    for (std::size_t size : kPassSizes) {
        SCOPED_TRACE(size);
        const std::string data = Pattern(size, 6);
        const std::string path = dir.Write("w.bin", data);
        base::UniqueFile file = Open(path);
        DWORD threads[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            workers[i] = RecordingSink();
            workers[i].onChunk = [&threads, i] { threads[i] = GetCurrentThreadId(); };
        }
        caller = RecordingSink();
        const PassResult r = RunWithWorkers(file.get(), path, cancel);
        EXPECT_EQ(PassOutcome::Done, r.outcome);
        EXPECT_EQ(size, r.done);
        EXPECT_TRUE(data == caller.got);
        for (const RecordingSink& w : workers) EXPECT_TRUE(data == w.got);
        // Above two chunks the reading has a thread of its own, and so does each worker.
        if (size >= 2 * kReadChunk) {
            EXPECT_NE(GetCurrentThreadId(), threads[0]);
            EXPECT_NE(GetCurrentThreadId(), threads[1]);
            EXPECT_NE(threads[0], threads[1]);
        }
    }
}

// Each waits inside its first chunk for the other to be inside its own: they
// meet only when they run at the same time.
TEST_F(FilePassWorkers, RunSideBySide) {
    const std::string path = dir.Write("w.bin", Pattern(6 * kReadChunk, 2));
    base::UniqueFile file = Open(path);
    std::atomic<int> inside{0};
    bool met[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        workers[i].onChunk = [&, i] {
            if (workers[i].chunks.size() != 1) return;
            ++inside;
            for (int wait = 0; wait < 10000 && inside.load() < 2; ++wait) Sleep(1);
            met[i] = inside.load() == 2;
        };
    }
    EXPECT_EQ(PassOutcome::Done, RunWithWorkers(file.get(), path, cancel).outcome);
    EXPECT_TRUE(met[0]);
    EXPECT_TRUE(met[1]);
}

// A worker that holds its first chunk holds the read: the reader fills the
// ring and waits, so memory stays at the ring whatever the file's size.
TEST_F(FilePassWorkers, TheReadWaitsForTheSlowestWithinTheRing) {
    const std::string path = dir.Write("w.bin", Pattern(12 * kReadChunk, 8));
    base::UniqueFile file = Open(path);
    std::atomic<std::size_t> read{0};
    reader.onChunk = [&] { ++read; };
    std::size_t readWhileHeld = 0;
    workers[0].onChunk = [&] {
        if (workers[0].chunks.size() != 1) return;
        Sleep(300);
        readWhileHeld = read.load();
    };
    EXPECT_EQ(PassOutcome::Done, RunWithWorkers(file.get(), path, cancel).outcome);
    EXPECT_EQ(kRingSlots, readWhileHeld);
    EXPECT_EQ(12u, read.load());
}

TEST_F(FilePassWorkers, AFailingWorkerEndsThePassAndEveryThread) {
    const std::string path = dir.Write("w.bin", Pattern(8 * kReadChunk, 9));
    base::UniqueFile file = Open(path);
    workers[1].onChunk = [this] {
        if (workers[1].chunks.size() == 2) throw base::Exception("worker");
    };
    EXPECT_THROW(RunWithWorkers(file.get(), path, cancel), base::Exception);
    // The reader and the workers have ended: the file can be read again from here.
    workers[1].onChunk = nullptr;
    EXPECT_EQ(PassOutcome::Done, RunWithWorkers(file.get(), path, cancel).outcome);
}

TEST_F(FilePassWorkers, AStopFromAWorkerEndsThePassBeforeTheEnd) {
    const std::string path = dir.Path("sparse.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(path, 512ull * kReadChunk));
    CancelToken stop;
    workers[0].onChunk = [&] { stop.Stop(); };
    base::UniqueFile file = Open(path);
    const PassResult r = RunWithWorkers(file.get(), path, stop);
    EXPECT_EQ(PassOutcome::Stopped, r.outcome);
    EXPECT_LT(r.done, 16 * kReadChunk);
}

// The one open, pass and judgement of a named file that the digests, the
// checksum component, the load and /check read through.
TEST_F(FilePass, ReadFileOnceOpensReadsAndJudgesAFile) {
    const std::string data = Pattern(3 * kReadChunk + 11, 3);
    const std::string path = dir.Write("once.bin", data);
    PassFeeds feeds;
    feeds.reader.push_back(&reader);
    feeds.caller.push_back(&caller);
    // Read whole: both sides fed, the file still open for `done`.
    std::uint64_t sizeWhenDone = 0;
    ReadSteps steps;
    steps.done = [&](HANDLE file) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size)) sizeWhenDone = static_cast<std::uint64_t>(size.QuadPart);
    };
    FileRead read = ReadFileOnce(path, feeds, steps);
    EXPECT_TRUE(read.Done());
    EXPECT_TRUE(data == reader.got && data == caller.got);
    EXPECT_EQ(data.size(), sizeWhenDone);
    EXPECT_TRUE(RaiseUnlessReadWhole(read, path));

    // Not to be read: nothing fed, no `done`, not read whole but no failure.
    reader = RecordingSink();
    caller = RecordingSink();
    sizeWhenDone = 0;
    steps.opened = [](HANDLE) { return false; };
    read = ReadFileOnce(path, feeds, steps);
    EXPECT_EQ(PassOutcome::Stopped, read.result.outcome);
    EXPECT_TRUE(reader.got.empty() && caller.got.empty());
    EXPECT_EQ(0u, sizeWhenDone);
    EXPECT_FALSE(RaiseUnlessReadWhole(read, path));
    steps.opened = nullptr;

    // Held open for writing elsewhere: refused with read sharing only, read
    // when the steps share writing too.
    {
        base::UniqueFile writer = OpenForWriting(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(writer);
        read = ReadFileOnce(path, feeds, steps);
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), read.openError);
        EXPECT_FALSE(read.Done());
        try {
            RaiseUnlessReadWhole(read, path);
            ADD_FAILURE() << "no failure for a file that could not be opened";
        } catch (const base::Exception& e) {
            EXPECT_EQ(0u, std::string(e.what()).find("Cannot open file \"" + FullPathOf(path) + "\". "));
        }
        steps.share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        EXPECT_TRUE(ReadFileOnce(path, feeds, steps).Done());
        steps.share = FILE_SHARE_READ;
    }

    // Deleted while read: gone, and the failure says so.
    reader = RecordingSink();
    reader.onChunk = [&] {
        if (reader.chunks.size() == 1) testutil::RunUnixShell("rm -f '" + testutil::UnixPath(path) + "'");
    };
    read = ReadFileOnce(path, feeds, steps);
    EXPECT_EQ(PassOutcome::Gone, read.result.outcome);
    EXPECT_THROW(RaiseUnlessReadWhole(read, path), FileChangedWhileRead);

    // Missing: the open's error, nothing else asked.
    bool asked = false;
    steps.opened = [&](HANDLE) { return asked = true; };
    read = ReadFileOnce(path, feeds, steps);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), read.openError);
    EXPECT_FALSE(asked);
    EXPECT_THROW(RaiseUnlessReadWhole(read, path), base::Exception);
}

}  // namespace

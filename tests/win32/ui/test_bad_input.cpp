// Bad input in the main window: names that are empty, too long, relative,
// malformed or devices; files at the edges of the digest's blocks; files held,
// changed or growing behind the program's back. Every case has one clear
// outcome, shows no message beyond the one the design gives, writes nothing
// to the inspected file and leaks nothing. The cases are listed with their
// outcomes in docs/bad-input.md.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/frmMain.h"
#include "components/crc.h"
#include "components/filepass.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using testutil::TempDir;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
const char kLoadFailure[] = "No Version Information for this File";

std::wstring LongForm(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

// What the program must never change: the inspected file's bytes and its
// last-write time. Read through the wide \\?\ form, so that paths beyond
// MAX_PATH can be checked too.
struct Snapshot {
    bool exists = false;
    std::string bytes;
    FILETIME lastWrite{};

    static Snapshot Of(const std::string& path) {
        Snapshot s;
        base::UniqueFile f(CreateFileW(LongForm(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     0, nullptr));
        if (!f) return s;
        s.exists = GetFileTime(f.get(), nullptr, nullptr, &s.lastWrite) != FALSE;
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) s.bytes.append(buf, got);
        return s;
    }
    bool operator==(const Snapshot& o) const {
        return exists == o.exists && bytes == o.bytes && CompareFileTime(&lastWrite, &o.lastWrite) == 0;
    }
};

// Files and folders made through the wide \\?\ form, which MAX_PATH does not
// limit, and removed the same way: the temporary folder's own clean-up uses
// the single-byte functions and cannot reach them.
class LongPaths {
public:
    ~LongPaths() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            if (!DeleteFileW(LongForm(*it).c_str())) RemoveDirectoryW(LongForm(*it).c_str());
    }
    // A file under `base` whose full path has exactly `length` characters.
    std::string File(const std::string& base, size_t length, const std::string& bytes) {
        std::string path = base;
        // Folders of 100 characters until the rest fits in one name.
        while (length > path.size() + 1 + 200) {
            path += "\\" + std::string(100, 'd');
            if (CreateDirectoryW(LongForm(path).c_str(), nullptr)) made_.push_back(path);
        }
        path += "\\" + std::string(length - path.size() - 1, 'f');
        base::UniqueFile f(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (f) WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (f) made_.push_back(path);
        return path;
    }

private:
    std::vector<std::string> made_;
};

// Makes `dir` the process's current directory for the object's life.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) {
        GetCurrentDirectoryA(sizeof saved_, saved_);
        SetCurrentDirectoryA(dir.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(saved_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    char saved_[MAX_PATH] = "";
};

// A real named pipe that notices a client: the program must never open it.
class ListeningPipe {
public:
    explicit ListeningPipe(const std::string& name)
        : name_(name),
          pipe_(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 512,
                                 512, 0, nullptr)),
          event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        overlapped_.hEvent = event_.get();
        if (pipe_ && !ConnectNamedPipe(pipe_.get(), &overlapped_))
            listening_ = GetLastError() == ERROR_IO_PENDING;
    }
    ~ListeningPipe() {
        CancelIo(pipe_.get());
        DWORD ignored = 0;
        GetOverlappedResult(pipe_.get(), &overlapped_, &ignored, TRUE);
    }
    bool Listening() const { return listening_; }
    bool ClientCame() const { return WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    base::UniqueFile pipe_;
    base::UniqueFile event_;  // CloseHandle serves an event too
    OVERLAPPED overlapped_{};
    bool listening_ = false;
};

std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

std::string Bytes(size_t size, char seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i * 13 + (i >> 8));
    return s;
}

enum class Outcome {
    Loads,        // blue, every row shows the file, no message
    NamesNoFile,  // red, rows keep the previous file, nothing read, no message
    Empties,      // every row but Product Version emptied, no message
    LoadFails,    // blue, the one load message
};

class BadInput : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
        reference = dir.Write("reference.txt", kReference);
        form->SetText(edt1, reference);
        ASSERT_EQ(testutil::CryptoApiMd5(kReference), form->Text(edt18));
    }
    void TearDown() override { form.reset(); }

    // Assigns `name` to the name box after showing the reference file, and
    // checks the outcome; `contents` are the bytes of the file that a
    // loading name names.
    void Expect(const std::string& name, Outcome outcome, const std::string& contents = "") {
        form->SetText(edt1, reference);
        boxes.clear();
        form->SetText(edt1, name);
        const bool blue = form->FontColor(edt1) == kBlue;
        switch (outcome) {
        case Outcome::Loads:
            EXPECT_TRUE(blue);
            EXPECT_EQ(name, form->SelectedFileName);
            EXPECT_TRUE(boxes.boxes().empty());
            EXPECT_EQ(std::to_string(contents.size()), form->Text(edt4));
            EXPECT_EQ(CrcText(contents), form->Text(edt17));
            EXPECT_EQ(testutil::CryptoApiMd5(contents), form->Text(edt18));
            break;
        case Outcome::NamesNoFile:
            EXPECT_EQ(kRed, form->FontColor(edt1));
            EXPECT_EQ("", form->SelectedFileName);
            EXPECT_TRUE(boxes.boxes().empty());
            EXPECT_EQ(std::to_string(sizeof kReference - 1), form->Text(edt4)) << "the rows keep the last file";
            EXPECT_EQ(testutil::CryptoApiMd5(kReference), form->Text(edt18));
            break;
        case Outcome::Empties:
            EXPECT_EQ("", form->SelectedFileName);
            EXPECT_TRUE(boxes.boxes().empty());
            for (int id = edt2; id <= edt18; ++id) EXPECT_EQ("", form->Text(id)) << id;
            break;
        case Outcome::LoadFails:
            EXPECT_TRUE(blue);
            EXPECT_EQ(name, form->SelectedFileName);
            ASSERT_EQ(1u, boxes.boxes().size());
            EXPECT_EQ(kLoadFailure, boxes.boxes()[0].text);
            EXPECT_EQ("Error", boxes.boxes()[0].caption);
            break;
        }
    }

    static constexpr char kReference[] = "reference";
    TempDir dir;
    std::string reference;
    std::unique_ptr<TForm1> form;
    testutil::MessageBoxRecorder boxes;
};

struct NameCase {
    const char* what;
    std::string name;
    Outcome outcome;
    std::string file;  // the file the name names, checked for changes; empty for none
};

TEST_F(BadInput, NamesHaveOneClearOutcomeAndTheFileStaysUntouched) {
    const std::string contents = "named by a bad name";
    const std::string plain = dir.Write("plain.txt", contents);
    LongPaths longPaths;
    const std::string long255 = longPaths.File(dir.path(), 255, contents);
    const std::string long259 = longPaths.File(dir.path(), 259, contents);
    const std::string long260 = longPaths.File(dir.path(), 260, contents);
    const std::string long300 = longPaths.File(dir.path(), 300, contents);
    ListeningPipe pipe("\\\\.\\pipe\\vantrel-test-" + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(pipe.Listening());
    CurrentDirectory cd(dir.path());
    const std::string base = dir.path() + "\\";

    const NameCase cases[] = {
        {"empty", "", Outcome::Empties, ""},
        {"blanks only", "   ", Outcome::NamesNoFile, ""},
        {"255 characters", long255, Outcome::Loads, long255},
        {"259 characters", long259, Outcome::Loads, long259},
        // Beyond MAX_PATH the file-system layer takes the wide long form.
        {"260 characters", long260, Outcome::Loads, long260},
        {"300 characters", long300, Outcome::Loads, long300},
        {"relative", "plain.txt", Outcome::Loads, plain},
        {"relative with .\\", ".\\plain.txt", Outcome::Loads, plain},
        {"relative through ..", "sub\\..\\plain.txt", Outcome::Loads, plain},
        {"star", base + "plain*.txt", Outcome::NamesNoFile, plain},
        {"question mark", base + "plai?.txt", Outcome::NamesNoFile, plain},
        {"less than", base + "<plain.txt", Outcome::NamesNoFile, plain},
        {"greater than", base + "plain.txt>", Outcome::NamesNoFile, plain},
        {"bar", base + "plain.txt|", Outcome::NamesNoFile, plain},
        {"in double quotes", "\"" + plain + "\"", Outcome::NamesNoFile, plain},
        {"trailing dot", plain + ".", Outcome::Loads, plain},
        {"trailing blank", plain + " ", Outcome::Loads, plain},
        {"long form \\\\?\\", "\\\\?\\" + plain, Outcome::Loads, plain},
        {"CON", "CON", Outcome::NamesNoFile, ""},
        {"NUL", "NUL", Outcome::NamesNoFile, ""},
        {"COM1", "COM1", Outcome::NamesNoFile, ""},
        {"COM with a superscript one", u8"COM¹", Outcome::NamesNoFile, ""},
        {"nul with an extension", "nul.txt", Outcome::NamesNoFile, ""},
        {"device in a folder", base + "con", Outcome::NamesNoFile, ""},
        {"\\\\.\\NUL", "\\\\.\\NUL", Outcome::NamesNoFile, ""},
        {"a volume", "\\\\.\\C:", Outcome::NamesNoFile, ""},
        {"a pipe", pipe.Name(), Outcome::NamesNoFile, ""},
    };
    auto runAll = [&] {
        for (const NameCase& c : cases) {
            SCOPED_TRACE(c.what);
            const Snapshot was = Snapshot::Of(c.file);
            Expect(c.name, c.outcome, contents);
            if (!c.file.empty()) {
                EXPECT_TRUE(was == Snapshot::Of(c.file)) << "the inspected file changed";
            }
        }
        form->SetText(edt1, reference);
    };
    runAll();  // the first pass also fills the shell's caches
    const testutil::ResourceCounts before = testutil::LiveResources();
    runAll();
    const testutil::ResourceCounts after = testutil::LiveResources();
    EXPECT_FALSE(pipe.ClientCame()) << "the pipe was opened";
    // Wine's GDI takes a few objects once, at a moment of its own choosing.
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_LE(after.gdi, before.gdi + 4);
    EXPECT_LE(after.user, before.user + 4);
}

TEST_F(BadInput, FilesAtTheEdgesOfTheDigestsBlocksLoadWhole) {
    for (size_t size : {0, 55, 56, 63, 64, 65}) {
        SCOPED_TRACE(size);
        const std::string data = Bytes(size, static_cast<char>('a' + size));
        const std::string path = dir.Write("edge" + std::to_string(size) + ".bin", data);
        const Snapshot was = Snapshot::Of(path);
        Expect(path, Outcome::Loads, data);
        EXPECT_TRUE(was == Snapshot::Of(path));
    }
}

TEST_F(BadInput, AFileHeldWithoutReadSharingFailsWithTheOneMessage) {
    const std::string path = dir.Write("locked.txt", "locked away");
    const Snapshot was = Snapshot::Of(path);
    base::UniqueFile holder(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    ASSERT_TRUE(holder.valid());
    Expect(path, Outcome::LoadFails);
    EXPECT_EQ("", form->Text(edt18)) << "no digest of another file next to this name";
    holder.reset();
    EXPECT_TRUE(was == Snapshot::Of(path));
}

TEST_F(BadInput, AFileChangedBetweenLoadAndSaveIsReportedAsShown) {
    const std::string path = dir.Write("changing.txt", "first version");
    form->SetText(edt1, path);
    const std::string shownDigest = form->Text(edt18);
    dir.Write("changing.txt", "second, longer version");
    const std::string target = dir.Path("report.txt");
    form->dlg1.onExecute = [&](ui::TSaveDialog& dlg, HWND) {
        dlg.FileName = target;
        return true;
    };
    boxes.clear();
    form->image4Click();
    EXPECT_TRUE(boxes.boxes().empty());
    const std::string report = testutil::ReadAll(target);
    EXPECT_NE(std::string::npos, report.find("\r\nFile Size (bytes): 13\r\n")) << report;
    EXPECT_NE(std::string::npos, report.find("\r\nMD5: " + shownDigest + "\r\n")) << report;
    EXPECT_EQ("second, longer version", testutil::ReadAll(path));
}

// The load's one pass shares reading only: nobody on Windows writes to the
// file while it is read. A writer outside (on the host) is seen afterwards.
TEST_F(BadInput, AFileGrowingWhileReadIsNotChecksummed) {
    // Sparse, so that the load is long enough on any machine.
    const std::uint64_t size = 96 * kReadChunk + 5;
    const std::string path = dir.Path("growing.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(path, size));
    bool tried = false, writerRefused = false, grown = false;
    form->LoadPass().onTick = [&](std::uint64_t done, std::uint64_t) {
        if (tried || done == 0) return;
        tried = true;
        base::UniqueFile writer(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        writerRefused = !writer && GetLastError() == ERROR_SHARING_VIOLATION;
        grown = testutil::RunUnixShell("printf more >> '" + testutil::UnixPath(path) + "'");
    };
    form->SetText(edt1, path);
    ASSERT_TRUE(grown);
    EXPECT_TRUE(writerRefused) << "nobody writes while the load reads";
    WIN32_FILE_ATTRIBUTE_DATA now{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now));
    EXPECT_EQ(size + 4, (static_cast<std::uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_NE(std::string::npos, boxes.boxes()[0].text.find("growing.bin\" changed while it was read"))
        << boxes.boxes()[0].text;
    EXPECT_EQ(std::to_string(size), form->Text(edt4)) << "the size of the directory entry read first";
    EXPECT_EQ("", form->Text(edt17));
    EXPECT_EQ("", form->Text(edt18));
}

}  // namespace

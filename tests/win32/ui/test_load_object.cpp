// One load, one file: a load can be stopped by the inputs that stop it, never
// runs inside another, never shows rows of two files, and says so when its
// file changed while it was read. Large sparse files keep the loads long
// without filling the disk; changes that Windows' sharing rules would refuse
// are made from the host, as another program there would.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/window/frmMain.h"
#include "components/crc.h"
#include "components/filepass.h"
#include "components/md5.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

namespace {

// A stop must come within 200 ms of the input; the margin covers a machine
// shared with other work.
constexpr DWORD kStopMarginMs = 600;
constexpr std::uint64_t kGiB = 1ull << 30;

std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

// Every row the refresh writes, as text, in the refresh's order.
std::vector<std::string> Rows(TForm1& form) {
    std::vector<std::string> rows;
    for (int id : {edt2, edt3, edt4, edt5, edt6, edt7, edt8, edt9, edt19, edt10, edt11, edt12, edt13, edt14, edt15,
                   edt16, edt17, edt18})
        rows.push_back(form.Text(id));
    for (int id = chk1; id <= chk7; ++id) rows.push_back(form.Checked(id) ? "checked" : "clear");
    return rows;
}

// The rows a window that loads only `path` shows.
std::vector<std::string> RowsOf(const std::string& path) {
    std::unique_ptr<TForm1> alone = testutil::NewMainForm();
    alone->SetText(edt1, path);
    return Rows(*alone);
}

class LoadObject : public testing::Test {
protected:
    void SetUp() override {
        big = dir.Path("big.bin");
        ASSERT_TRUE(testutil::MakeSparseFile(big, 4 * kGiB));
        form = testutil::NewMainForm();
    }
    // Runs `act` once, at the first tick after the load has read `after` bytes.
    void AtTick(std::uint64_t after, std::function<void()> act) {
        auto done = std::make_shared<bool>(false);
        form->LoadPass().onTick = [after, act, done](std::uint64_t read, std::uint64_t) {
            if (*done || read < after) return;
            *done = true;
            act();
        };
    }

    testutil::TempDir dir;
    testutil::MessageBoxRecorder boxes;
    std::string big;
    std::unique_ptr<TForm1> form;
};

struct Stopper {
    const char* input;
    std::function<void(TForm1&)> post;
    bool closes;
};

void PostClick(HWND picture) {
    PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST_F(LoadObject, EachStoppingInputStopsALargeLoadAtOnceAndIsActedOnAfterIt) {
    const std::string small = dir.Write("small.txt", "small file");
    const Stopper stoppers[] = {
        {"Esc", [](TForm1& f) { PostMessageA(f.Control(edt1), WM_KEYDOWN, VK_ESCAPE, 1); }, false},
        {"a drop",
         [&](TForm1& f) {
             PostMessageA(f.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(testutil::MakeDrop({small})), 0);
         },
         false},
        {"Clear", [](TForm1& f) { PostClick(f.Control(image8)); }, false},
        {"Exit", [](TForm1& f) { PostClick(f.Control(image5)); }, true},
        {"the close box", [](TForm1& f) { PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"Alt+F4", [](TForm1& f) { PostMessageA(f.Handle(), WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)); }, true},
        {"closing", [](TForm1& f) { PostMessageA(f.Handle(), WM_CLOSE, 0, 0); }, true},
    };
    for (const Stopper& s : stoppers) {
        SCOPED_TRACE(s.input);
        form.reset();  // the new window is the program's main window, which closing ends
        form = testutil::NewMainForm();
        boxes.clear();
        DWORD posted = 0;
        AtTick(8 * kReadChunk, [&] {
            posted = GetTickCount();
            s.post(*form);
        });
        form->SetText(edt1, big);
        const DWORD stoppedAfter = GetTickCount() - posted;
        ASSERT_NE(0u, posted);
        EXPECT_LT(stoppedAfter, kStopMarginMs);
        // Stopped: the name in blue, the rows before the checksums written,
        // the checksum rows empty, no message.
        EXPECT_EQ(big, form->Text(edt1));
        EXPECT_EQ(RGB(0, 0, 255), form->FontColor(edt1));
        EXPECT_EQ(std::to_string(4 * kGiB), form->Text(edt4));
        EXPECT_EQ("", form->Text(edt17));
        EXPECT_EQ("", form->Text(edt18));
        EXPECT_TRUE(boxes.boxes().empty());
        // Then the input is acted on.
        testutil::Pump();
        if (s.closes) {
            EXPECT_FALSE(IsWindow(form->Handle()));
        } else if (std::string(s.input) == "a drop") {
            EXPECT_EQ(small, form->Text(edt1));
            EXPECT_EQ(CrcText("small file"), form->Text(edt17));
        } else if (std::string(s.input) == "Clear") {
            EXPECT_EQ("", form->Text(edt1));
            EXPECT_EQ("", form->Text(edt4));
        } else {
            EXPECT_EQ(big, form->Text(edt1));
        }
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

TEST_F(LoadObject, AStoppedChecksumIsComputedInFullByTheNextLoadOfTheSameName) {
    const std::string path = dir.Path("medium.bin");
    const std::size_t size = 128 * kReadChunk;
    ASSERT_TRUE(testutil::MakeSparseFile(path, size));
    AtTick(2 * kReadChunk, [&] { PostMessageA(form->Control(edt1), WM_KEYDOWN, VK_ESCAPE, 1); });
    form->SetText(edt1, path);
    ASSERT_EQ("", form->Text(edt17));
    EXPECT_NE(path, form->dcflcrc1.FILENAME()) << "a stopped read does not count as done";

    form->LoadPass().onTick = nullptr;
    form->SetText(edt1, "");
    form->SetText(edt1, path);
    const std::string zeros(size, '\0');
    EXPECT_EQ(CrcText(zeros), form->Text(edt17));
    EXPECT_EQ(testutil::CryptoApiMd5(zeros), form->Text(edt18));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LoadObject, ANameSentFromAnotherThreadStopsTheLoadAndIsLoadedAfterIt) {
    const std::string plain = dir.Write("plain.txt", "plain text");
    std::thread sender;
    AtTick(8 * kReadChunk, [&] {
        HWND box = form->Control(edt1);
        sender = std::thread([box, plain] {
            SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(plain.c_str()));
        });
    });
    form->SetText(edt1, big);
    sender.join();
    EXPECT_EQ(plain, form->Text(edt1));
    EXPECT_EQ(RGB(0, 0, 255), form->FontColor(edt1));
    EXPECT_EQ(plain, form->SelectedFileName);
    EXPECT_EQ(RowsOf(plain), Rows(*form));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LoadObject, TwoHundredRapidNameChangesEndWithEveryRowOfTheLastFile) {
    const std::string a = dir.Write("a.txt", "first small file");
    const std::string b = dir.Write("b.dat", std::string(3000, 'b'));
    const std::string missing = dir.Path("missing.txt");
    // Two senders, a hundred names each, both ending with b.dat: while one
    // waits for its change to be handled, the other's arrives, as from tools
    // that type fast. A change sent during a load stops it.
    // A file that is still read when the next change comes, and short enough
    // that the loads nobody stops keep the test short.
    const std::string large = dir.Path("large.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(large, 96 * kReadChunk));
    const std::string names[] = {large, a, missing, large, b};
    std::atomic<int> finished{0};
    HWND box = form->Control(edt1);
    std::vector<std::thread> senders;
    AtTick(kReadChunk, [&] {
        for (int t = 0; t < 2; ++t)
            senders.emplace_back([&, box, t] {
                for (int i = 0; i < 100; ++i) {
                    const std::string& name = i == 99 ? b : names[(i + t * 2) % 5];
                    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
                }
                ++finished;
            });
    });
    form->SetText(edt1, large);
    const DWORD start = GetTickCount();
    while ((finished < 2 || form->Loading()) && GetTickCount() - start < 120000) {
        testutil::Pump();
        Sleep(1);
    }
    for (std::thread& t : senders) t.join();
    testutil::Pump();
    ASSERT_EQ(b, form->Text(edt1));
    EXPECT_EQ(RGB(0, 0, 255), form->FontColor(edt1));
    EXPECT_EQ(RowsOf(b), Rows(*form));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LoadObject, ANameWithALeadingBlankIsNeverTradedForItsTrimmedTwin) {
    const std::string blank = dir.Write(" twin.txt", "the file with the blank");
    dir.Write("twin.txt", "the other one");
    form->SetText(edt1, blank);
    EXPECT_EQ(blank, form->Finfo1.FILENAME());
    EXPECT_EQ(std::to_string(std::string("the file with the blank").size()), form->Text(edt4));
    EXPECT_EQ(CrcText("the file with the blank"), form->Text(edt17));
    EXPECT_EQ(MD5Hex("the file with the blank", 23), form->Text(edt18));
    EXPECT_TRUE(boxes.boxes().empty());
}

struct Fault {
    const char* name;
    const char* command;  // %s: the file's host path
    const char* message;  // what the message says after the file's name
};

TEST_F(LoadObject, AFileChangedDuringItsReadGivesOneMessageNamingItAndNoChecksums) {
    const Fault faults[] = {
        {"replaced", "printf eighteen-bytes-new > '%s.new' && mv '%s.new' '%s'", "\" changed while it was read"},
        {"truncated", "truncate -s 1000 '%s'", "\" changed while it was read"},
        {"deleted", "rm '%s'", "\" was deleted while it was read"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        const std::string path = dir.Path("moving.bin");
        ASSERT_TRUE(testutil::MakeSparseFile(path, 200 * kReadChunk));
        form.reset();  // the new window is the program's main window, which closing ends
        form = testutil::NewMainForm();
        boxes.clear();
        bool changed = false;
        AtTick(2 * kReadChunk, [&] {
            std::string command = f.command;
            const std::string unix = testutil::UnixPath(path);
            for (std::size_t at; (at = command.find("%s")) != std::string::npos;) command.replace(at, 2, unix);
            changed = testutil::RunUnixShell(command);
        });
        form->SetText(edt1, path);
        ASSERT_TRUE(changed);
        ASSERT_EQ(1u, boxes.boxes().size());
        EXPECT_EQ("Error", boxes.boxes()[0].caption);
        EXPECT_NE(std::string::npos, boxes.boxes()[0].text.find("moving.bin" + std::string(f.message)))
            << boxes.boxes()[0].text;
        EXPECT_EQ(path, form->Text(edt1));
        EXPECT_EQ(std::to_string(200 * kReadChunk), form->Text(edt4)) << "the rows before the checksums stay";
        EXPECT_EQ("", form->Text(edt17)) << "never a checksum of 0 or of other bytes";
        EXPECT_EQ("", form->Text(edt18));
        EXPECT_NE(path, form->dcflcrc1.FILENAME());
        DeleteFileA(path.c_str());
    }
}

TEST_F(LoadObject, NobodyWritesWhileTheLoadReads) {
    DWORD error = ERROR_SUCCESS;
    AtTick(kReadChunk, [&] {
        base::UniqueFile writer(testutil::OpenForWriting(big));
        error = writer ? ERROR_SUCCESS : GetLastError();
        PostMessageA(form->Control(edt1), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    form->SetText(edt1, big);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), error);
}

std::size_t ThreadsOfThisProcess() {
    base::UniqueFile snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    std::size_t n = 0;
    for (BOOL ok = Thread32First(snap.get(), &te); ok; ok = Thread32Next(snap.get(), &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    return n;
}

TEST_F(LoadObject, AHundredStoppedLoadsLeakNothing) {
    bool escPosted = false;
    form->LoadPass().onTick = [&](std::uint64_t done, std::uint64_t) {
        if (escPosted || done < 2 * kReadChunk) return;
        escPosted = true;
        PostMessageA(form->Control(edt1), WM_KEYDOWN, VK_ESCAPE, 1);
    };
    form->SetText(edt1, big);  // the first load creates what lives as long as the window
    form->SetText(edt1, "");
    testutil::Pump();
    const testutil::ResourceCounts before = testutil::LiveResources();
    const std::size_t threadsBefore = ThreadsOfThisProcess();
    for (int i = 0; i < 100; ++i) {
        escPosted = false;
        form->SetText(edt1, big);
        ASSERT_EQ("", form->Text(edt17));
        form->SetText(edt1, "");
    }
    testutil::Pump();
    const testutil::ResourceCounts after = testutil::LiveResources();
    EXPECT_LE(after.handles, before.handles + 2);
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_EQ(threadsBefore, ThreadsOfThisProcess());
}

}  // namespace

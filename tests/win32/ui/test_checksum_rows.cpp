// The CRC and MD5 rows of the main window on real files, and the window's
// behaviour while a load reads a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/busyprogress.h"
#include "app/frmMain.h"
#include "components/crc.h"
#include "components/filereader.h"
#include "components/md5.h"
#include "base/handles.h"
#include "testutil.h"

using namespace frmMain;

namespace {

std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

std::string Md5Text(const std::string& data) { return MD5Hex(data.data(), data.size()); }

std::string Bytes(std::size_t size, char seed) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i * 7 + (i >> 9));
    return s;
}

class ChecksumRows : public testing::Test {
protected:
    void SetUp() override { SelectedFileName.clear(); }

    // Loads `path` through the name box, also when the box shows it already.
    void Load(const std::string& path) {
        if (form.Text(edt1) == path) form.SetText(edt1, "");
        form.SetText(edt1, path);
    }

    testutil::TempDir dir;
    testutil::MessageBoxRecorder boxes;
    TForm1 form{"vantrel.exe"};
};

TEST_F(ChecksumRows, ShowTheChecksumAndDigestOfTheLoadedFile) {
    const std::string contents[] = {std::string(), "123456789", Bytes(56, 'a'), Bytes(kReadChunk + 3, 'q')};
    int n = 0;
    for (const std::string& data : contents) {
        const std::string path = dir.Write("file" + std::to_string(++n) + ".dat", data);
        SCOPED_TRACE(path);
        Load(path);
        EXPECT_EQ(CrcText(data), form.Text(edt17));
        EXPECT_EQ(Md5Text(data), form.Text(edt18));
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ChecksumRows, TheChecksumIsASnapshotAndTheDigestIsFresh) {
    const std::string before = Bytes(500, 'b'), after = Bytes(500, 'c');
    const std::string path = dir.Write("changes.dat", before);
    const std::string other = dir.Write("other.dat", "other");
    Load(path);
    dir.Write("changes.dat", after);

    Load(path);
    EXPECT_EQ(CrcText(before), form.Text(edt17));
    EXPECT_EQ(Md5Text(after), form.Text(edt18));

    Load(other);
    Load(path);
    EXPECT_EQ(CrcText(after), form.Text(edt17));
    EXPECT_EQ(Md5Text(after), form.Text(edt18));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ChecksumRows, ADigestThatCannotBeComputedLeavesNoOldDigest) {
    const std::string first = dir.Write("first.dat", "first file");
    const std::string data = Bytes(3000, 'd');
    const std::string busy = dir.Write("busy.dat", data);
    Load(first);
    ASSERT_EQ(Md5Text("first file"), form.Text(edt18));

    base::UniqueFile writer(testutil::OpenForWriting(busy));
    ASSERT_TRUE(writer);
    Load(busy);

    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("No Version Information for this File", boxes.boxes()[0].text);
    EXPECT_EQ("Error", boxes.boxes()[0].caption);
    EXPECT_EQ("", form.Text(edt18));
    EXPECT_EQ(busy, SelectedFileName);
    EXPECT_EQ(form.Finfo1.DisplayName(), form.Text(edt2));
    EXPECT_EQ(std::to_string(data.size()), form.Text(edt4));
    EXPECT_EQ(CrcText(data), form.Text(edt17));
}

// Watches a load through the window's own busy display: each chunk takes a
// while, so that the display has reasons to act, and every call is checked.
class SlowReads : public ReadProgress {
public:
    SlowReads(HWND window, DWORD delayMs, DWORD chunkMs)
        : busy(window, delayMs), chunkMs_(chunkMs), previous_(SetReadProgress(this)) {}
    ~SlowReads() override { SetReadProgress(previous_); }

    void Begin(std::uint64_t total) override {
        ++reads;
        busy.Begin(total);
    }
    void Step(std::uint64_t done, std::uint64_t total) override {
        Sleep(chunkMs_);
        busy.Step(done, total);
        if (onStep) onStep();
    }
    void End() override {
        busy.End();
        if (onEnd) onEnd();
    }

    BusyProgress busy;
    int reads = 0;
    std::function<void()> onStep, onEnd;

private:
    DWORD chunkMs_;
    ReadProgress* previous_;
};

class BusyWindow : public ChecksumRows {
protected:
    static bool WaitCursor() { return GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)); }
};

TEST_F(BusyWindow, PaintsAndAnswersSentMessagesButTakesNoInputWhileReading) {
    const std::string data = Bytes(6 * kReadChunk, 'e');
    const std::string path = dir.Write("big.dat", data);
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(form.Handle());
    testutil::Pump();
    HWND edit = form.Control(edt2);
    const UINT kPosted = WM_APP + 17;

    SlowReads reads(form.Handle(), 0, 40);
    std::atomic<bool> answered{false};
    std::thread asker;
    bool invalidated = false, paintedDuringRead = false, answeredDuringRead = false;
    // Nothing here may look at the queue: that alone would answer sent messages.
    reads.onStep = [&] {
        if (!asker.joinable()) {
            InvalidateRect(edit, nullptr, TRUE);
            invalidated = GetUpdateRect(edit, nullptr, FALSE) != FALSE;
            PostMessageA(form.Handle(), kPosted, 0, 0);
            HWND target = form.Handle();
            asker = std::thread([&answered, target] {
                DWORD_PTR result = 0;
                answered = SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
            });
            return;
        }
        paintedDuringRead = paintedDuringRead || !GetUpdateRect(edit, nullptr, FALSE);
        answeredDuringRead = answeredDuringRead || answered;
    };
    Load(path);
    MSG msg;
    const bool postedKept = PeekMessageA(&msg, form.Handle(), kPosted, kPosted, PM_REMOVE) != FALSE;
    asker.join();

    ASSERT_TRUE(invalidated);
    EXPECT_TRUE(paintedDuringRead);
    EXPECT_TRUE(answeredDuringRead);
    EXPECT_TRUE(postedKept);
    EXPECT_EQ(CrcText(data), form.Text(edt17));
    EXPECT_EQ(Md5Text(data), form.Text(edt18));
}

TEST_F(BusyWindow, ShowsBusyFromTheDelayToTheEndOfTheLoad) {
    const std::string path = dir.Write("big.dat", Bytes(8 * kReadChunk, 'f'));
    SlowReads reads(form.Handle(), 150, 30);
    bool busyAtFirstStep = true, busyAtLastStep = false;
    reads.onStep = [&] {
        if (reads.reads == 1 && busyAtFirstStep) busyAtFirstStep = reads.busy.Showing() && WaitCursor();
        busyAtLastStep = reads.busy.Showing() && WaitCursor();
    };
    Load(path);

    EXPECT_EQ(1, reads.reads) << "the checksum's read serves the digest too";
    EXPECT_FALSE(busyAtFirstStep);
    EXPECT_TRUE(busyAtLastStep);
    // The load is over once the thread waits for messages again.
    Sleep(50);
    testutil::Pump();
    EXPECT_FALSE(reads.busy.Showing());
    EXPECT_FALSE(WaitCursor());
}

// One pass serves both checksums only while the file stays as it was read.
TEST_F(BusyWindow, AFileChangedDuringTheChecksumIsDigestedAgain) {
    const std::string path = dir.Write("moving.dat", Bytes(3 * kReadChunk, 'h'));
    const std::string changed = Bytes(3 * kReadChunk + 5, 'i');
    SlowReads reads(form.Handle(), 5000, 0);
    reads.onEnd = [&] {
        if (reads.reads != 1) return;
        base::UniqueFile w(testutil::OpenForWriting(path));
        DWORD written = 0;
        WriteFile(w.get(), changed.data(), static_cast<DWORD>(changed.size()), &written, nullptr);
    };
    Load(path);
    EXPECT_EQ(2, reads.reads);
    EXPECT_EQ(Md5Text(changed), form.Text(edt18)) << "the digest describes the file as it is now";
    reads.onEnd = nullptr;
    reads.reads = 0;
    form.SetText(edt1, "");
    Load(path);
    EXPECT_EQ(1, reads.reads) << "an unchanged name computes no checksum; the digest reads alone";
    EXPECT_EQ(Md5Text(changed), form.Text(edt18));
}

TEST_F(BusyWindow, ShortLoadsShowNothing) {
    const std::string path = dir.Write("small.dat", Bytes(2 * kReadChunk, 'g'));
    SlowReads reads(form.Handle(), 5000, 0);
    bool everShown = false;
    reads.onStep = [&] { everShown = everShown || reads.busy.Showing() || WaitCursor(); };
    Load(path);
    EXPECT_FALSE(everShown);
}

}  // namespace

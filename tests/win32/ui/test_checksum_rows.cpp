// The CRC and MD5 rows of the main window on real files, and the window's
// behaviour while a load reads a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/window/busyprogress.h"
#include "app/window/frmMain.h"
#include "app/signature/signaturecheck.h"
#include "app/verify/verify.h"
#include "ui/application.h"
#include "components/crc.h"
#include "components/filepass.h"
#include "components/md5.h"
#include "base/handles.h"
#include "testutil.h"

using namespace frmMain;

namespace {

std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

std::string Md5Text(const std::string& data) { return MD5Hex(data.data(), data.size()); }

// The CRC-32 as checksum tools write it (the row shows the register's complement).
std::string UsualCrcHex(const std::string& data) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", ~crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
    return hex;
}

std::string Bytes(std::size_t size, char seed) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i * 7 + (i >> 9));
    return s;
}

class ChecksumRows : public testing::Test {
protected:
    

    // Loads `path` through the name box, also when the box shows it already.
    void Load(const std::string& path) {
        if (form.Text(edt1) == path) form.SetText(edt1, "");
        form.SetText(edt1, path);
    }

    // The signature check after a load holds the file open for a moment; a
    // test that rewrites the file waits for it, as a user's editor would retry.
    void WaitForSignatureCheck() {
        const DWORD start = GetTickCount();
        while (form.Signature().Running() && GetTickCount() - start < 20000) {
            ui::Application().ProcessMessages();
            Sleep(5);
        }
        ASSERT_FALSE(form.Signature().Running());
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

// However the name comes back after the file's bytes changed, both checksum
// rows are of the bytes that load read, and a CRC on the clipboard is judged
// against the new one.
TEST_F(ChecksumRows, BothRowsAreOfTheBytesTheLoadRead) {
    const std::string before = Bytes(500, 'b'), after = Bytes(500, 'c');
    const std::string other = dir.Write("other.dat", "other");
    const std::string path = dir.Path("changes.dat");
    struct Case {
        const char* what;
        std::function<void()> nameAgain;
    };
    const Case cases[] = {
        {"Clear, then the name again",
         [&] {
             form.image8Click();
             form.SetText(edt1, path);
         }},
        {"the name's last letter typed again",
         [&] {
             form.SetText(edt1, path.substr(0, path.size() - 1));
             form.SetText(edt1, path);
         }},
        {"the same name pasted over itself",
         [&] {
             HWND box = form.Control(edt1);
             SendMessageA(box, EM_SETSEL, 0, -1);
             SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WaitForSignatureCheck();
        dir.Write("changes.dat", before);
        Load(other);
        Load(path);
        ASSERT_EQ(CrcText(before), form.Text(edt17));
        WaitForSignatureCheck();
        dir.Write("changes.dat", after);
        c.nameAgain();
        EXPECT_EQ(path, form.Text(edt1));
        EXPECT_EQ(Md5Text(after), form.Text(edt18));
        EXPECT_EQ(CrcText(after), form.Text(edt17));
        testutil::PutOnClipboard(UsualCrcHex(after));
        form.Verifier().Check();
        EXPECT_EQ(ClipboardVerifier::kMatch, form.Verifier().RowColor(edt17));
        testutil::PutOnClipboard(UsualCrcHex(before));
        form.Verifier().Check();
        EXPECT_EQ(ClipboardVerifier::kDiffer, form.Verifier().RowColor(edt17));
    }
    testutil::PutOnClipboard("");
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
    EXPECT_EQ(busy, form.SelectedFileName);
    EXPECT_EQ(form.Finfo1.DisplayName(), form.Text(edt2));
    EXPECT_EQ(std::to_string(data.size()), form.Text(edt4));
    EXPECT_EQ(CrcText(data), form.Text(edt17));
}

class BusyWindow : public ChecksumRows {
protected:
    static bool WaitCursor() { return GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)); }
    // The first ten ticks of the load's pass take this long each, so that the
    // window has reasons to act while it reads.
    void SlowTicks(DWORD ms, std::function<void(std::uint64_t done)> also = nullptr) {
        auto ticks = std::make_shared<int>(0);
        form.LoadPass().onTick = [ms, also, ticks](std::uint64_t done, std::uint64_t) {
            if (++*ticks <= 10) Sleep(ms);
            if (also) also(done);
        };
    }
};

// Sparse files of zeros keep the loads long enough for several ticks on any
// machine without filling the disk.
std::string Zeros(testutil::TempDir& dir, const char* name, std::size_t size) {
    const std::string path = dir.Path(name);
    return testutil::MakeSparseFile(path, size) ? path : std::string();
}

TEST_F(BusyWindow, PaintsAndAnswersSentMessagesButTakesNoInputWhileReading) {
    const std::string data(96 * kReadChunk, '\0');
    const std::string path = Zeros(dir, "big.dat", data.size());
    ASSERT_FALSE(path.empty());
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(form.Handle());
    testutil::Pump();
    HWND edit = form.Control(edt2);
    const UINT kPosted = WM_APP + 17;

    std::atomic<bool> answered{false};
    std::thread asker;
    bool invalidated = false, paintedDuringRead = false, answeredDuringRead = false;
    // Nothing here may look at the queue: that alone would answer sent messages.
    SlowTicks(40, [&](std::uint64_t) {
        if (!asker.joinable()) {
            InvalidateRect(edit, nullptr, TRUE);
            invalidated = GetUpdateRect(edit, nullptr, FALSE) != FALSE;
            PostMessageA(form.Handle(), kPosted, 0, 0);
            // Typing during the load is not acted on.
            PostMessageA(form.Control(edt1), WM_CHAR, 'x', 0);
            HWND target = form.Handle();
            asker = std::thread([&answered, target] {
                DWORD_PTR result = 0;
                answered = SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
            });
            return;
        }
        paintedDuringRead = paintedDuringRead || !GetUpdateRect(edit, nullptr, FALSE);
        answeredDuringRead = answeredDuringRead || answered;
    });
    Load(path);
    MSG msg;
    const bool postedKept = PeekMessageA(&msg, form.Handle(), kPosted, kPosted, PM_REMOVE) != FALSE;
    ASSERT_TRUE(asker.joinable());
    asker.join();
    testutil::Pump();

    ASSERT_TRUE(invalidated);
    EXPECT_TRUE(paintedDuringRead);
    EXPECT_TRUE(answeredDuringRead);
    EXPECT_TRUE(postedKept);
    EXPECT_EQ(path, form.Text(edt1)) << "the key typed during the load was dropped";
    EXPECT_EQ(CrcText(data), form.Text(edt17));
    EXPECT_EQ(testutil::CryptoApiMd5(data), form.Text(edt18));
}

TEST_F(BusyWindow, ShowsBusyAndTheProgressInGreyFromTheDelayToTheEndOfTheLoad) {
    const std::string data(96 * kReadChunk, '\0');
    const std::string path = Zeros(dir, "big.dat", data.size());
    ASSERT_FALSE(path.empty());
    const COLORREF rowColour = form.FontColor(edt18);
    bool busyAtFirstTick = true, busyAtLastTick = false, first = true;
    std::string lastText;
    COLORREF lastColour = CLR_INVALID;
    DWORD started = 0;
    // Slow ticks until the load has run well past the busy delay.
    form.LoadPass().onTick = [&](std::uint64_t, std::uint64_t) {
        if (first) started = GetTickCount();
        if (GetTickCount() - started < 800) Sleep(70);
        if (first) busyAtFirstTick = WaitCursor();
        first = false;
        busyAtLastTick = WaitCursor();
        lastText = testutil::WindowText(form.Control(edt18));
        lastColour = form.FontColor(edt18);
    };
    Load(path);

    EXPECT_FALSE(busyAtFirstTick);
    EXPECT_TRUE(busyAtLastTick);
    EXPECT_EQ(0u, lastText.find("Reading ")) << lastText;
    EXPECT_NE(std::string::npos, lastText.find("% ")) << lastText;
    EXPECT_NE(std::string::npos, lastText.find(" MB/s ")) << lastText;
    EXPECT_NE(std::string::npos, lastText.find(" Esc stops")) << lastText;
    EXPECT_EQ(RGB(128, 128, 128), lastColour);
    // The digest replaces the progress, in the row's own colour.
    EXPECT_EQ(testutil::CryptoApiMd5(data), form.Text(edt18));
    EXPECT_EQ(rowColour, form.FontColor(edt18));
    EXPECT_FALSE(WaitCursor());
}

TEST(LoadProgressText, SaysHowFarHowFastAndHowToStop) {
    EXPECT_EQ(L"Reading 37% \u00B7 690 MB/s \u00B7 Esc stops", WindowPass::ProgressText(370, 1000, 370 / 690e6));
    EXPECT_EQ(L"Reading 0% \u00B7 0 MB/s \u00B7 Esc stops", WindowPass::ProgressText(0, 1000, 0));
    EXPECT_EQ(L"Reading 100% \u00B7 0 MB/s \u00B7 Esc stops", WindowPass::ProgressText(0, 0, 0));
}

TEST_F(BusyWindow, ShortLoadsShowNothing) {
    const std::string path = dir.Write("small.dat", Bytes(2 * kReadChunk, 'g'));
    bool everShown = false;
    SlowTicks(0, [&](std::uint64_t) {
        everShown = everShown || WaitCursor() || testutil::WindowText(form.Control(edt18)).find("Reading") == 0;
    });
    Load(path);
    EXPECT_FALSE(everShown);
}

}  // namespace

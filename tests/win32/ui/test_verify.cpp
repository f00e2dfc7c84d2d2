// Verifying against the clipboard: each kind of hash put on the real
// clipboard, matching and differing, in either case and with a file name;
// the row colours as the window paints them and the tooltips as the tooltip
// control holds them. Expected digests come from the system's CryptoAPI and
// the byte-at-a-time CRC.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "app/frmMain.h"
#include "app/ondemand.h"
#include "app/verify.h"
#include "components/crc.h"
#include "mainform.h"
#include "testutil.h"
#include "base/errors.h"

using namespace frmMain;

using testutil::PutOnClipboard;

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    return s;
}

// Pumps through the program's own loop until `done` holds; a generous bound
// only keeps a broken build from hanging.
template <typename F>
bool PumpUntil(F&& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 5000) return false;
        ui::Application().ProcessMessages();
        Sleep(5);
    }
    return true;
}

void PumpAWhile() {
    for (int i = 0; i < 10; ++i) {
        ui::Application().ProcessMessages();
        Sleep(5);
    }
}

class Verify : public testing::Test {
protected:
    void SetUp() override {
        PutOnClipboard("nothing to compare");
        std::string bytes(300000, '\0');
        std::uint32_t x = 77;
        for (char& c : bytes) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 23);
        }
        data = bytes;
        path = dir.Write("download.bin", data);
        form = testutil::NewMainForm();
        form->Show(SW_SHOWNORMAL);
        form->SetText(edt1, path);
        PumpAWhile();
        md5 = testutil::CryptoApiMd5(data);
        sha1 = testutil::CryptoApiHash(CALG_SHA1, data);
        sha256 = testutil::CryptoApiHash(CALG_SHA_256, data);
        const std::uint32_t row = crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size());
        crcRow = std::to_string(row);
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", ~row);
        crcUsual = hex;
        ASSERT_EQ(md5, form->Text(edt18));
        ASSERT_EQ(crcRow, form->Text(edt17));
    }
    void TearDown() override { form.reset(); }

    // The background the row's parent gives it when it paints.
    COLORREF PaintedBackground(int row) {
        HWND h = form->Control(row);
        HDC dc = CreateCompatibleDC(nullptr);
        SetBkColor(dc, RGB(1, 2, 3));
        SendMessageA(GetParent(h), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(h));
        const COLORREF c = GetBkColor(dc);
        DeleteDC(dc);
        return c;
    }

    // A pixel of the row's client area near its right end (past the text),
    // as the edit paints itself into a bitmap.
    COLORREF PaintedPixel(int row) {
        HWND h = form->Control(row);
        RECT rc;
        GetClientRect(h, &rc);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bmp);
        SendMessageA(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        const COLORREF c = GetPixel(dc, rc.right - 3, rc.bottom / 2);
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        return c;
    }

    testutil::TempDir dir;
    std::string data, path, md5, sha1, sha256, crcRow, crcUsual;
    std::unique_ptr<TForm1> form;
};

TEST_F(Verify, EachKindOfHashColoursItsRowWithATooltip) {
    const std::string wrongMd5 = "0123456789ABCDEF0123456789ABCDEF";
    struct Case {
        std::string clip;
        int row;
        bool matches;
        std::string tip;
    };
    const Case cases[] = {
        {md5, edt18, true, "MD5 matches the clipboard"},
        {Lower(md5), edt18, true, "MD5 matches the clipboard"},
        {Lower(md5) + "  download.bin\r\n", edt18, true, "MD5 matches the clipboard"},
        {"MD5: " + md5, edt18, true, "MD5 matches the clipboard"},
        {wrongMd5, edt18, false, "MD5 differs from the clipboard: 0123\xE2\x80\xA6"},
        {Lower(sha256) + " *download.bin", edt18, true, "SHA-256 matches the clipboard"},
        {sha256, edt18, true, "SHA-256 matches the clipboard"},
        {std::string(64, 'a'), edt18, false, "SHA-256 differs from the clipboard: AAAA\xE2\x80\xA6"},
        {Lower(sha1), edt18, true, "SHA-1 matches the clipboard"},
        {sha1 + "  download.bin", edt18, true, "SHA-1 matches the clipboard"},
        {std::string(40, 'b'), edt18, false, "SHA-1 differs from the clipboard: BBBB\xE2\x80\xA6"},
        {Lower(crcUsual), edt17, true, "CRC-32 matches the clipboard"},
        {crcUsual + "  download.bin", edt17, true, "CRC-32 matches the clipboard"},
        {crcRow, edt17, true, "CRC-32 matches the clipboard"},
        {"CRC32: DEADBEEF", edt17, false, "CRC-32 differs from the clipboard: DEAD\xE2\x80\xA6"},
    };
    const ClipboardVerifier& verifier = form->Verifier();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        PutOnClipboard("plain words");
        ASSERT_TRUE(PumpUntil([&] { return verifier.MarkedRow() == 0; }));
        PutOnClipboard(c.clip);
        // The change reaches the window as a message: no call from the test.
        ASSERT_TRUE(PumpUntil([&] { return verifier.MarkedRow() != 0; }));
        EXPECT_EQ(c.row, verifier.MarkedRow());
        const COLORREF expected = c.matches ? ClipboardVerifier::kMatch : ClipboardVerifier::kDiffer;
        EXPECT_EQ(expected, PaintedBackground(c.row));
        EXPECT_EQ(expected, PaintedPixel(c.row));
        const int other = c.row == edt17 ? edt18 : edt17;
        EXPECT_NE(expected, PaintedBackground(other));
        EXPECT_EQ(c.tip, verifier.TooltipText());
        // Texts stay as they are.
        EXPECT_EQ(md5, form->Text(edt18));
        EXPECT_EQ(crcRow, form->Text(edt17));
    }
}

TEST_F(Verify, OtherTextLeavesTheRowsInTheirUsualLook) {
    const COLORREF usual = PaintedBackground(edt18);
    for (const std::string& text : {std::string("hello"), md5 + " and more\nlines", std::string("12:30"),
                                    md5.substr(0, 30), std::string("")}) {
        SCOPED_TRACE(text);
        PutOnClipboard(md5);
        ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == edt18; }));
        PutOnClipboard(text);
        ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == 0; }));
        EXPECT_EQ(usual, PaintedBackground(edt18));
        EXPECT_EQ(usual, PaintedPixel(edt18));
        EXPECT_EQ("", form->Verifier().TooltipText());
    }
}

TEST_F(Verify, EmptyRowsAreNotColouredAndALoadRecolours) {
    PutOnClipboard(md5);
    ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == edt18; }));
    form->image8Click();  // Clear all Fields empties the MD5 row
    EXPECT_EQ(0, form->Verifier().MarkedRow());
    PumpAWhile();
    EXPECT_EQ(0, form->Verifier().MarkedRow()) << "activation or a change must not colour an empty row";
    // The end of a load compares again, with the clipboard unchanged.
    form->SetText(edt1, path);
    EXPECT_EQ(edt18, form->Verifier().MarkedRow());
    EXPECT_EQ(ClipboardVerifier::kMatch, form->Verifier().MarkColor());
    // Another file: the same clipboard now differs.
    const std::string other = dir.Write("other.bin", "other bytes");
    form->SetText(edt1, other);
    EXPECT_EQ(ClipboardVerifier::kDiffer, form->Verifier().MarkColor());
}

TEST_F(Verify, OnDemandDigestsReadTheFileAgainAndRefuseAHeldFile) {
    EXPECT_EQ(sha256, ComputeFileDigest(*form, DigestKind::SHA256, path));
    EXPECT_EQ(sha1, ComputeFileDigest(*form, DigestKind::SHA1, path));
    // A changed file is read again, never answered from the last result.
    const std::string changed = data + "x";
    dir.Write("download.bin", changed);
    EXPECT_EQ(testutil::CryptoApiHash(CALG_SHA1, changed), ComputeFileDigest(*form, DigestKind::SHA1, path));
    // Held open for writing elsewhere: the same refusal as the MD5 row's.
    HANDLE held = testutil::OpenForWriting(path);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_THROW(ComputeFileDigest(*form, DigestKind::SHA256, path), base::Exception);
    // The clipboard check claims nothing for a file it cannot read.
    PutOnClipboard(sha256);
    PumpAWhile();
    EXPECT_EQ(0, form->Verifier().MarkedRow());
    CloseHandle(held);
    EXPECT_THROW(ComputeFileDigest(*form, DigestKind::SHA1, dir.Path("missing.bin")), base::Exception);
}


// While a load reads, the MD5 row shows its progress and the clipboard check
// waits for the load's end: an activation then compares nothing and starts
// no digest of its own.
TEST_F(Verify, NothingIsComparedWhileALoadReads) {
    const COLORREF usual = PaintedBackground(edt18);
    const std::string big = dir.Path("big.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(big, 4ull << 30));
    PutOnClipboard(md5);  // would differ from the progress text
    bool checked = false;
    COLORREF during = 0;
    std::string rowDuring;
    form->LoadPass().onTick = [&](std::uint64_t, std::uint64_t) {
        // Once the progress text shows, past the busy delay.
        if (checked || form->Text(edt18).find("Reading ") != 0) return;
        checked = true;
        rowDuring = form->Text(edt18);
        form->Verifier().Check();  // as an activation would
        during = PaintedBackground(edt18);
        PostMessageA(form->Control(edt1), WM_KEYDOWN, VK_ESCAPE, 1);
    };
    form->SetText(edt1, big);
    form->LoadPass().onTick = nullptr;
    ASSERT_TRUE(checked) << "the load ended before its progress showed";
    EXPECT_EQ(usual, during) << rowDuring;
    EXPECT_EQ("", form->Text(edt18)) << "stopped: no digest";
}

}  // namespace

// Verifying against the clipboard and checksum files: each kind of hash put
// on the real clipboard, matching and differing, in either case, with a file
// name and in the forms other tools write; checksum files made by the real
// sha256sum, sha1sum, md5sum, sha512sum, sha384sum, b2sum and b3sum beside
// the file; the rows' verdicts going when the file is no longer the version
// loaded. The row colours as the window paints them and the tooltips as the
// tooltip control holds them. Expected digests come from the system's
// CryptoAPI and the byte-at-a-time CRC, the wider kinds from the program's
// own kernels (checked against those tools in the host tests).
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/frmMain.h"
#include "app/verify/ondemand.h"
#include "app/window/shortcuts.h"
#include "app/verify/verify.h"
#include "components/crc.h"
#include "components/digestsink.h"
#include "mainform.h"
#include "testutil.h"
#include "base/errors.h"
#include "base/handles.h"

using namespace frmMain;

using testutil::ClipboardText;
using testutil::PutOnClipboard;

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    return s;
}

// A digest of `bytes` by the program's own kernel, as upper-case hex.
std::string KernelHex(DigestKind kind, const std::string& bytes, std::size_t blake2bBytes = 64) {
    const std::unique_ptr<HexDigestSink> sink = MakeHexDigestSink(kind, blake2bBytes);
    sink->Update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return sink->Hex();
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

// The context menu's answer, chosen by the test.
WORD g_menuChoice;
WORD AnswerMenu(HMENU) { return g_menuChoice; }

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
        sha384 = KernelHex(DigestKind::SHA384, data);
        sha512 = KernelHex(DigestKind::SHA512, data);
        blake2b = KernelHex(DigestKind::BLAKE2b, data);
        blake2b256 = KernelHex(DigestKind::BLAKE2b, data, 32);
        blake3 = KernelHex(DigestKind::BLAKE3, data);
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
    std::string sha384, sha512, blake2b, blake2b256, blake3;
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
        // The wider kinds speak for the MD5 row too, computed when asked.
        {sha384, edt18, true, "SHA-384 matches the clipboard"},
        {Lower(sha384) + "  download.bin", edt18, true, "SHA-384 matches the clipboard"},
        {std::string(96, 'c'), edt18, false, "SHA-384 differs from the clipboard: CCCC\xE2\x80\xA6"},
        {Lower(sha512), edt18, true, "SHA-512 matches the clipboard"},
        {"SHA512 (download.bin) = " + Lower(sha512), edt18, true, "SHA-512 matches the clipboard"},
        {std::string(128, 'd'), edt18, false, "SHA-512 differs from the clipboard: DDDD\xE2\x80\xA6"},
        {"BLAKE2b (download.bin) = " + Lower(blake2b), edt18, true, "BLAKE2b matches the clipboard"},
        {"BLAKE2b-256 (download.bin) = " + Lower(blake2b256), edt18, true, "BLAKE2b matches the clipboard"},
        {"BLAKE2b (download.bin) = " + std::string(128, 'e'), edt18, false,
         "BLAKE2b differs from the clipboard: EEEE\xE2\x80\xA6"},
        {"BLAKE3 (download.bin) = " + Lower(blake3), edt18, true, "BLAKE3 matches the clipboard"},
        {"BLAKE3 (download.bin) = " + std::string(64, 'f'), edt18, false,
         "BLAKE3 differs from the clipboard: FFFF\xE2\x80\xA6"},
        // b3sum and b2sum write no tag, and the menu copies the bare hex: of
        // a length SHA-256 or SHA-512 has too, such a hash matches as either.
        {Lower(blake3) + "  download.bin", edt18, true, "BLAKE3 matches the clipboard"},
        {blake3, edt18, true, "BLAKE3 matches the clipboard"},
        {Lower(blake2b) + "  download.bin", edt18, true, "BLAKE2b matches the clipboard"},
        {blake2b, edt18, true, "BLAKE2b matches the clipboard"},
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

TEST_F(Verify, OnDemandDigestsAreOfTheLoadedVersionAndRefuseAHeldFile) {
    // Held open for writing elsewhere: the same refusal as the MD5 row's.
    HANDLE held = testutil::OpenForWriting(path);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_THROW(ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA256, path), base::Exception);
    for (DigestKind kind : {DigestKind::SHA384, DigestKind::SHA512, DigestKind::BLAKE2b, DigestKind::BLAKE3})
        EXPECT_THROW(ComputeFileDigest(*form, form->Verifier().Loaded(), kind, path), base::Exception)
            << DigestKindName(kind);
    // The clipboard check claims nothing for a file it cannot read.
    PutOnClipboard(sha256);
    PumpAWhile();
    EXPECT_EQ(0, form->Verifier().MarkedRow());
    CloseHandle(held);
    EXPECT_EQ(sha256, ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA256, path));
    EXPECT_EQ(sha1, ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA1, path));
    EXPECT_THROW(ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA1, dir.Path("missing.bin")), base::Exception);
    const struct {
        DigestKind kind;
        std::size_t blake2bBytes;
        std::string expected;
    } wide[] = {
        {DigestKind::SHA384, 64, sha384},   {DigestKind::SHA512, 64, sha512},
        {DigestKind::BLAKE2b, 64, blake2b}, {DigestKind::BLAKE2b, 32, blake2b256},
        {DigestKind::BLAKE3, 64, blake3},
    };
    for (const auto& w : wide) {
        SCOPED_TRACE(std::string(DigestKindName(w.kind)) + " of " + std::to_string(w.blake2bBytes));
        EXPECT_EQ(w.expected,
                  ComputeFileDigest(*form, form->Verifier().Loaded(), w.kind, path, w.blake2bBytes));
        EXPECT_EQ(w.expected, form->Verifier().Loaded().Digest(w.kind, w.blake2bBytes))
            << "kept for the version";
    }
    // A changed file is neither read again nor answered from the last result:
    // its digest would not be of the bytes the rows describe.
    dir.Write("download.bin", data + "x");
    EXPECT_THROW(ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA1, path), FileChangedSinceLoad);
    EXPECT_THROW(ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA256, path), FileChangedSinceLoad);
    for (const auto& w : wide)
        EXPECT_THROW(ComputeFileDigest(*form, form->Verifier().Loaded(), w.kind, path, w.blake2bBytes),
                     FileChangedSinceLoad);
    // Loaded again, the new version is the one compared.
    form->image8Click();
    form->SetText(edt1, path);
    EXPECT_EQ(testutil::CryptoApiHash(CALG_SHA1, data + "x"),
              ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA1, path));
}

// The rows describe the version loaded: once the file is another one, no
// hash turns them green or red, whatever it is of.
TEST_F(Verify, AVerdictNeverOutlivesTheBytesItJudged) {
    const std::string mut = dir.Write("mut.txt", "first line\r\n");
    form->SetText(edt1, mut);
    const std::string oldMd5 = testutil::CryptoApiMd5("first line\r\n");
    ASSERT_EQ(oldMd5, form->Text(edt18));
    const COLORREF usual = PaintedBackground(edt18);
    const ClipboardVerifier& verifier = form->Verifier();
    PutOnClipboard(oldMd5);
    ASSERT_TRUE(PumpUntil([&] { return verifier.RowColor(edt18) == ClipboardVerifier::kMatch; }));

    // Another program appends a line: the green goes by itself, within the look's period.
    {
        base::UniqueFile f(
            CreateFileA(mut.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(f.valid());
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f.get(), "second line\r\n", 13, &written, nullptr));
    }
    const std::string now = "first line\r\nsecond line\r\n";
    ASSERT_TRUE(PumpUntil([&] { return verifier.RowColor(edt18) == CLR_INVALID; }));
    EXPECT_EQ(kFileChangedSinceLoad, verifier.RowTooltip(edt18));
    EXPECT_EQ(usual, PaintedBackground(edt18));
    EXPECT_EQ(usual, PaintedPixel(edt18));

    struct Case {
        const char* what;
        std::string clip;
        int row;
    };
    const Case cases[] = {
        {"the new SHA-256", testutil::CryptoApiHash(CALG_SHA_256, now), edt18},
        {"the old SHA-256", testutil::CryptoApiHash(CALG_SHA_256, "first line\r\n"), edt18},
        {"the old MD5", oldMd5, edt18},
        {"the new MD5", testutil::CryptoApiMd5(now), edt18},
        {"the old CRC", form->Text(edt17), edt17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutOnClipboard("plain words");
        ASSERT_TRUE(PumpUntil([&] { return verifier.MarkedRow() == 0; }));
        PutOnClipboard(c.clip);
        ASSERT_TRUE(PumpUntil([&] { return verifier.MarkedRow() == c.row; }));
        EXPECT_EQ(CLR_INVALID, verifier.RowColor(c.row));
        EXPECT_EQ(usual, PaintedBackground(c.row));
        EXPECT_EQ(kFileChangedSinceLoad, verifier.RowTooltip(c.row));
    }
    // No digest of the new bytes was made for the old rows.
    EXPECT_EQ("", form->Verifier().Loaded().Digest(DigestKind::SHA256));

    // Loaded again: the new version's hashes are green.
    form->image8Click();
    form->SetText(edt1, mut);
    PutOnClipboard(testutil::CryptoApiHash(CALG_SHA_256, now));
    ASSERT_TRUE(PumpUntil([&] { return verifier.RowColor(edt18) == ClipboardVerifier::kMatch; }));
    EXPECT_EQ("SHA-256 matches the clipboard", verifier.RowTooltip(edt18));

    // Deleted: no green, for the hash that matched a moment ago either.
    ASSERT_TRUE(testutil::DeleteLoadedFile(mut));
    ASSERT_TRUE(PumpUntil([&] { return verifier.RowColor(edt18) == CLR_INVALID; }));
    PutOnClipboard(testutil::CryptoApiMd5(now));
    PumpAWhile();
    EXPECT_EQ(CLR_INVALID, verifier.RowColor(edt18));
    EXPECT_EQ(kFileChangedSinceLoad, verifier.RowTooltip(edt18));
}

// Renamed over by a file of the same size and time: another file, so the
// rows' verdict goes too.
TEST_F(Verify, AnotherFileUnderTheNameIsAChange) {
    PutOnClipboard(md5);
    ASSERT_TRUE(PumpUntil([&] { return form->Verifier().RowColor(edt18) == ClipboardVerifier::kMatch; }));
    const std::string twin = dir.Write("twin.bin", data);
    FILETIME written{};
    {
        base::UniqueFile f(
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(GetFileTime(f.get(), nullptr, nullptr, &written));
        base::UniqueFile t(
            CreateFileA(twin.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(t.get(), nullptr, nullptr, &written));
    }
    ASSERT_TRUE(MoveFileExA(twin.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    ASSERT_TRUE(PumpUntil([&] { return form->Verifier().RowColor(edt18) == CLR_INVALID; }));
    EXPECT_EQ(kFileChangedSinceLoad, form->Verifier().RowTooltip(edt18));
}

TEST_F(Verify, CopyingADigestOfAFileChangedSinceTheLoadIsRefused) {
    testutil::MessageBoxRecorder boxes;
    dir.Write("download.bin", "rewritten since the load");
    form->Keys().SetMenuAnswer(AnswerMenu);
    for (WORD command : {Shortcuts::kCopySha256, Shortcuts::kCopySha1, Shortcuts::kCopySha384,
                         Shortcuts::kCopySha512, Shortcuts::kCopyBlake2b, Shortcuts::kCopyBlake3}) {
        SCOPED_TRACE(command);
        boxes.clear();
        PutOnClipboard("kept");
        g_menuChoice = command;
        // A right click on the MD5 row through the message loop, as the mouse gives it.
        PostMessageA(form->Control(edt18), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        PostMessageA(form->Control(edt18), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        ASSERT_TRUE(PumpUntil([&] { return !boxes.boxes().empty(); }));
        ASSERT_EQ(1u, boxes.boxes().size());
        EXPECT_EQ(std::string(kFileChangedSinceLoad) + ".", boxes.boxes()[0].text);
        EXPECT_EQ("Vantrel 1.0", boxes.boxes()[0].caption);
        EXPECT_EQ("kept", ClipboardText());
    }
    form->Keys().SetMenuAnswer(nullptr);
}

// The usual CRC-32 and the row's own number, each in hex and in decimal.
TEST_F(Verify, ACrcInEitherNotationMatches) {
    const std::string hello = dir.Write("hello.txt", "hello world\n");
    form->SetText(edt1, hello);
    ASSERT_EQ("1358415058", form->Text(edt17));
    const struct {
        const char* clip;
        COLORREF colour;
    } cases[] = {
        {"af083b2d", ClipboardVerifier::kMatch},    // the usual CRC-32 in hex
        {"2936552237", ClipboardVerifier::kMatch},  // the same value in decimal
        {"1358415058", ClipboardVerifier::kMatch},  // the row's value in decimal
        {"50f7c4d2", ClipboardVerifier::kMatch},    // the row's value in hex
        {"0xAF083B2D", ClipboardVerifier::kMatch},  // "0x" in front
        {"af083b2e", ClipboardVerifier::kDiffer},   // neither
        {"2936552238", ClipboardVerifier::kDiffer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clip);
        PutOnClipboard("plain words");
        ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == 0; }));
        PutOnClipboard(c.clip);
        ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == edt17; }));
        EXPECT_EQ(c.colour, form->Verifier().RowColor(edt17));
        EXPECT_EQ(c.colour, PaintedBackground(edt17));
    }
}

// What other tools and web pages put on the clipboard.
TEST_F(Verify, ClipboardFormsOfOtherToolsAndPages) {
    const struct {
        std::string clip;
        COLORREF colour;  // CLR_INVALID: the usual look
    } cases[] = {
        {"\xEF\xBB\xBF" + md5, ClipboardVerifier::kMatch},
        {"MD5 (download.bin) = " + Lower(md5), ClipboardVerifier::kMatch},
        {"SHA256 (download.bin) = " + sha256, ClipboardVerifier::kMatch},
        {"0x" + sha1, ClipboardVerifier::kMatch},
        {"SHA-256 hash: " + Lower(sha256), ClipboardVerifier::kMatch},
        {"SHA-256: " + md5, CLR_INVALID},  // the label contradicts the length
        {"SHA-512: " + sha256, CLR_INVALID},
        {"SHA3-256: " + sha256, CLR_INVALID},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clip);
        PutOnClipboard(md5.substr(0, 30));
        ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == 0; }));
        PutOnClipboard(c.clip);
        if (c.colour == CLR_INVALID) {
            PumpAWhile();
            EXPECT_EQ(0, form->Verifier().MarkedRow());
        } else {
            ASSERT_TRUE(PumpUntil([&] { return form->Verifier().MarkedRow() == edt18; }));
            EXPECT_EQ(c.colour, PaintedBackground(edt18));
        }
    }
}

// Checksum files beside the loaded file, made by the real tools where there
// are some (sha256sum, sha1sum, md5sum, in their plain, binary and tag forms)
// and by hand for SFV, each in a folder of its own.
TEST_F(Verify, AChecksumFileBesideTheFileColoursItsRowAndNamesItself) {
    const std::string ellipsis = "\xE2\x80\xA6";
    const std::string wrong = "0000000000000000000000000000000000000000000000000000000000000000";
    struct Case {
        const char* what;
        std::string shell;          // run in the folder (no double quotes)
        std::string name, content;  // or a file written there
        int row;
        COLORREF colour;  // CLR_INVALID: the usual look
        std::string tip;
    };
    const Case cases[] = {
        {"SHA256SUMS", "sha256sum download.bin > SHA256SUMS", "", "", edt18, ClipboardVerifier::kMatch,
         "SHA-256 matches SHA256SUMS"},
        {"SHA256SUMS.txt, binary", "sha256sum -b download.bin > SHA256SUMS.txt", "", "", edt18,
         ClipboardVerifier::kMatch, "SHA-256 matches SHA256SUMS.txt"},
        {"SHA1SUMS in tag form", "sha1sum --tag download.bin > SHA1SUMS", "", "", edt18,
         ClipboardVerifier::kMatch, "SHA-1 matches SHA1SUMS"},
        {"MD5SUMS among others", "md5sum /dev/null download.bin > MD5SUMS", "", "", edt18,
         ClipboardVerifier::kMatch, "MD5 matches MD5SUMS"},
        {"CHECKSUMS with ./", "sha256sum ./download.bin > CHECKSUMS", "", "", edt18,
         ClipboardVerifier::kMatch, "SHA-256 matches CHECKSUMS"},
        {"the file's own .sha256", "sha256sum download.bin > download.bin.sha256", "", "", edt18,
         ClipboardVerifier::kMatch, "SHA-256 matches download.bin.sha256"},
        {"the file's own .md5, the hash alone", "", "download.bin.md5", Lower(md5) + "\n", edt18,
         ClipboardVerifier::kMatch, "MD5 matches download.bin.md5"},
        {"any .sfv that lists it", "", "release.sfv", "; made by hand\r\nDOWNLOAD.BIN " + crcUsual + "\r\n",
         edt17, ClipboardVerifier::kMatch, "CRC-32 matches release.sfv"},
        {"a hash that differs", "", "SHA256SUMS", wrong + "  download.bin\n", edt18,
         ClipboardVerifier::kDiffer, "SHA-256 differs from SHA256SUMS: 0000" + ellipsis},
        {"an .sfv CRC that differs", "", "other.sfv", "download.bin 00000000\n", edt17,
         ClipboardVerifier::kDiffer, "CRC-32 differs from other.sfv: 0000" + ellipsis},
        {"another file of that name", "", "SHA256SUMS", wrong + "  sub/download.bin\n", 0, CLR_INVALID, ""},
        {"a name the usual look ignores", "", "hashes.txt", wrong + "  download.bin\n", 0, CLR_INVALID, ""},
        {"larger than 1 MiB", "", "SHA256SUMS", wrong + "  download.bin\n" + std::string(1u << 20, '#'), 0,
         CLR_INVALID, ""},
        // A list whose name says its kind holds no other kind, as its tool reads it.
        {"a CRC-32 in a .sha256 list", "", "download.bin.sha256", Lower(crcUsual) + "  download.bin\n", 0,
         CLR_INVALID, ""},
        {"an MD5 in SHA256SUMS", "", "SHA256SUMS", Lower(md5) + "  download.bin\n", 0, CLR_INVALID, ""},
        {"OpenSSL's form", "", "download.bin.md5", "MD5(download.bin)= " + Lower(md5) + "\n", edt18,
         ClipboardVerifier::kMatch, "MD5 matches download.bin.md5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testutil::TempDir folder;
        const std::string file = folder.Write("download.bin", data);
        if (!c.shell.empty()) {
            ASSERT_TRUE(
                testutil::RunUnixShell("cd '" + testutil::UnixPath(folder.path()) + "' && " + c.shell));
        }
        if (!c.name.empty()) folder.Write(c.name, c.content);
        PutOnClipboard("plain words");
        PumpAWhile();
        form->SetText(edt1, file);
        const ClipboardVerifier& verifier = form->Verifier();
        EXPECT_EQ(c.row, verifier.MarkedRow());
        if (!c.row) continue;
        EXPECT_EQ(c.colour, verifier.RowColor(c.row));
        EXPECT_EQ(c.colour, PaintedBackground(c.row));
        EXPECT_EQ(c.tip, verifier.RowTooltip(c.row));
        form->image8Click();
    }
}

TEST_F(Verify, TheShaAChecksumFileNeedsIsComputedInTheLoadsPass) {
    ASSERT_TRUE(testutil::RunUnixShell(
        "cd '" + testutil::UnixPath(dir.path()) +
        "' && sha256sum download.bin > SHA256SUMS && sha1sum download.bin > SHA1SUMS"));
    form->image8Click();
    form->SetText(edt1, path);
    EXPECT_EQ(sha256, form->Verifier().Loaded().Digest(DigestKind::SHA256));
    EXPECT_EQ(sha1, form->Verifier().Loaded().Digest(DigestKind::SHA1));
    EXPECT_EQ("SHA-256 matches SHA256SUMS\r\nSHA-1 matches SHA1SUMS", form->Verifier().RowTooltip(edt18))
        << "the files in the order they are looked at: SHA256SUMS first";
}

// The checksum files of the wider kinds, made by their own tools (sha512sum,
// sha384sum, b2sum, b3sum) in each of the names the window looks at, in tag
// form in a list of any kind, and with a hash that differs: each colours the
// MD5 row as a SHA256SUMS does and names its kind and its file.
TEST_F(Verify, ChecksumFilesOfTheWiderKindsColourTheMd5Row) {
    const std::string ellipsis = "\xE2\x80\xA6";
    const struct Kind {
        DigestKind kind;
        const char* tool;    // writes `<hex>  <name>` lines
        const char* sums;    // the list of the kind
        const char* own;     // the file's own list, after "download.bin."
        std::string tagged;  // a command that writes a tag line
    } kinds[] = {
        {DigestKind::SHA512, "sha512sum", "SHA512SUMS", "sha512", "sha512sum --tag download.bin"},
        {DigestKind::SHA384, "sha384sum", "SHA384SUMS", "sha384", "sha384sum --tag download.bin"},
        {DigestKind::BLAKE2b, "b2sum", "B2SUMS", "b2", "b2sum --tag download.bin"},
        {DigestKind::BLAKE3, "b3sum", "B3SUMS", "b3",
         "printf 'BLAKE3 (download.bin) = %s\\n' $(b3sum --no-names download.bin)"},
    };
    struct Case {
        std::string what;
        std::string shell;          // run in the folder (no double quotes)
        std::string name, content;  // or a file written there
        COLORREF colour;
        std::string tip;
    };
    std::vector<Case> cases;
    for (const Kind& k : kinds) {
        const std::string name = DigestKindName(k.kind);
        const std::string tool = k.tool;
        const std::string own = std::string("download.bin.") + k.own;
        cases.push_back({k.sums, tool + " download.bin > " + k.sums, "", "", ClipboardVerifier::kMatch,
                         name + " matches " + k.sums});
        cases.push_back({std::string(k.sums) + ".txt among others",
                         tool + " /dev/null download.bin > " + k.sums + ".txt", "", "",
                         ClipboardVerifier::kMatch, name + " matches " + k.sums + ".txt"});
        cases.push_back({own, tool + " download.bin > " + own, "", "", ClipboardVerifier::kMatch,
                         name + " matches " + own});
        cases.push_back({own + ", the hash alone", tool + " download.bin | cut -d' ' -f1 > " + own, "", "",
                         ClipboardVerifier::kMatch, name + " matches " + own});
        cases.push_back({name + " tagged in CHECKSUMS", k.tagged + " > CHECKSUMS", "", "",
                         ClipboardVerifier::kMatch, name + " matches CHECKSUMS"});
        cases.push_back({std::string(k.sums) + " that differs", "", k.sums,
                         std::string(HexDigitsOf(k.kind), '0') + "  download.bin\n",
                         ClipboardVerifier::kDiffer, name + " differs from " + k.sums + ": 0000" + ellipsis});
    }
    cases.push_back({"BLAKE2b-256 tagged in B2SUMS.txt", "b2sum -l 256 --tag download.bin > B2SUMS.txt", "",
                     "", ClipboardVerifier::kMatch, "BLAKE2b matches B2SUMS.txt"});
    cases.push_back({"BLAKE2b-256 untagged in B2SUMS", "b2sum -l 256 download.bin > B2SUMS", "", "",
                     ClipboardVerifier::kMatch, "BLAKE2b matches B2SUMS"});
    cases.push_back({"download.bin.blake3", "b3sum download.bin > download.bin.blake3", "", "",
                     ClipboardVerifier::kMatch, "BLAKE3 matches download.bin.blake3"});
    cases.push_back(
        {"a base64 SHA-384 tag in checksums.txt",
         "printf 'SHA384 (download.bin) = %s\\n' $(openssl dgst -sha384 -binary download.bin | base64 -w0)"
         " > checksums.txt",
         "", "", ClipboardVerifier::kMatch, "SHA-384 matches checksums.txt"});
    cases.push_back({"a BLAKE3 that differs in its own file", "", "download.bin.b3",
                     std::string(64, 'a') + "  download.bin\n", ClipboardVerifier::kDiffer,
                     "BLAKE3 differs from download.bin.b3: AAAA" + ellipsis});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testutil::TempDir folder;
        const std::string file = folder.Write("download.bin", data);
        if (!c.shell.empty()) {
            ASSERT_TRUE(
                testutil::RunUnixShell("cd '" + testutil::UnixPath(folder.path()) + "' && " + c.shell));
        }
        if (!c.name.empty()) folder.Write(c.name, c.content);
        PutOnClipboard("plain words");
        PumpAWhile();
        form->SetText(edt1, file);
        const ClipboardVerifier& verifier = form->Verifier();
        EXPECT_EQ(edt18, verifier.MarkedRow());
        EXPECT_EQ(c.colour, verifier.RowColor(edt18));
        EXPECT_EQ(c.colour, PaintedBackground(edt18));
        EXPECT_EQ(c.tip, verifier.RowTooltip(edt18));
        EXPECT_EQ(md5, form->Text(edt18));
        form->image8Click();
    }
}

// One pass reads the file for every digest its checksum files ask for, the
// heavy ones beside each other: no second read follows the load's.
TEST_F(Verify, EveryDigestTheChecksumFilesNeedIsComputedInTheLoadsPass) {
    // Large enough that each pass over it ticks several times.
    std::string big(48u << 20, '\0');
    std::uint32_t x = 0x9E3779B9u;
    for (std::size_t i = 0; i < big.size(); i += 4) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        std::memcpy(&big[i], &x, 4);
    }
    const std::string file = dir.Write("big.bin", big);
    ASSERT_TRUE(testutil::RunUnixShell("cd '" + testutil::UnixPath(dir.path()) +
                                       "' && sha256sum big.bin > SHA256SUMS && sha512sum big.bin > SHA512SUMS"
                                       " && sha384sum big.bin > SHA384SUMS && b2sum big.bin > B2SUMS"
                                       " && b3sum big.bin > B3SUMS && sha1sum big.bin > big.bin.sha1"));
    PutOnClipboard("plain words");
    PumpAWhile();
    int passes = 0;
    std::uint64_t last = 0;
    form->LoadPass().onTick = [&](std::uint64_t done, std::uint64_t) {
        // A pass starts again from the file's start.
        if (passes == 0 || done < last) ++passes;
        last = done;
    };
    form->SetText(edt1, file);
    form->LoadPass().onTick = nullptr;
    EXPECT_EQ(1, passes);
    const LoadedVersion& loaded = form->Verifier().Loaded();
    for (DigestKind kind : {DigestKind::SHA256, DigestKind::SHA512, DigestKind::SHA384, DigestKind::BLAKE2b,
                            DigestKind::BLAKE3, DigestKind::SHA1})
        EXPECT_EQ(KernelHex(kind, big), loaded.Digest(kind)) << DigestKindName(kind);
    EXPECT_EQ(ClipboardVerifier::kMatch, form->Verifier().RowColor(edt18));
    EXPECT_EQ(
        "SHA-256 matches SHA256SUMS\r\nSHA-512 matches SHA512SUMS\r\nSHA-384 matches SHA384SUMS\r\n"
        "BLAKE2b matches B2SUMS\r\nBLAKE3 matches B3SUMS\r\nSHA-1 matches big.bin.sha1",
        form->Verifier().RowTooltip(edt18))
        << "the files in the order they are looked at";
}

// A file held open for writing elsewhere is read for its CRC alone: the
// digests its checksum files ask for were not fed its bytes, so none of them
// is kept for the version; once the file is free they are read anew.
TEST_F(Verify, AHeldFileKeepsNoDigestFromItsLoad) {
    testutil::MessageBoxRecorder boxes;
    // Two heavy digests: one on each of the pass's threads.
    ASSERT_TRUE(testutil::RunUnixShell(
        "cd '" + testutil::UnixPath(dir.path()) +
        "' && sha512sum download.bin > SHA512SUMS && sha384sum download.bin > SHA384SUMS"));
    form->image8Click();
    base::UniqueFile writer(testutil::OpenForWriting(path));
    ASSERT_TRUE(writer);
    form->SetText(edt1, path);
    EXPECT_EQ(crcRow, form->Text(edt17));
    EXPECT_EQ("", form->Text(edt18));
    for (DigestKind kind : {DigestKind::SHA512, DigestKind::SHA384})
        EXPECT_EQ("", form->Verifier().Loaded().Digest(kind)) << DigestKindName(kind);
    writer.reset();
    EXPECT_EQ(sha384, ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA384, path));
    EXPECT_EQ(sha512, ComputeFileDigest(*form, form->Verifier().Loaded(), DigestKind::SHA512, path));
}

// A verdict of a wider kind goes, as any other, once the file is no longer
// the version loaded; no digest of the new bytes is made for the old rows.
TEST_F(Verify, AWideVerdictGoesWhenTheFileChangesSinceTheLoad) {
    const struct {
        DigestKind kind;
        const char* make;
        const char* tag;
    } kinds[] = {
        {DigestKind::SHA384, "sha384sum download.bin > SHA384SUMS", "SHA384"},
        {DigestKind::SHA512, "sha512sum download.bin > SHA512SUMS", "SHA512"},
        {DigestKind::BLAKE2b, "b2sum download.bin > B2SUMS", "BLAKE2b"},
        {DigestKind::BLAKE3, "b3sum download.bin > B3SUMS", "BLAKE3"},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(DigestKindName(k.kind));
        testutil::TempDir folder;
        const std::string file = folder.Write("download.bin", data);
        ASSERT_TRUE(testutil::RunUnixShell("cd '" + testutil::UnixPath(folder.path()) + "' && " + k.make));
        PutOnClipboard("plain words");
        PumpAWhile();
        form->SetText(edt1, file);
        const ClipboardVerifier& verifier = form->Verifier();
        ASSERT_EQ(ClipboardVerifier::kMatch, verifier.RowColor(edt18));
        const std::string now = data + "appended";
        folder.Write("download.bin", now);
        ASSERT_TRUE(PumpUntil([&] { return verifier.RowColor(edt18) == CLR_INVALID; }));
        EXPECT_EQ(kFileChangedSinceLoad, verifier.RowTooltip(edt18));
        // The new bytes' digest on the clipboard changes nothing either.
        PutOnClipboard(std::string(k.tag) + " (download.bin) = " + KernelHex(k.kind, now));
        PumpAWhile();
        EXPECT_EQ(CLR_INVALID, verifier.RowColor(edt18));
        EXPECT_EQ(kFileChangedSinceLoad, verifier.RowTooltip(edt18));
        EXPECT_EQ(KernelHex(k.kind, data), form->Verifier().Loaded().Digest(k.kind))
            << "the loaded version's, kept";
        form->image8Click();
    }
}

// A checksum file's verdict holds for the version of that file that was read:
// rewritten, replaced or deleted while the loaded file stays as it is, the row
// is judged again against what the folder holds now.
TEST_F(Verify, AChecksumFileChangedAfterTheLoadIsReadAgain) {
    const std::string wrong = std::string(64, '0');
    const std::string right = Lower(sha256) + "  download.bin\n";
    dir.Write("SHA256SUMS", right);
    PutOnClipboard("plain words");
    form->image8Click();
    form->SetText(edt1, path);
    const ClipboardVerifier& verifier = form->Verifier();
    ASSERT_EQ(ClipboardVerifier::kMatch, verifier.RowColor(edt18));
    struct Case {
        const char* what;
        std::function<void()> change;
        COLORREF colour;
        std::string tip;
    };
    const Case cases[] = {
        {"rewritten with a wrong hash of the same length",
         [&] { dir.Write("SHA256SUMS", wrong + "  download.bin\n"); }, ClipboardVerifier::kDiffer,
         "SHA-256 differs from SHA256SUMS: 0000\xE2\x80\xA6"},
        {"renamed over by a list with the right hash",
         [&] {
             const std::string fresh = dir.Write("fresh.txt", right);
             ASSERT_TRUE(
                 MoveFileExA(fresh.c_str(), dir.Path("SHA256SUMS").c_str(), MOVEFILE_REPLACE_EXISTING));
         },
         ClipboardVerifier::kMatch, "SHA-256 matches SHA256SUMS"},
        {"deleted", [&] { ASSERT_TRUE(DeleteFileA(dir.Path("SHA256SUMS").c_str())); }, CLR_INVALID, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        // The look at a coloured row's file notices it by itself.
        ASSERT_TRUE(PumpUntil([&] { return verifier.RowTooltip(edt18) == c.tip; }));
        EXPECT_EQ(c.colour, verifier.RowColor(edt18));
        EXPECT_EQ(md5, form->Text(edt18));
    }
}

TEST_F(Verify, WhenTheClipboardAndAChecksumFileBothSpeakADifferenceFromEitherIsRed) {
    ASSERT_TRUE(testutil::RunUnixShell("cd '" + testutil::UnixPath(dir.path()) +
                                       "' && sha256sum download.bin > SHA256SUMS"));
    const std::string wrongMd5 = "0123456789ABCDEF0123456789ABCDEF";
    struct Case {
        std::string clip;
        COLORREF colour;
        std::string tip;
    };
    const Case cases[] = {
        {md5, ClipboardVerifier::kMatch, "MD5 matches the clipboard\r\nSHA-256 matches SHA256SUMS"},
        {wrongMd5, ClipboardVerifier::kDiffer,
         "MD5 differs from the clipboard: 0123\xE2\x80\xA6\r\nSHA-256 matches SHA256SUMS"},
        {"plain words", ClipboardVerifier::kMatch, "SHA-256 matches SHA256SUMS"},
    };
    form->image8Click();
    form->SetText(edt1, path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        PutOnClipboard(c.clip);
        ASSERT_TRUE(PumpUntil([&] { return form->Verifier().RowTooltip(edt18) == c.tip; }));
        EXPECT_EQ(c.colour, PaintedBackground(edt18));
    }
    // The file's bytes differ from the checksum file's: red, whatever the clipboard says.
    std::string changed = data;
    changed[1000] ^= 1;
    dir.Write("download.bin", changed);
    PutOnClipboard(testutil::CryptoApiMd5(changed));
    form->image8Click();
    form->SetText(edt1, path);
    EXPECT_EQ(ClipboardVerifier::kDiffer, PaintedBackground(edt18));
    EXPECT_EQ("MD5 matches the clipboard\r\nSHA-256 differs from SHA256SUMS: " + sha256.substr(0, 4) +
                  "\xE2\x80\xA6",
              form->Verifier().RowTooltip(edt18));
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

// The signature in the main window: after a load the check runs on its own
// thread, and its result becomes the large icon's tooltip and the "Digital
// Signature…" box of the detail fields' menu. Every stop of the load stops a
// running check, whose late result is then never shown. Real signed files
// of both image kinds, the test root trusted in the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window/frmMain.h"
#include "app/window/shortcuts.h"
#include "app/signature/signaturecheck.h"
#include "components/hashtext.h"
#include "mainform.h"
#include "signedfiles.h"
#include "testutil.h"
#include "ui/application.h"

using namespace frmMain;

namespace {

const std::string kDash = "\xE2\x80\x94";

// The menu as built, answered with g_choice.
std::vector<std::string> g_items;
std::vector<bool> g_enabled;
WORD g_choice;

WORD AnswerMenu(HMENU menu) {
    g_items.clear();
    g_enabled.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        std::wstring name;
        for (const wchar_t* p = text; *p; ++p)
            if (*p != L'&') name += *p;
        if (name.empty()) continue;
        g_items.push_back(testutil::Utf8(name));
        g_enabled.push_back(
            !(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)));
    }
    return g_choice;
}

// The local date and time of 2026-05-01 12:00:00 UTC, the test timestamp.
std::string StampText(bool withTime) {
    SYSTEMTIME utc{};
    utc.wYear = 2026;
    utc.wMonth = 5;
    utc.wDay = 1;
    utc.wHour = 12;
    SYSTEMTIME t{};
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &t);
    char text[32];
    if (withTime)
        wsprintfA(text, "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    else
        wsprintfA(text, "%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

class SignatureWindow : public testing::Test {
public:
    void SetUp() override {
        form = testutil::NewMainForm();
        form->Keys().SetMenuAnswer(AnswerMenu);
        g_choice = 0;
        form->Show(SW_SHOWNORMAL);
    }
    void TearDown() override { form.reset(); }

    // Loads `path` as the name box does and waits for the check to end.
    void LoadAndWait(const std::string& path) {
        form->SetText(edt1, path);
        EXPECT_TRUE(WaitForCheck()) << path;
    }
    bool WaitForCheck() {
        const DWORD start = GetTickCount();
        while (form->Signature().Running()) {
            if (GetTickCount() - start > 20000) return false;
            ui::Application().ProcessMessages();
            Sleep(5);
        }
        return true;
    }
    // The menu of a detail field, answered with `choice`.
    void RightClick(WORD choice) {
        g_choice = choice;
        HWND field = form->Control(edt4);
        PostMessageA(field, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        PostMessageA(field, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        for (int i = 0; i < 20; ++i) {
            ui::Application().ProcessMessages();
            Sleep(5);
        }
    }
    bool SignatureItemEnabled() {
        RightClick(0);
        // The checksum files' signature box follows it.
        if (g_items.size() < 2 || g_items[g_items.size() - 2] != "Digital Signature\xE2\x80\xA6") {
            ADD_FAILURE() << "no Digital Signature item";
            return false;
        }
        return g_enabled[g_items.size() - 2];
    }

    testutil::TrustedTestRoot root;
    testutil::TempDir dir;
    testutil::MessageBoxRecorder boxes;
    std::unique_ptr<TForm1> form;
};

TEST_F(SignatureWindow, TheFiveCasesInTheTooltipAndTheBox) {
    if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
    struct Case {
        std::string file;
        std::string tip;
        std::string box;  // empty: the item is greyed
    };
    for (const char* kind : {"pe32", "pe32plus"}) {
        const std::string k = kind;
        const Case cases[] = {
            {testutil::SignedFile(k + "-trusted.exe"),
             "Signed by Example Corp " + kDash + " Valid (timestamp " + StampText(false) + ")",
             "Status: Valid\nSigner: Example Corp\nIssuer: Vantrel Test Root\nSigning time: " +
                 StampText(true) + "\nDigest algorithm: SHA-256"},
            {testutil::SignedFile(k + "-self.exe"), "Signed by Self Signed Example " + kDash + " Not trusted",
             "Status: Not trusted\nSigner: Self Signed Example\nIssuer: Self Signed Example\nSigning time: \n"
             "Digest algorithm: SHA-256"},
            {testutil::SignedFile(k + "-changed.exe"),
             "Signed by Example Corp " + kDash + " Changed after signing (timestamp " + StampText(false) +
                 ")",
             "Status: Changed after signing\nSigner: Example Corp\nIssuer: Vantrel Test Root\nSigning "
             "time: " +
                 StampText(true) +
                 "\nDigest algorithm: SHA-256\n\nThe file's bytes do not match the signed digest."},
            {testutil::SignedFile(k + "-unsigned.exe"), "Not signed",
             "Status: Not signed\nSigner: \nIssuer: \nSigning time: \nDigest algorithm: "},
            {dir.Write(k + ".txt", "a text file\r\n"), "", ""},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.file);
            LoadAndWait(c.file);
            EXPECT_FALSE(form->Text(edt18).empty()) << "the load's pass ran first";
            EXPECT_EQ(c.tip, form->Signature().TooltipText());
            EXPECT_EQ(!c.box.empty(), SignatureItemEnabled());
            boxes.clear();
            RightClick(Shortcuts::kDigitalSignature);
            if (c.box.empty()) {
                EXPECT_TRUE(boxes.boxes().empty());
                continue;
            }
            ASSERT_EQ(1u, boxes.boxes().size());
            EXPECT_EQ(c.box, boxes.boxes()[0].text);
            EXPECT_EQ("Digital Signature", boxes.boxes()[0].caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), boxes.boxes()[0].flags);
        }
    }
}

TEST_F(SignatureWindow, TheCheckRunsBesideTheWindowAndEveryStopStopsIt) {
    const std::string file = testutil::SignedFile("pe32plus-self.exe");
    // The load returns with the check still running: the window's thread
    // does not wait for it.
    form->SetText(edt1, file);
    EXPECT_TRUE(form->Signature().Running());
    ASSERT_TRUE(WaitForCheck());
    EXPECT_EQ("Signed by Self Signed Example " + kDash + " Not trusted", form->Signature().TooltipText());

    // Esc, Clear and a new name each stop the check they find running; its
    // result, even if it is ready by then, is never shown.
    form->SetText(edt1, testutil::SignedFile("pe32-self.exe"));
    EXPECT_TRUE(form->Signature().Running());
    EXPECT_EQ("", form->Signature().TooltipText()) << "the earlier file's tooltip went with the new load";
    form->Keys().Run(Shortcuts::kStopLoad);  // Esc
    EXPECT_FALSE(form->Signature().Running());
    Sleep(200);
    ui::Application().ProcessMessages();
    EXPECT_EQ("", form->Signature().TooltipText());
    EXPECT_FALSE(form->Signature().HasResult());

    form->SetText(edt1, file);
    form->image8Click();  // Clear
    EXPECT_FALSE(form->Signature().Running());
    Sleep(200);
    ui::Application().ProcessMessages();
    EXPECT_EQ("", form->Signature().TooltipText());

    form->SetText(edt1, file);
    form->SetText(edt1, testutil::SignedFile("pe32plus-unsigned.exe"));  // as a drop does
    ASSERT_TRUE(WaitForCheck());
    Sleep(200);
    ui::Application().ProcessMessages();
    EXPECT_EQ("Not signed", form->Signature().TooltipText()) << "only the last file's result";

    // A red name keeps everything the window shows, the tooltip included.
    form->SetText(edt1, dir.Path("missing.exe"));
    EXPECT_EQ("Not signed", form->Signature().TooltipText());
}

// The rows describe the version the load read: a file replaced by another
// between the load and its check gets no signature verdict, only the words
// that it changed since the load.
TEST_F(SignatureWindow, AFileReplacedBeforeItsCheckGetsNoVerdict) {
    const std::string unsigned_ = testutil::ReadAll(testutil::SignedFile("pe32plus-unsigned.exe"));
    const std::string signed_ = testutil::ReadAll(testutil::SignedFile("pe32plus-self.exe"));
    ASSERT_FALSE(unsigned_.empty());
    ASSERT_FALSE(signed_.empty());
    const std::string file = dir.Write("tool.exe", unsigned_);
    const std::string other = dir.Write("other.exe", signed_);
    // The load's own readers may still hold the file for a moment (the
    // shell's icon, the version resource): the replacement waits for them.
    form->Signature().onCheckOpens = [&](const std::string& path) {
        for (int i = 0; i < 400; ++i) {
            if (MoveFileExA(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
            Sleep(5);
        }
    };
    LoadAndWait(file);
    form->Signature().onCheckOpens = nullptr;
    ASSERT_EQ(signed_, testutil::ReadAll(file)) << "replaced between the load and the check";
    EXPECT_EQ(testutil::CryptoApiMd5(unsigned_), form->Text(edt18));
    EXPECT_EQ(kFileChangedSinceLoad, form->Signature().TooltipText());
    EXPECT_FALSE(form->Signature().HasResult());
    EXPECT_FALSE(SignatureItemEnabled());

    // Loaded again, the new file's signature is the one shown.
    form->image8Click();
    LoadAndWait(file);
    EXPECT_EQ("Signed by Self Signed Example " + kDash + " Not trusted", form->Signature().TooltipText());
    EXPECT_TRUE(SignatureItemEnabled());
}

TEST_F(SignatureWindow, ClosingDuringACheckEndsItAndLeavesNothing) {
    const testutil::ResourceCounts before = testutil::LiveResources();
    for (int i = 0; i < 20; ++i) {
        form->SetText(edt1, testutil::SignedFile(i % 2 ? "pe32-trusted.exe" : "pe32plus-changed.exe"));
        form.reset();  // with the check running
        form = testutil::NewMainForm();
    }
    form.reset();
    Sleep(500);
    ui::Application().ProcessMessages();
    const testutil::ResourceCounts after = testutil::LiveResources();
    EXPECT_LE(after.handles, before.handles + 8);
    EXPECT_LE(after.user, before.user + 2);
}

}  // namespace

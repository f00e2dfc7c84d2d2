// The signature as a user of the built program meets it: the mouse rests on
// the large icon and its tooltip names the signer and the verdict; the
// detail field's menu opens the "Digital Signature" box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/window/frmMain_ids.h"
#include "driver.h"
#include "signedfiles.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using e2e::Program;
using e2e::WaitUntil;

const char kDialogClass[] = "#32770";
const char kTooltipClass[] = "tooltips_class32";
const char kMenuClass[] = "#32768";

// Moves the mouse over `window`'s middle and a little within it, as a hand
// resting on it does.
void RestMouseOn(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    for (int step = 0; step < 3; ++step) {
        SetCursorPos((rc.left + rc.right) / 2 + step, (rc.top + rc.bottom) / 2);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_MOVE;
        in.mi.dx = step ? 1 : -1;
        SendInput(1, &in, sizeof in);
        Sleep(50);
    }
}

// The text of the program's tooltip that shows while the mouse rests on
// `picture`; the mouse is moved there again now and then, in case the tip
// went before it was read.
std::string ShownTooltip(const Program& program, HWND picture) {
    std::string text;
    for (int attempt = 0; attempt < 4 && text.empty(); ++attempt) {
        RestMouseOn(picture);
        WaitUntil(
            [&] {
                for (HWND tip : e2e::TopLevelWindows(program.Pid(), kTooltipClass))
                    if (IsWindowVisible(tip)) text = e2e::TextOf(tip);
                return !text.empty();
            },
            3000);
    }
    return text;
}

TEST(SignatureFromOutside, TheLargeIconsTooltipAndTheDigitalSignatureBox) {
    testutil::TrustedTestRoot root;
    if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
    testutil::TempDir dir;
    const std::string file = dir.Path("signed.exe");
    ASSERT_TRUE(CopyFileA(testutil::SignedFile("pe32plus-trusted.exe").c_str(), file.c_str(), FALSE));
    Program program("\"" + file + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    ASSERT_TRUE(program.WaitForDigest());
    SetForegroundWindow(program.Main());

    const std::string tip = ShownTooltip(program, program.Control(image2));
    EXPECT_EQ(0u, tip.find("Signed by Example Corp \xE2\x80\x94 Valid (timestamp 2026-0")) << tip;

    // The menu key on a detail field, then the item's mnemonic.
    HWND field = program.Control(edt4);
    PostMessageA(field, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(field), MAKELPARAM(-1, -1));
    HWND menu = program.WaitForWindow(kMenuClass);
    ASSERT_NE(nullptr, menu);
    PostMessageA(menu, WM_KEYDOWN, 'G', 0);
    PostMessageA(menu, WM_CHAR, 'g', 0);
    HWND box = program.WaitForWindow(kDialogClass, program.Main());
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Digital Signature", e2e::TextOf(box));
    const std::string text = e2e::TextOf(e2e::FindChild(box, 0xFFFF));
    EXPECT_EQ(
        0u, text.find("Status: Valid\nSigner: Example Corp\nIssuer: Vantrel Test Root\nSigning time: 2026-0"))
        << text;
    EXPECT_NE(std::string::npos, text.find("Digest algorithm: SHA-256")) << text;
    e2e::PressButton(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));

    // A changed copy, dropped in as a new name: the tooltip follows.
    const std::string changed = dir.Path("changed.exe");
    ASSERT_TRUE(CopyFileA(testutil::SignedFile("pe32plus-changed.exe").c_str(), changed.c_str(), FALSE));
    ASSERT_TRUE(e2e::SetTextOf(program.Control(edt1), changed));
    ASSERT_TRUE(program.WaitForDigest());
    std::string changedTip;
    EXPECT_TRUE(WaitUntil([&] {
        changedTip = ShownTooltip(program, program.Control(image2));
        return changedTip.find("Changed after signing") != std::string::npos;
    })) << changedTip;
    EXPECT_EQ(std::string::npos, changedTip.find("Valid"));

    // A signer's name with CR LF, TAB and ESC in it is one line of the tip.
    const std::string odd = dir.Path("odd.exe");
    ASSERT_TRUE(CopyFileA(testutil::SignedFile("pe32plus-ctlname.exe").c_str(), odd.c_str(), FALSE));
    ASSERT_TRUE(e2e::SetTextOf(program.Control(edt1), odd));
    ASSERT_TRUE(program.WaitForDigest());
    std::string oddTip;
    EXPECT_TRUE(WaitUntil([&] {
        oddTip = ShownTooltip(program, program.Control(image2));
        return oddTip.find("MD5: 000") != std::string::npos;
    })) << oddTip;
    EXPECT_EQ("Signed by Example Corp  Signature: Valid  MD5: 000 x [0m \xE2\x80\x94 Valid", oddTip);

    EXPECT_EQ(0u, program.Exit());
}

}  // namespace

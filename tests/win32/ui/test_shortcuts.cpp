// The keyboard and the context menu: real keystrokes and clicks through
// SendInput, taken by the program's own message loop; none acts under a modal
// window. Also the names a screen reader reads for the picture buttons.
#include <windows.h>
#include <oleacc.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/window/About.h"
#include "app/window/frmMain.h"
#include "app/details/report.h"
#include "app/window/shortcuts.h"
#include "app/verify/verify.h"
#include "components/digestsink.h"
#include "mainform.h"
#include "testutil.h"

using namespace frmMain;

using testutil::ClipboardText;
using testutil::PutOnClipboard;

namespace {

// Dispatches through the program's loop (where the shortcuts are translated)
// until the injected input has been taken.
void PumpInput() {
    for (int i = 0; i < 20; ++i) {
        ui::Application().ProcessMessages();
        Sleep(5);
    }
}

INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

// Holds the modifiers, strikes `key`, releases the modifiers.
void Press(std::initializer_list<WORD> modifiers, WORD key) {
    std::vector<INPUT> in;
    for (WORD m : modifiers) in.push_back(Key(m, false));
    in.push_back(Key(key, false));
    in.push_back(Key(key, true));
    for (auto it = modifiers.end(); it != modifiers.begin();) in.push_back(Key(*--it, true));
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    PumpInput();
}

// A right click on the field through the message loop; the edit turns it
// into WM_CONTEXTMENU as it does for the mouse. Posted rather than injected:
// another test's balloon or window may lie over the field on the screen.
void RightClick(HWND target) {
    PostMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(target, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpInput();
}

// The context menu as the program builds it, answered by the test.
std::vector<std::string> g_items;
std::vector<bool> g_enabled;
WORD g_choice;
int g_menus;

WORD AnswerMenu(HMENU menu) {
    ++g_menus;
    g_items.clear();
    g_enabled.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, static_cast<int>(sizeof text / sizeof text[0]),
                       MF_BYPOSITION);
        std::string name;
        for (char c : testutil::Utf8(text))
            if (c != '&') name += c;
        if (name.empty()) continue;  // separator
        g_items.push_back(name);
        g_enabled.push_back(
            !(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)));
    }
    return g_choice;
}

// Timer procedures that run inside the About window's modal show.
bool g_sawAbout;
TAboutBox* g_about;

void CALLBACK SeeAboutAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_sawAbout = g_about->IsModal() && IsWindowVisible(g_about->Handle());
    g_about->CloseModal();
}

void CALLBACK PressEveryShortcutAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_sawAbout = g_about->IsModal();
    SetForegroundWindow(g_about->Handle());
    Press({VK_CONTROL}, 'S');
    Press({VK_CONTROL}, 'O');
    Press({VK_CONTROL, VK_SHIFT}, 'C');
    Press({}, VK_F1);
    g_about->CloseModal();
}

class Keyboard : public testing::Test {
public:
    void SetUp() override {
        form = testutil::NewMainForm();
        about = std::make_unique<TAboutBox>(form->Handle());
        form->SetAboutBox(about.get());
        form->dlg1.onExecute = [this](ui::TSaveDialog& dlg, HWND) {
            ++saveDialogs;
            if (target.empty()) return false;
            dlg.FileName = target;
            return true;
        };
        form->onOpenDialog = [this](OPENFILENAMEW&) {
            ++openDialogs;
            return false;
        };
        form->Keys().SetMenuAnswer(AnswerMenu);
        g_menus = 0;
        g_choice = 0;
        form->Show(SW_SHOWNORMAL);
        SetForegroundWindow(form->Handle());
        SetFocus(form->Control(edt4));
        PumpInput();
        file = dir.Write("input.txt", "the bytes of the inspected file\r\n");
    }
    void TearDown() override {
        about.reset();
        form.reset();
    }
    void Load() {
        form->SetText(edt1, file);
        SetFocus(form->Control(edt4));
        PumpInput();
    }

    testutil::TempDir dir;
    testutil::MessageBoxRecorder boxes;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TAboutBox> about;
    std::string file, target;
    int saveDialogs = 0, openDialogs = 0;
};

TEST_F(Keyboard, CtrlSSavesAsTheSavePictureDoes) {
    Press({VK_CONTROL}, 'S');
    ASSERT_EQ(1u, boxes.boxes().size()) << "no file yet: the Save picture's refusal";
    EXPECT_EQ("You Must Select a File First to Save File Infrmation", boxes.boxes()[0].text);
    EXPECT_EQ(0, saveDialogs);

    Load();
    target = dir.Path("report.txt");
    const std::string before = ReportText(form->CurrentReport());
    Press({VK_CONTROL}, 'S');
    const std::string after = ReportText(form->CurrentReport());
    EXPECT_EQ(1, saveDialogs);
    const std::string saved = testutil::ReadAll(target);
    EXPECT_TRUE(saved == before || saved == after) << saved;
    Press({}, 'S');
    EXPECT_EQ(1, saveDialogs) << "S alone is no shortcut";
}

TEST_F(Keyboard, CtrlOBrowsesAndF1OpensAbout) {
    Press({VK_CONTROL}, 'O');
    EXPECT_EQ(1, openDialogs);

    g_sawAbout = false;
    g_about = about.get();
    SetTimer(nullptr, 0, 50, SeeAboutAndClose);
    Press({}, VK_F1);
    // The modal show returns only after the timer closed it.
    EXPECT_TRUE(g_sawAbout);
    EXPECT_FALSE(about->IsModal());
}

TEST_F(Keyboard, CtrlShiftCCopiesExactlyTheReportBytes) {
    Load();
    PutOnClipboard("before");
    const std::string before = ReportText(form->CurrentReport());
    Press({VK_CONTROL, VK_SHIFT}, 'C');
    const std::string after = ReportText(form->CurrentReport());
    const std::string clip = ClipboardText();
    EXPECT_TRUE(clip == before || clip == after) << clip;
    std::size_t lines = 0;
    for (std::size_t at = clip.find("\r\n"); at != std::string::npos; at = clip.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(28u, lines);

    // The same bytes as the file Save writes.
    target = dir.Path("saved.txt");
    Press({VK_CONTROL}, 'S');
    const std::string saved = testutil::ReadAll(target);
    if (before == after && ReportText(form->CurrentReport()) == before) {
        EXPECT_EQ(saved, clip);
    }
}

TEST_F(Keyboard, AVersionTextShapedLikeReportLinesCannotForgeTheCopiedReport) {
    file = testutil::WindowsPath(std::string(VANTREL_FIXTURES_DIR) + "/forged_lines.dll");
    Load();
    // The rows show each text on one line, control characters as blanks.
    EXPECT_EQ("first line  MD5: 00000000000000000000000000000000  CRC: 1234", form->Text(edt14));
    EXPECT_EQ("one two three four", form->Text(edt10));
    PutOnClipboard("before");
    Press({VK_CONTROL, VK_SHIFT}, 'C');
    const std::string clip = ClipboardText();
    const std::vector<std::string> lines = testutil::SplitCrLf(clip);
    ASSERT_EQ(28u, lines.size()) << clip;
    // No line break but the 28 line ends.
    EXPECT_EQ(28, std::count(clip.begin(), clip.end(), '\n'));
    EXPECT_EQ(28, std::count(clip.begin(), clip.end(), '\r'));
    // The first MD5 line is the real one.
    std::size_t md5Line = 0;
    while (md5Line < lines.size() && lines[md5Line].rfind("MD5: ", 0) != 0) ++md5Line;
    ASSERT_EQ(19u, md5Line);
    EXPECT_EQ("MD5: " + testutil::CryptoApiMd5(testutil::ReadAll(file)), lines[md5Line]);
}

TEST_F(Keyboard, EscDoesNothingWithoutARunningLoad) {
    Load();
    const std::string md5 = form->Text(edt18);
    Press({}, VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(file, form->Text(edt1));
    EXPECT_EQ(md5, form->Text(edt18));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(0, saveDialogs);
    EXPECT_EQ(0, openDialogs);
}

TEST_F(Keyboard, NoShortcutActsUnderAModalWindow) {
    Load();
    PutOnClipboard("kept");
    target = dir.Path("never.txt");
    g_about = about.get();
    SetTimer(nullptr, 0, 50, PressEveryShortcutAndClose);
    form->image6Click();
    EXPECT_TRUE(g_sawAbout);
    EXPECT_EQ(0, saveDialogs);
    EXPECT_EQ(0, openDialogs);
    EXPECT_EQ("kept", ClipboardText());
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.c_str()));
    // Back on the main window, the same keys act again.
    SetForegroundWindow(form->Handle());
    PumpInput();
    Press({VK_CONTROL}, 'O');
    EXPECT_EQ(1, openDialogs);
}

TEST_F(Keyboard, RightClickOffersTheSystemItemsAndTheDigests) {
    Load();
    RightClick(form->Control(edt4));
    ASSERT_EQ(1, g_menus);
    EXPECT_EQ((std::vector<std::string>{"Copy", "Select All", "Copy All Details", "Digital Signature\xE2\x80\xA6",
                                        "Checksum File Signature\xE2\x80\xA6", "Compare with\xE2\x80\xA6\tCtrl+K"}),
              g_items);

    g_choice = Shortcuts::kSelectAll;
    RightClick(form->Control(edt18));
    EXPECT_EQ((std::vector<std::string>{"Copy", "Select All", "Copy All Details", "Copy SHA-256",
                                        "Copy SHA-1", "Copy SHA-384", "Copy SHA-512", "Copy BLAKE2b-512",
                                        "Copy BLAKE3-256", "Digital Signature\xE2\x80\xA6",
                                        "Checksum File Signature\xE2\x80\xA6", "Compare with\xE2\x80\xA6\tCtrl+K"}),
              g_items);
    // A text file carries no signature: its box is greyed. No checksum file
    // lists it: nor is that box offered.
    EXPECT_EQ((std::vector<bool>{false, true, true, true, true, true, true, true, true, false, false, true}),
              g_enabled)
        << "nothing selected yet";
    g_choice = Shortcuts::kCopy;
    RightClick(form->Control(edt18));
    EXPECT_TRUE(g_enabled[0]) << "Select All selected the row";
    EXPECT_EQ(form->Text(edt18), ClipboardText());

    const std::string bytes = testutil::ReadAll(file);
    g_choice = Shortcuts::kCopySha256;
    RightClick(form->Control(edt17));
    EXPECT_EQ(testutil::CryptoApiHash(CALG_SHA_256, bytes), ClipboardText());
    PumpInput();
    EXPECT_EQ(edt18, form->Verifier().MarkedRow()) << "the copied digest matches the file";
    EXPECT_EQ("SHA-256 matches the clipboard", form->Verifier().TooltipText());

    g_choice = Shortcuts::kCopySha1;
    RightClick(form->Control(edt18));
    EXPECT_EQ(testutil::CryptoApiHash(CALG_SHA1, bytes), ClipboardText());

    // The wider digests, as the program's kernels give them (checked against
    // their own tools in the host tests), each of which the clipboard check
    // then finds matching.
    const struct {
        Shortcuts::Command command;
        DigestKind kind;
    } wide[] = {{Shortcuts::kCopySha384, DigestKind::SHA384},
                {Shortcuts::kCopySha512, DigestKind::SHA512},
                {Shortcuts::kCopyBlake2b, DigestKind::BLAKE2b},
                {Shortcuts::kCopyBlake3, DigestKind::BLAKE3}};
    for (const auto& w : wide) {
        SCOPED_TRACE(DigestKindName(w.kind));
        const std::unique_ptr<HexDigestSink> sink = MakeHexDigestSink(w.kind);
        sink->Update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        g_choice = w.command;
        RightClick(form->Control(edt18));
        EXPECT_EQ(sink->Hex(), ClipboardText());
        PumpInput();
        // The copied BLAKE digests are bare hex, whose length reads as a SHA;
        // the SHAs are found as themselves.
        if (w.kind == DigestKind::SHA384 || w.kind == DigestKind::SHA512) {
            EXPECT_EQ(std::string(DigestKindName(w.kind)) + " matches the clipboard",
                      form->Verifier().TooltipText());
        }
    }

    g_choice = Shortcuts::kCopyAllDetails;
    const std::string before = ReportText(form->CurrentReport());
    RightClick(form->Control(edt10));
    const std::string clip = ClipboardText();
    EXPECT_TRUE(clip == before || clip == ReportText(form->CurrentReport()));

    // Without a file the digests are offered but not enabled.
    form->image8Click();
    g_choice = 0;
    RightClick(form->Control(edt17));
    ASSERT_EQ(12u, g_enabled.size());
    for (std::size_t i = 3; i < 9; ++i) EXPECT_FALSE(g_enabled[i]) << g_items[i];
    EXPECT_FALSE(g_enabled[10]) << g_items[10];
    EXPECT_FALSE(g_enabled[11]) << "nothing to compare";
}

TEST_F(Keyboard, CopyingADigestOfAHeldFileShowsWhyAndKeepsTheClipboard) {
    Load();
    PutOnClipboard("kept");
    HANDLE held = testutil::OpenForWriting(file);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    g_choice = Shortcuts::kCopySha256;
    RightClick(form->Control(edt18));
    CloseHandle(held);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(0u, boxes.boxes()[0].text.find("Cannot open file \"")) << boxes.boxes()[0].text;
    EXPECT_EQ("Vantrel 1.0", boxes.boxes()[0].caption);
    EXPECT_EQ("kept", ClipboardText());
}

TEST_F(Keyboard, PictureButtonsAnnounceTheirCaptions) {
    const std::pair<int, const wchar_t*> names[] = {
        {image4, L"Save"}, {image8, L"Clear"}, {image7, L"Tray"}, {image6, L"About"}, {image5, L"Exit"},
    };
    for (const auto& [id, name] : names) {
        IAccessible* acc = nullptr;
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(form->Control(id), static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible), reinterpret_cast<void**>(&acc)));
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR got = nullptr;
        EXPECT_EQ(S_OK, acc->get_accName(self, &got));
        EXPECT_EQ(std::wstring(name), got ? std::wstring(got) : std::wstring());
        SysFreeString(got);
        acc->Release();
    }
}

}  // namespace

// The window's compare of the shown file with a second one: the rows that
// differ take the mismatch colour with the second file's value as their
// tooltip, the verdict in the title, the colours going neutral when either
// file changes, Clear and the next load ending it, Esc stopping a compare of
// 2 GiB, and the ways in: the menu's command (Ctrl+K), a drop with Shift
// held, and the command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/details/fields.h"
#include "app/verify/comparewindow.h"
#include "app/verify/verify.h"
#include "app/window/frmMain.h"
#include "app/window/shortcuts.h"
#include "base/handles.h"
#include "components/hashtext.h"
#include "mainform.h"
#include "testutil.h"
#include "ui/application.h"

using namespace frmMain;

namespace {

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

std::string Title(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return testutil::Utf8(text);
}

class CompareWindow : public testing::Test {
protected:
    void SetUp() override {
        a = dir.Write("a.bin", "line one\nline two\nline three\n");
        form = testutil::NewMainForm();
        form->Show(SW_SHOWNORMAL);
        title = Title(form->Handle());
        form->SetText(edt1, a);
        ASSERT_TRUE(form->Verifier().Loaded().Known());
    }
    void TearDown() override { form.reset(); }

    // The background the row's parent gives it when it paints.
    COLORREF PaintedBackground(int row) {
        HWND h = form->Control(row);
        HDC dc = CreateCompatibleDC(nullptr);
        SetBkColor(dc, RGB(1, 2, 3));
        SendMessageW(GetParent(h), fields::IsCheckBox(row) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC,
                     reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h));
        const COLORREF c = GetBkColor(dc);
        DeleteDC(dc);
        return c;
    }

    testutil::TempDir dir;
    std::string a, title;
    std::unique_ptr<TForm1> form;
};

TEST_F(CompareWindow, RowsThatDifferTakeTheMismatchColourWithTheOtherValue) {
    const std::string b = dir.Write("b.bin", "line one\nline TWO, longer\nline three\n");
    SetFileAttributesW(testutil::Utf16(b).c_str(), FILE_ATTRIBUTE_READONLY);
    const COLORREF usual = PaintedBackground(edt3);
    form->CompareWith(b);
    SetFileAttributesW(testutil::Utf16(b).c_str(), FILE_ATTRIBUTE_NORMAL);
    const FileCompare& compare = form->Comparison();
    EXPECT_EQ("Differs from b.bin at byte 15", compare.Verdict());
    EXPECT_EQ(title + " \xE2\x80\x94 Differs from b.bin at byte 15", Title(form->Handle()));
    struct Row {
        int id;
        std::string tip;  // empty: the row agrees
    };
    const Row rows[] = {
        {edt2, "In b.bin: b.bin"},
        {edt3, ""},  // the same type
        {edt4, "In b.bin: 37"},
        {chk2, "In b.bin: True"},
        {edt17, "Differs from b.bin at byte 15"},
        {edt18, "Differs from b.bin at byte 15"},
        {edt9, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(r.tip, compare.RowTooltip(r.id));
        EXPECT_EQ(r.tip.empty() ? CLR_INVALID : FileCompare::kDiffer, compare.RowColor(r.id));
        EXPECT_EQ(r.tip.empty() ? usual : FileCompare::kDiffer, PaintedBackground(r.id));
    }
    // The shown file stays the first.
    EXPECT_EQ(a, form->SelectedFileName);
    EXPECT_EQ(a, form->Text(edt1));

    // Clear ends the compare.
    form->image8Click();
    EXPECT_FALSE(compare.Active());
    EXPECT_EQ(CLR_INVALID, compare.RowColor(edt4));
    EXPECT_EQ(title, Title(form->Handle()));
}

TEST_F(CompareWindow, EachVerdictOnItsLine) {
    const std::string same = dir.Write("same.bin", "line one\nline two\nline three\n");
    const std::string shorter = dir.Write("short.bin", "line one\nline");
    const std::string longer = dir.Write("long.bin", "line one\nline two\nline three\nmore");
    struct Case {
        std::string second, verdict;
    };
    const Case cases[] = {
        {same, "Same contents as same.bin"},
        {shorter, "short.bin is shorter: it ends at byte 13"},
        {longer, "long.bin is longer: it goes on past byte 29"},
        {a, "a.bin is the same file"},
        {dir.Path("missing.bin"), "missing.bin could not be read: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        form->CompareWith(c.second);
        EXPECT_EQ(0u, form->Comparison().Verdict().find(c.verdict)) << form->Comparison().Verdict();
        EXPECT_NE(std::string::npos, Title(form->Handle()).find(form->Comparison().Verdict()));
    }
    // Same contents: only the name's rows differ; the contents' rows agree.
    form->CompareWith(same);
    EXPECT_EQ(CLR_INVALID, form->Comparison().RowColor(edt4));
    EXPECT_EQ(CLR_INVALID, form->Comparison().RowColor(edt18));
    EXPECT_EQ(FileCompare::kDiffer, form->Comparison().RowColor(edt2));
    // Loading another file ends it.
    form->SetText(edt1, same);
    EXPECT_FALSE(form->Comparison().Active());
    EXPECT_EQ(title, Title(form->Handle()));
}

TEST_F(CompareWindow, AChangeToEitherFileMakesTheColoursNeutral) {
    const std::string b = dir.Write("b.bin", "other contents, longer than the first file's\n");
    for (int changed = 0; changed < 2; ++changed) {
        SCOPED_TRACE(changed);
        // Loaded again: the last round changed it.
        form->image8Click();
        form->SetText(edt1, a);
        form->CompareWith(b);
        const FileCompare& compare = form->Comparison();
        ASSERT_EQ(FileCompare::kDiffer, compare.RowColor(edt4));
        {
            base::UniqueFile f(CreateFileW(testutil::Utf16(changed ? b : a).c_str(), FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
            ASSERT_TRUE(f.valid());
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(f.get(), "x", 1, &written, nullptr));
        }
        ASSERT_TRUE(PumpUntil([&] { return compare.RowColor(edt4) == CLR_INVALID; }));
        EXPECT_EQ(kFileChangedSinceLoad, compare.RowTooltip(edt4));
        EXPECT_EQ(PaintedBackground(edt3), PaintedBackground(edt4));
    }
}

TEST_F(CompareWindow, EscStopsACompareOfTwoGiB) {
    const std::string big1 = dir.Path("big1.bin"), big2 = dir.Path("big2.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(big1, 2ull << 30));
    ASSERT_TRUE(testutil::MakeSparseFile(big2, 2ull << 30));
    form->SetText(edt1, big1);
    std::uint64_t stoppedAt = 0, total = 0;
    bool posted = false;
    form->LoadPass().onTick = [&](std::uint64_t done, std::uint64_t all) {
        total = all;
        if (posted || done == 0) return;
        posted = true;
        stoppedAt = done;
        PostMessageW(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    const std::string md5 = form->Text(edt18);
    form->CompareWith(big2);
    form->LoadPass().onTick = nullptr;
    ASSERT_TRUE(posted);
    EXPECT_EQ(2ull << 30, total);
    EXPECT_LT(stoppedAt, total / 2);
    EXPECT_FALSE(form->Comparison().Active());
    EXPECT_EQ("", form->Comparison().Verdict());
    EXPECT_EQ(md5, form->Text(edt18)) << "the progress text gives the row back";
}

TEST_F(CompareWindow, TheMenuAShiftDropAndTheCommandLineCompare) {
    const std::string b = dir.Write("b.bin", "line one\nline two\nline 3\n");
    // The menu's command asks for the second file.
    form->onOpenDialog = [&](OPENFILENAMEW& ofn) {
        lstrcpynW(ofn.lpstrFile, testutil::Utf16(b).c_str(), static_cast<int>(ofn.nMaxFile));
        return true;
    };
    HMENU menu = form->Keys().BuildMenu(edt4);
    EXPECT_EQ(0u, GetMenuState(menu, Shortcuts::kCompareWith, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
    form->Keys().Run(Shortcuts::kCompareWith);
    EXPECT_EQ("Differs from b.bin at byte 24", form->Comparison().Verdict());
    form->image8Click();

    // A drop with Shift held compares instead of loading.
    form->SetText(edt1, a);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(testutil::MakeWideDrop({b})), 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(a, form->SelectedFileName);
    EXPECT_EQ("Differs from b.bin at byte 24", form->Comparison().Verdict());
    // Without Shift a drop loads, and that ends the compare.
    SendMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(testutil::MakeWideDrop({b})), 0);
    EXPECT_EQ(b, form->SelectedFileName);
    EXPECT_FALSE(form->Comparison().Active());

    // "vantrel.exe A B".
    form.reset();
    form = std::make_unique<TForm1>("vantrel.exe \"" + a + "\" \"" + b + "\"");
    EXPECT_EQ(a, form->SelectedFileName);
    EXPECT_EQ("Differs from b.bin at byte 24", form->Comparison().Verdict());
}

}  // namespace

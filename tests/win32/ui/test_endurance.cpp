// Endurance: a thousand loads, clears and drops in one main window, with the
// process's handles, GDI and USER objects and private bytes staying flat.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/window/frmMain.h"
#include "testutil.h"

using namespace frmMain;

namespace {

struct Usage {
    testutil::ResourceCounts counts;
    std::size_t privateBytes;
};

Usage Measure() { return {testutil::LiveResources(), testutil::PrivateBytes()}; }

void Print(const char* when, const Usage& u) {
    std::printf("  %-7s handles %lu, GDI objects %lu, USER objects %lu, private bytes %lu KiB\n", when,
                static_cast<unsigned long>(u.counts.handles), static_cast<unsigned long>(u.counts.gdi),
                static_cast<unsigned long>(u.counts.user), static_cast<unsigned long>(u.privateBytes / 1024));
}

TEST(Endurance, AThousandLoadsClearsAndDropsLeaveResourcesFlat) {
    testutil::TempDir dir;
    testutil::MessageBoxRecorder boxes;
    TForm1 form("vantrel.exe");
    // Small files keep each load short; a program with a version resource
    // keeps the version component busy; a file held by a writer makes the
    // digest fail, so the failure path runs as often as the others.
    const std::string text = dir.Write("small.txt", "small text");
    const std::string binary = dir.Write("small.bin", std::string(300, '\x5A'));
    const std::string program = dir.Path("versioned.exe");
    ASSERT_TRUE(CopyFileA(testutil::WindowsPath(VANTREL_EXE).c_str(), program.c_str(), FALSE));
    const std::string held = dir.Write("held.txt", "held by a writer");
    base::UniqueFile writer(testutil::OpenForWriting(held));
    ASSERT_TRUE(writer.valid());
    const std::string missing = dir.Path("missing.txt");

    auto drop = [&](const std::vector<std::string>& paths) {
        SendMessageA(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(testutil::MakeDrop(paths)), 0);
    };
    auto clickClear = [&] {
        HWND pic = form.Control(image8);
        SendMessageA(pic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageA(pic, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    };
    // One round of ten operations; the expensive loads are mixed with cheap
    // ones (a missing name, a folder, Clear) to keep the run short.
    const std::vector<std::function<void()>> round = {
        [&] { form.SetText(edt1, text); },
        [&] { form.SetText(edt1, program); },
        [&] { form.SetText(edt1, missing); },
        [&] { drop({binary}); },
        [&] { clickClear(); },
        [&] { drop({dir.path()}); },
        [&] { form.SetText(edt1, held); },
        [&] { form.image8Click(); },
        [&] { drop({text, binary}); },
        [&] { form.SetText(edt1, ""); },
    };
    auto run = [&](int rounds) {
        for (int r = 0; r < rounds; ++r) {
            for (const auto& op : round) op();
            testutil::Pump();
        }
    };

    constexpr int kWarmUp = 5;  // caches of the shell, the heap and the icon lists fill here
    run(kWarmUp);
    ASSERT_EQ(static_cast<size_t>(kWarmUp), boxes.boxes().size()) << "one message per failed load";
    boxes.clear();
    const Usage before = Measure();
    const DWORD start = GetTickCount();
    constexpr int kRounds = 100;
    run(kRounds);
    const DWORD elapsed = GetTickCount() - start;
    const Usage after = Measure();

    std::printf("  %d operations in %lu ms\n", kRounds * static_cast<int>(round.size()),
                static_cast<unsigned long>(elapsed));
    Print("before", before);
    Print("after", after);
    EXPECT_EQ(static_cast<size_t>(kRounds), boxes.boxes().size());
    EXPECT_LE(after.counts.handles, before.counts.handles + 4);
    EXPECT_LE(after.counts.gdi, before.counts.gdi + 4);
    EXPECT_LE(after.counts.user, before.counts.user + 4);
    EXPECT_LE(after.privateBytes, before.privateBytes + 1024 * 1024);
    // The window still works after the run.
    form.SetText(edt1, binary);
    EXPECT_EQ("300", form.Text(edt4));
    EXPECT_EQ(testutil::CryptoApiMd5(std::string(300, '\x5A')), form.Text(edt18));
}

}  // namespace

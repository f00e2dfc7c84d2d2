// The built program driven from outside, each test with a process of its own:
// start-up with a path, typing a path, Clear, the report through the system's
// save dialog, the message boxes, the tray, the About window and Exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/window/About.h"
#include "app/details/datetimetext.h"
#include "app/window/frmMain_layout.h"
#include "app/details/datetimesettings.h"
#include "components/crc.h"
#include "driver.h"
#include "longpaths.h"
#include "ui/trayicon.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using e2e::Program;
using e2e::WaitUntil;
using testutil::TempDir;

const char kDialogClass[] = "#32770";
constexpr int kMessageTextId = 0xFFFF;  // the static control of a message box's text
// The file-name box of the system's save dialog: an edit (edt1) in Wine's,
// a combo box with an edit (cmb13) in Windows' own.
constexpr int kFileNameEdit = 0x480;
constexpr int kFileNameCombo = 0x47C;

// The CRC row: the reflected CRC-32 started at all ones, without final XOR.
std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

std::string SizeOnDisk(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "missing";
    return std::to_string((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// Bytes that cross several MD5 blocks and have no pattern that hides errors.
std::string Contents(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// Every date-time text from `from` to `to`, second by second.
std::vector<std::string> TimeTextsBetween(const SYSTEMTIME& from, const SYSTEMTIME& to) {
    std::vector<std::string> texts;
    FILETIME ft, end;
    SystemTimeToFileTime(&from, &ft);
    SystemTimeToFileTime(&to, &end);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}}, last{{end.dwLowDateTime, end.dwHighDateTime}};
    t.QuadPart -= t.QuadPart % 10000000;
    for (; t.QuadPart <= last.QuadPart; t.QuadPart += 10000000) {
        FILETIME step{t.LowPart, t.HighPart};
        SYSTEMTIME st;
        FileTimeToSystemTime(&step, &st);
        TDateTime d = 0, tm = 0;
        TryEncodeDate(st.wYear, st.wMonth, st.wDay, d);
        TryEncodeTime(st.wHour, st.wMinute, st.wSecond, 0, tm);
        texts.push_back(DateTimeText(d + tm, CurrentDateTimeFormat()));
    }
    return texts;
}

// The message box shown by the program: its caption and text, read from its
// own windows.
struct SeenBox {
    std::string caption, text;
};
SeenBox ReadBox(HWND box) { return {e2e::TextOf(box), e2e::TextOf(GetDlgItem(box, kMessageTextId))}; }

class ProgramFromOutside : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(ProgramFromOutside, StartedWithAPathShowsTheFilesDetails) {
    const std::string data = Contents(100003);
    const std::string path = dir.Write("sample file.bin", data);
    // A second argument is the file the first is compared with; one that
    // names no file is the compare's verdict, and the first is shown as ever.
    Program program("\"" + path + "\" second-argument-missing");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    EXPECT_EQ(0u, e2e::TextOf(program.Main())
                      .find("Vantrel 1.0 \xE2\x80\x94 second-argument-missing could not be read: "))
        << e2e::TextOf(program.Main());
    EXPECT_EQ(path, program.Text(edt1));
    EXPECT_EQ("sample file.bin", program.Text(edt2));
    EXPECT_EQ(SizeOnDisk(path), program.Text(edt4));
    EXPECT_EQ(CrcText(data), program.Text(edt17));
    EXPECT_EQ(testutil::CryptoApiMd5(data), program.Text(edt18));
    EXPECT_TRUE(program.Checked(chk1));
    EXPECT_FALSE(program.Checked(chk2));
    EXPECT_FALSE(program.Text(edt7).empty());
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ProgramFromOutside, TypingAPathLoadsItAtTheLastKeystroke) {
    const std::string data = "typed by hand";
    const std::string path = dir.Write("typed.txt", data);
    Program program;
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    EXPECT_EQ("", program.Text(edt4));
    HWND box = program.Control(edt1);
    for (unsigned char c : path) PostMessageA(box, WM_CHAR, c, 1);
    EXPECT_TRUE(WaitUntil([&] { return program.Text(edt1) == path; }));
    EXPECT_TRUE(WaitUntil([&] { return program.Text(edt18) == testutil::CryptoApiMd5(data); }));
    EXPECT_EQ(SizeOnDisk(path), program.Text(edt4));
    EXPECT_EQ(CrcText(data), program.Text(edt17));
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ProgramFromOutside, AnAssignedPathLoadsAndClearEmptiesEveryField) {
    const std::string data = Contents(64);
    const std::string path = dir.Write("assigned.dat", data);
    Program program;
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    ASSERT_TRUE(e2e::SetTextOf(program.Control(edt1), path));
    EXPECT_EQ(testutil::CryptoApiMd5(data), program.Text(edt18));
    EXPECT_EQ("64", program.Text(edt4));

    program.Click(image8);
    EXPECT_TRUE(WaitUntil([&] { return program.Text(edt1).empty(); }));
    EXPECT_TRUE(WaitUntil([&] { return program.Text(edt18).empty(); }));
    for (int id = edt2; id <= edt18; ++id) EXPECT_EQ("", program.Text(id)) << id;
    for (int id = chk1; id <= chk7; ++id) EXPECT_FALSE(program.Checked(id)) << id;
    EXPECT_EQ(0u, program.Exit());
}

// The report's lines 3 to 28: each label with the window field it copies.
struct ReportField {
    const char* label;
    int id;
};
constexpr ReportField kTextLines[] = {
    {"File: ", edt1},          {"Display Name: ", edt2},        {"File Type: ", edt3},
    {"File Version: ", edt9},  {"Company Name: ", edt8},        {"Description: ", edt10},
    {"Legal Copyright: ", edt11}, {"Legal Trademark: ", edt12}, {"Language: ", edt13},
    {"Comments: ", edt14},     {"Original File Name: ", edt15}, {"Internal File Name: ", edt16},
    {"File Size (bytes): ", edt4}, {"Created: ", edt5},         {"Last Accessed: ", edt6},
    {"Last Modified: ", edt7}, {"CRC: ", edt17},                {"MD5: ", edt18},
};
constexpr ReportField kCheckLines[] = {
    {"Archive", chk1}, {"Read Only", chk2},   {"Hidden", chk3},  {"System", chk4},
    {"Temporary", chk5}, {"Compressed", chk6}, {"Offline", chk7},
};

TEST_F(ProgramFromOutside, SavesTheReportThroughTheSystemsDialog) {
    // A program with a version resource, so that the version lines carry
    // text: a copy of this very program.
    const std::string path = dir.Path("inspected.exe");
    ASSERT_TRUE(CopyFileA(testutil::WindowsPath(VANTREL_EXE).c_str(), path.c_str(), FALSE));
    Program program("\"" + path + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    ASSERT_FALSE(program.Text(edt8).empty());
    ASSERT_EQ(SizeOnDisk(path), program.Text(edt4));
    ASSERT_TRUE(program.WaitForDigest());

    program.Click(image4);
    HWND dialog = program.WaitForWindow(kDialogClass, program.Main());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Save to a Text File", e2e::TextOf(dialog));
    EXPECT_FALSE(IsWindowEnabled(program.Main())) << "modal";
    HWND name = e2e::FindChild(dialog, kFileNameEdit);
    if (!name) name = e2e::FindChild(dialog, kFileNameCombo);
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(program.Text(edt2) + ".txt", e2e::TextOf(name)) << "the display name, with .txt";

    // A name typed without an extension gets the default one.
    const std::string report = dir.Path("report.txt");
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    ASSERT_TRUE(e2e::SetTextOf(name, dir.Path("report")));
    e2e::PressButton(dialog, IDOK);
    std::string bytes;
    EXPECT_TRUE(WaitUntil([&] {
        bytes = testutil::ReadAll(report);
        return bytes.find("Offline = ") != std::string::npos && bytes.back() == '\n';
    })) << bytes;
    GetLocalTime(&after);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }));

    const std::vector<std::string> lines = testutil::SplitCrLf(bytes);
    EXPECT_TRUE(testutil::EndsEveryLineInCrLf(bytes)) << "every line ends with CR LF, the last one too";
    ASSERT_EQ(28u, lines.size()) << bytes;
    bool timeMatches = false;
    for (const std::string& t : TimeTextsBetween(before, after))
        timeMatches = timeMatches || lines[0] == "Generated by Vantrel at " + t;
    EXPECT_TRUE(timeMatches) << lines[0];
    EXPECT_EQ(std::string(56, '*'), lines[1]);
    size_t n = 2;
    for (const ReportField& f : kTextLines) EXPECT_EQ(f.label + program.Text(f.id), lines[n++]);
    EXPECT_EQ("Attributes:", lines[n++]);
    for (const ReportField& f : kCheckLines)
        EXPECT_EQ(std::string(f.label) + (program.Checked(f.id) ? " = True" : " = False"), lines[n++]);
    EXPECT_EQ(0u, program.Exit());
}

// Names too long for the dialog's own handling of its Save button (which
// keeps paths in buffers of MAX_PATH characters: under Wine a longer name is
// cut to 259 characters, from 269 on the process dies) are saved whole.
TEST_F(ProgramFromOutside, LongNamesInTheSaveDialogAreSavedWhole) {
    const std::string inspected = dir.Write("inspected.txt", "inspected");
    Program program("\"" + inspected + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    const struct {
        size_t length;
        bool typedWithoutExtension, exists;
        const char* what;
    } cases[] = {
        {264, false, false, "the name cut to 259 characters exists"},
        {300, true, false, "300 characters, typed without .txt"},
        {280, false, true, "an existing target: the replace question, answered Yes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const testutil::LongTarget t = testutil::MakeLongTarget(dir.path(), c.length, 80);
        ASSERT_EQ(c.length, t.path.size());
        const std::string cut = t.path.substr(0, 259);
        ASSERT_TRUE(testutil::WriteLong(cut, "keep me"));
        if (c.exists) {
            ASSERT_TRUE(testutil::WriteLong(t.path, "old report"));
        }

        program.Click(image4);
        HWND dialog = program.WaitForWindow(kDialogClass, program.Main());
        ASSERT_NE(nullptr, dialog);
        HWND name = e2e::FindChild(dialog, kFileNameEdit);
        if (!name) name = e2e::FindChild(dialog, kFileNameCombo);
        ASSERT_NE(nullptr, name);
        ASSERT_TRUE(e2e::SetTextOf(name, c.typedWithoutExtension ? t.path.substr(0, t.path.size() - 4) : t.path));
        e2e::PressButton(dialog, IDOK);
        if (c.exists) {
            HWND question = program.WaitForWindow(kDialogClass, dialog);
            ASSERT_NE(nullptr, question);
            EXPECT_NE(std::string::npos, ReadBox(question).text.find("already exists"));
            e2e::PressButton(question, IDYES);
        }
        std::string bytes;
        EXPECT_TRUE(WaitUntil([&] {
            bytes = testutil::ReadLong(t.path);
            return bytes.find("Offline = ") != std::string::npos && bytes.back() == '\n';
        })) << bytes;
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }));
        const std::vector<std::string> lines = testutil::SplitCrLf(bytes);
        ASSERT_EQ(28u, lines.size());
        EXPECT_EQ("File: " + inspected, lines[2]);
        EXPECT_EQ("keep me", testutil::ReadLong(cut)) << "the shorter name is not touched";
        EXPECT_EQ(2u, testutil::Listing(t.folder).size());
        testutil::RemoveLongTree(t.folder);
    }
    EXPECT_EQ("inspected", testutil::ReadAll(inspected));
    EXPECT_EQ(0u, program.Exit()) << "the program is still running";
}

TEST_F(ProgramFromOutside, SavingOverTheInspectedFileIsRefusedAfterTheReplaceQuestion) {
    const std::string inspected = dir.Write("inspected.txt", "inspected");
    Program program("\"" + inspected + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    program.Click(image4);
    HWND dialog = program.WaitForWindow(kDialogClass, program.Main());
    ASSERT_NE(nullptr, dialog);
    HWND name = e2e::FindChild(dialog, kFileNameEdit);
    if (!name) name = e2e::FindChild(dialog, kFileNameCombo);
    ASSERT_NE(nullptr, name);
    ASSERT_TRUE(e2e::SetTextOf(name, inspected));
    e2e::PressButton(dialog, IDOK);
    HWND question = program.WaitForWindow(kDialogClass, dialog);
    ASSERT_NE(nullptr, question) << "the dialog's own replace question";
    e2e::PressButton(question, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

    HWND box = program.WaitForWindow(kDialogClass, program.Main());
    ASSERT_NE(nullptr, box);
    const SeenBox seen = ReadBox(box);
    EXPECT_EQ("Error", seen.caption);
    EXPECT_EQ("The report was not saved: \"" + inspected +
                  "\" is the file being shown, which is only read, never replaced. Choose another name.",
              seen.text);
    e2e::PressButton(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }));
    EXPECT_EQ("inspected", testutil::ReadAll(inspected));
    EXPECT_EQ(std::vector<std::string>{"inspected.txt"}, testutil::Listing(dir.path()));
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ProgramFromOutside, SaveWithoutAFileIsAnsweredByTheErrorBox) {
    Program program;
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    program.Click(image4);
    HWND box = program.WaitForWindow(kDialogClass, program.Main());
    ASSERT_NE(nullptr, box);
    const SeenBox seen = ReadBox(box);
    EXPECT_EQ("Error", seen.caption);
    EXPECT_EQ("You Must Select a File First to Save File Infrmation", seen.text);
    EXPECT_FALSE(IsWindowEnabled(program.Main()));
    e2e::PressButton(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }));
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ProgramFromOutside, AFailedLoadAtStartIsShownBeforeTheWindow) {
    const std::string data = "held elsewhere";
    const std::string path = dir.Write("held.txt", data);
    // Another writer keeps the digest from opening the file.
    base::UniqueFile writer(testutil::OpenForWriting(path));
    ASSERT_TRUE(writer.valid());
    Program program("\"" + path + "\"");
    HWND box = program.WaitForWindow(kDialogClass);
    ASSERT_NE(nullptr, box);
    const SeenBox seen = ReadBox(box);
    EXPECT_EQ("Error", seen.caption);
    EXPECT_EQ("No Version Information for this File", seen.text);
    const std::vector<HWND> mains = e2e::TopLevelWindows(program.Pid(), "TForm1");
    ASSERT_EQ(1u, mains.size());
    EXPECT_FALSE(IsWindowVisible(mains[0])) << "the message comes before the window";
    e2e::PressButton(box, IDOK);
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    EXPECT_EQ(path, program.Text(edt1));
    EXPECT_EQ(SizeOnDisk(path), program.Text(edt4)) << "rows before the digest show the file";
    EXPECT_EQ("", program.Text(edt18));
    EXPECT_EQ(0u, program.Exit());
}

// Started with a library whose version resource states a size beyond the file
// (one flipped bit), the program once died in the platform's copy before its
// window appeared (exit code 5). Now it goes as for any file whose version
// cannot be read: the load message, then the window with the name, the rows
// the load did not reach empty.
TEST_F(ProgramFromOutside, AVersionResourceSizeBeyondTheFileGivesTheLoadMessageAndTheWindow) {
    const std::string fixtures = std::string(VANTREL_FIXTURES_DIR) + "/";
    const std::string honest = testutil::ReadAll(testutil::WindowsPath(fixtures + "full_version.dll"));
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"unreadable version (reference)",
         testutil::ReadAll(testutil::WindowsPath(fixtures + "no_translation.dll"))},
        {"size 0x7FFFFFF0", testutil::WithVersionResourceSize(honest, 0x7FFFFFF0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        const std::string path = dir.Write("bad.exe", c.bytes);
        Program program("\"" + path + "\"");
        HWND box = program.WaitForWindow(kDialogClass);
        ASSERT_NE(nullptr, box) << "the program ended with " << program.WaitForEnd(0);
        const SeenBox seen = ReadBox(box);
        EXPECT_EQ("Error", seen.caption);
        EXPECT_EQ("No Version Information for this File", seen.text);
        e2e::PressButton(box, IDOK);
        ASSERT_NE(nullptr, program.WaitForMainWindow());
        EXPECT_EQ(path, program.Text(edt1));
        EXPECT_EQ("", program.Text(edt4));
        EXPECT_EQ("", program.Text(edt8));
        EXPECT_EQ(0u, program.Exit());
        EXPECT_EQ(c.bytes, testutil::ReadAll(path)) << "the file is only read";
    }
}

TEST_F(ProgramFromOutside, TrayHidesTheWindowAndTheIconBringsItBack) {
    Program program;
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    const std::vector<HWND> icons = e2e::TopLevelWindows(program.Pid(), "VantrelTrayIconWindow");
    ASSERT_EQ(1u, icons.size());
    program.Click(image7);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(program.Main()); }));
    // The shell reports the mouse over the icon.
    PostMessageA(icons[0], ui::TTrayIcon::kCallbackMessage, 0, WM_MOUSEMOVE);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(program.Main()) != FALSE; }));
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ProgramFromOutside, AboutOpensModallyAndItsClosePictureClosesIt) {
    Program program;
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    const std::vector<HWND> abouts = e2e::TopLevelWindows(program.Pid(), "TAboutBox");
    ASSERT_EQ(1u, abouts.size());
    EXPECT_FALSE(IsWindowVisible(abouts[0])) << "hidden until asked for";
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        program.Click(image6);
        HWND about = program.WaitForWindow("TAboutBox");
        ASSERT_EQ(abouts[0], about) << "the same window every time";
        EXPECT_EQ("Vantrel 1.0", e2e::TextOf(about));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(program.Main()); })) << "modal";
        e2e::ClickPicture(e2e::FindChild(about, About::image3));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }));
    }
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ProgramFromOutside, ExitEndsTheProcessWithCodeZeroAndItsWindowsGo) {
    const std::string path = dir.Write("shown.txt", "shown");
    Program program("\"" + path + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    ASSERT_EQ("5", program.Text(edt4));
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the shown file is not held open";
    EXPECT_EQ(0u, program.Exit());
    for (const char* cls : {"TForm1", "TAboutBox", "VantrelTrayIconWindow"})
        EXPECT_TRUE(e2e::TopLevelWindows(program.Pid(), cls).empty()) << cls;
}

TEST_F(ProgramFromOutside, StartedWithAHugeFileShowsItsWindowAtOnceAndClosingEndsTheLoad) {
    const std::string path = dir.Path("huge.bin");
    ASSERT_TRUE(testutil::MakeSparseFile(path, 32ull << 30));
    const DWORD started = GetTickCount();
    Program program("\"" + path + "\"");
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    // Long before the file could have been read.
    EXPECT_LT(GetTickCount() - started, 8000u);
    EXPECT_TRUE(WaitUntil([&] { return program.Text(edt18).rfind("Reading ", 0) == 0; })) << program.Text(edt18);
    EXPECT_EQ(path, program.Text(edt1));
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    const DWORD closed = GetTickCount();
    EXPECT_EQ(0u, program.WaitForEnd(5000));
    // Within 1 s, with a margin for a busy machine.
    EXPECT_LT(GetTickCount() - closed, 2000u);
}

}  // namespace

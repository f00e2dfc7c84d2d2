// Names of any script, paths beyond 260 characters and the other spellings of
// a path, through every road a name takes into the main window: the command
// line, typing, WM_SETTEXT, a drop with wide names and the browse dialog. The
// files are real files made through the wide functions; the expected shell
// rows come from the shell itself, asked by extension.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/frmMain.h"
#include "components/crc.h"
#include "mainform.h"
#include "tests/fixtures/fixture_values.h"
#include "longpaths.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using testutil::TempDir;
using testutil::Utf16;
using testutil::Utf8;

constexpr COLORREF kBlue = RGB(0, 0, 255);

using testutil::LongForm;
using testutil::WideFiles;

std::string ReadWide(const std::string& path) {
    base::UniqueFile f(CreateFileW(LongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (f && ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
    return bytes;
}

// The shell's type name for a file name by its extension alone, as the
// program's fallback asks for it.
std::string TypeByExtension(const std::string& name) {
    SHFILEINFOW info{};
    SHGetFileInfoW(Utf16(name).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    return Utf8(info.szTypeName);
}

// The shell's type name for an existing file with a plain ASCII path (Wine
// words it differently from the type by extension alone).
std::string TypeOfFile(const std::string& asciiPath) {
    SHFILEINFOW info{};
    SHGetFileInfoW(Utf16(asciiPath).c_str(), 0, &info, sizeof info, SHGFI_TYPENAME);
    return Utf8(info.szTypeName);
}

std::string NamePart(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

std::string CrcText(const std::string& data) {
    return std::to_string(crc_reference::CRC32(0xFFFFFFFFu, data.data(), data.size()));
}

std::string LanguageNameOf(WORD language) {
    char name[260] = "";
    VerLanguageNameA(language, name, sizeof name);
    return name;
}

// Answers the real browse dialog of this thread: writes the name into its
// file-name box and presses Open. Runs from a timer inside the dialog's own
// message loop.
struct BrowseAnswer {
    static std::wstring name;
    static int ticks;
    static bool answered;

    static BOOL CALLBACK FindDialog(HWND hwnd, LPARAM found) {
        char cls[16] = "";
        GetClassNameA(hwnd, cls, sizeof cls);
        if (IsWindowVisible(hwnd) && lstrcmpA(cls, "#32770") == 0) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) {
            if (++ticks > 200) KillTimer(nullptr, id);  // no dialog came: the test fails on the result
            return;
        }
        KillTimer(nullptr, id);
        HWND box = GetDlgItem(dialog, 0x480);  // the file-name edit of Wine's dialog
        if (!box) box = GetDlgItem(dialog, 0x47C);  // Windows' combo box
        SetWindowTextW(box, name.c_str());
        answered = true;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
};
std::wstring BrowseAnswer::name;
int BrowseAnswer::ticks = 0;
bool BrowseAnswer::answered = false;

class AnyName : public testing::Test {
public:
    void SetUp() override { form = testutil::NewMainForm(); }
    void TearDown() override { form.reset(); }

    // The roads a name takes into the window. Each starts from a cleared
    // window (or a new one, for the command line).
    void FromCommandLine(const std::string& path) {
        form.reset();
        form = std::make_unique<TForm1>("vantrel.exe \"" + path + "\"");
    }
    void ByWmSetText(const std::string& path) {
        form->image8Click();
        SendMessageW(form->Control(edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf16(path).c_str()));
    }
    void ByTyping(const std::string& path) {
        form->image8Click();
        for (wchar_t unit : Utf16(path)) SendMessageW(form->Control(edt1), WM_CHAR, unit, 1);
    }
    void ByDrop(const std::string& path) {
        form->image8Click();
        SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(testutil::MakeWideDrop({path})), 0);
    }
    void ByBrowsing(const std::string& path) {
        form->image8Click();
        BrowseAnswer::name = Utf16(path);
        BrowseAnswer::ticks = 0;
        BrowseAnswer::answered = false;
        SetTimer(nullptr, 0, 50, BrowseAnswer::Tick);
        form->Browse();
        EXPECT_TRUE(BrowseAnswer::answered) << "the browse dialog did not come";
    }

    // The type the shell gives an existing file with the extension of `name`.
    std::string TypeFor(const std::string& name) {
        const std::string ext = name.substr(name.rfind('.'));
        return TypeOfFile(files.File(dir.Path("twin" + ext), "twin"));
    }

    // Every row of the file at `path`, which the box shows as `asGiven`.
    void ExpectShows(const std::string& asGiven, const std::string& path, const std::string& bytes,
                     const std::string& type) {
        EXPECT_EQ(asGiven, form->Text(edt1));
        EXPECT_EQ(kBlue, form->FontColor(edt1));
        EXPECT_EQ(asGiven, form->SelectedFileName);
        EXPECT_TRUE(boxes.boxes().empty()) << (boxes.boxes().empty() ? "" : boxes.boxes()[0].text);
        EXPECT_EQ(NamePart(path), form->Text(edt2)) << "display name";
        EXPECT_FALSE(type.empty());
        EXPECT_EQ(type, form->Text(edt3)) << "type";
        EXPECT_NE(nullptr, form->IconOf(image2)) << "large icon";
        EXPECT_NE(nullptr, form->IconOf(image3)) << "small icon";
        EXPECT_EQ(std::to_string(bytes.size()), form->Text(edt4));
        EXPECT_FALSE(form->Text(edt7).empty());
        EXPECT_EQ(CrcText(bytes), form->Text(edt17));
        EXPECT_EQ(testutil::CryptoApiMd5(bytes), form->Text(edt18));
    }

    // Saves the report to `target` and returns its bytes; `proposed` gets the
    // name the save dialog was offered.
    std::string SaveReport(const std::string& target, std::string& proposed) {
        form->dlg1.onExecute = [&](ui::TSaveDialog& dlg, HWND) {
            proposed = dlg.FileName;
            dlg.FileName = target;
            return true;
        };
        form->image4Click();
        form->dlg1.onExecute = nullptr;
        return ReadWide(target);
    }

    TempDir dir;
    WideFiles files;
    std::unique_ptr<TForm1> form;
    testutil::MessageBoxRecorder boxes;
};

bool IsUtf8WithoutBom(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                               0) > 0;
}

// The report's line that starts with `label`, without its line end.
std::string ReportLine(const std::string& report, const std::string& label) {
    const size_t at = report.find("\r\n" + label);
    if (at == std::string::npos) return "(no line " + label + ")";
    const size_t start = at + 2;
    return report.substr(start, report.find("\r\n", start) - start);
}

struct Road {
    const char* what;
    void (AnyName::*take)(const std::string&);
};
const Road kRoads[] = {
    {"command line", &AnyName::FromCommandLine}, {"typing", &AnyName::ByTyping},
    {"WM_SETTEXT", &AnyName::ByWmSetText},       {"drop of wide names", &AnyName::ByDrop},
    {"browse dialog", &AnyName::ByBrowsing},
};

TEST_F(AnyName, NamesInAnyScriptLoadFullyFromEveryRoad) {
    const std::string bytes = "contents of a file with a name in another script";
    const std::vector<std::string> paths = {
        files.File(dir.Path(u8"Отчёт.txt"), bytes),
        files.File(dir.Path(u8"日本語.txt"), bytes + "!"),
        files.File(dir.Path(u8"emoji-😀.txt"), bytes + "!!"),
        files.File(dir.Path(u8"café.txt"), bytes + "!!!"),
    };
    for (const std::string& path : paths) {
        const std::string content = ReadWide(path);
        ASSERT_FALSE(content.empty()) << path;
        const std::string type = TypeFor(path);
        for (const Road& road : kRoads) {
            SCOPED_TRACE(path + " by " + road.what);
            boxes.clear();
            (this->*road.take)(path);
            ExpectShows(path, path, content, type);
        }
    }
}

TEST_F(AnyName, ALibraryUnderACyrillicNameShowsItsCyrillicVersionStrings) {
    const std::string path = files.Copy(
        testutil::WindowsPath(std::string(VANTREL_FIXTURES_DIR) + "/cyrillic_version.dll"), dir.Path(u8"Версия.dll"));
    const std::string bytes = ReadWide(path);
    ASSERT_FALSE(bytes.empty());
    const std::string type = TypeFor(path);
    for (const Road& road : kRoads) {
        SCOPED_TRACE(road.what);
        boxes.clear();
        (this->*road.take)(path);
        ExpectShows(path, path, bytes, type);
        EXPECT_EQ(RU_COMPANY_NAME, form->Text(edt8));
        EXPECT_EQ(RU_FILE_VERSION, form->Text(edt9));
        EXPECT_EQ(RU_PRODUCT_VERSION, form->Text(edt19));
        EXPECT_EQ(RU_FILE_DESCRIPTION, form->Text(edt10));
        EXPECT_EQ(RU_LEGAL_COPYRIGHT, form->Text(edt11));
        EXPECT_EQ(RU_LEGAL_TRADEMARK, form->Text(edt12));
        EXPECT_EQ(LanguageNameOf(RU_LANGUAGE), form->Text(edt13));
        EXPECT_EQ(RU_COMMENTS, form->Text(edt14));
        EXPECT_EQ(RU_ORIGINAL_FILENAME, form->Text(edt15));
        EXPECT_EQ(RU_INTERNAL_NAME, form->Text(edt16));
    }

    // The report: UTF-8 without a byte-order mark, the window's texts as they
    // stand, saved under a Cyrillic name next to the file.
    std::string proposed;
    const std::string target = dir.Path(u8"Отчёт о файле.txt");
    files.Adopt(target);
    const std::string report = SaveReport(target, proposed);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(u8"Версия.dll.txt", proposed);
    EXPECT_TRUE(IsUtf8WithoutBom(report)) << report;
    EXPECT_EQ("File: " + path, ReportLine(report, "File: "));
    EXPECT_EQ(u8"Display Name: Версия.dll", ReportLine(report, "Display Name: "));
    EXPECT_EQ(std::string("Company Name: ") + RU_COMPANY_NAME, ReportLine(report, "Company Name: "));
    EXPECT_EQ(std::string("Comments: ") + RU_COMMENTS, ReportLine(report, "Comments: "));
    EXPECT_EQ(std::string("Legal Copyright: ") + RU_LEGAL_COPYRIGHT, ReportLine(report, "Legal Copyright: "));
}

TEST_F(AnyName, AFileAtTheEndOfA400CharacterPathLoadsAndItsReportIsSavedNextToIt) {
    std::string folder = dir.path();
    while (Utf16(folder).size() < 280) folder = files.Folder(folder + "\\" + std::string(60, 'd') + u8"ж");
    const std::string bytes = "at the end of a long road";
    const std::string tail = u8"-Отчёт.txt";
    const std::string path =
        files.File(folder + "\\" + std::string(400 - Utf16(folder).size() - 1 - Utf16(tail).size(), 'f') + tail,
                   bytes);
    ASSERT_EQ(400u, Utf16(path).size());
    ASSERT_EQ(bytes, ReadWide(path));
    const Road longRoads[] = {kRoads[0], kRoads[3]};  // the command line and a drop carry long names
    for (const Road& road : longRoads) {
        SCOPED_TRACE(road.what);
        boxes.clear();
        (this->*road.take)(path);
        // Too long for the shell's full-path query: the type by extension.
        ExpectShows(path, path, bytes, TypeByExtension(NamePart(path)));
    }

    std::string proposed;
    const std::string target = folder + u8"\\отчёт.txt";
    files.Adopt(target);
    const std::string report = SaveReport(target, proposed);
    EXPECT_TRUE(boxes.boxes().empty()) << (boxes.boxes().empty() ? "" : boxes.boxes()[0].text);
    EXPECT_EQ(NamePart(path) + ".txt", proposed);
    EXPECT_EQ("File: " + path, ReportLine(report, "File: "));
    EXPECT_EQ("MD5: " + testutil::CryptoApiMd5(bytes), ReportLine(report, "MD5: "));
}

TEST_F(AnyName, EverySpellingOfAPathShowsTheShellRowsAndProposesAProperReportName) {
    const std::string bytes = "one file, many spellings";
    files.Folder(dir.Path("sub"));
    const std::string path = files.File(dir.Path("spelled.txt"), bytes);
    const std::string type = TypeOfFile(path);
    std::string slashed = path;
    for (char& c : slashed)
        if (c == '\\') c = '/';
    // Relative names are resolved against the current directory.
    char saved[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(dir.path().c_str());
    const struct {
        const char* what;
        std::string name;
    } spellings[] = {
        {"forward slashes", slashed},
        {"relative", "spelled.txt"},
        {"relative through ..", "sub\\..\\spelled.txt"},
        {"\\??\\ form", "\\??\\" + path},
        {"\\\\?\\ form", "\\\\?\\" + path},
        {"//?/ form", "//?/" + slashed},
        {"trailing \\.", path + "\\."},
        {"\\.. and back", path + "\\..\\spelled.txt"},
    };
    for (const auto& s : spellings) {
        SCOPED_TRACE(s.what);
        boxes.clear();
        ByWmSetText(s.name);
        ExpectShows(s.name, path, bytes, type);
        std::string proposed;
        const std::string target = dir.Path("report.txt");
        const std::string report = SaveReport(target, proposed);
        EXPECT_EQ("spelled.txt.txt", proposed);
        EXPECT_EQ("File: " + s.name, ReportLine(report, "File: ")) << "the name as the box holds it";
        DeleteFileA(target.c_str());
    }
    SetCurrentDirectoryA(saved);
}

TEST_F(AnyName, TypingStopsAt255CharactersWhateverTheirBytes) {
    std::wstring typed(300, L'\x0436');  // ж: two bytes in UTF-8
    for (wchar_t unit : typed) SendMessageW(form->Control(edt1), WM_CHAR, unit, 1);
    EXPECT_EQ(std::wstring(255, L'\x0436'), Utf16(form->Text(edt1)));
}

}  // namespace

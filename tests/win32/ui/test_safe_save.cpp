// Saving a report never costs the user a file: the target is replaced in one
// step or left as it was, devices and the inspected file are never targets,
// long names are saved whole, and a full disk leaves the old report intact.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "app/frmMain.h"
#include "app/report.h"
#include "app/safesave.h"
#include "mainform.h"
#include "testutil.h"

namespace {

using testutil::TempDir;

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size() * 2 + 1, L'\0');
    w.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), &w[0],
                                                     static_cast<int>(w.size()))));
    return w;
}

// File calls on paths of any length.
std::wstring Long(const std::string& fullPath) { return L"\\\\?\\" + Wide(fullPath); }

std::string ReadLong(const std::string& path) {
    ui::UniqueFile f(
        CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (f && ReadFile(f.get(), buffer, sizeof buffer, &n, nullptr) && n) bytes.append(buffer, n);
    return bytes;
}

bool WriteLong(const std::string& path, const std::string& bytes) {
    ui::UniqueFile f(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
           n == bytes.size();
}

// The names in a folder, sorted.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((Long(folder) + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        char narrow[MAX_PATH * 2] = {};
        WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
        names.push_back(narrow);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Removes what the tests put below `folder` with names beyond the reach of
// the single-byte calls; TempDir removes the rest.
void RemoveLongTree(const std::string& folder) {
    for (const std::string& name : Listing(folder)) {
        const std::string full = folder + "\\" + name;
        if (GetFileAttributesW(Long(full).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            RemoveLongTree(full);
        else
            DeleteFileW(Long(full).c_str());
    }
    RemoveDirectoryW(Long(folder).c_str());
}

// A folder whose full path makes `folder\name` exactly `length` characters,
// with `name` of `nameLength` characters ending in ".txt".
struct LongTarget {
    std::string folder, path;
};
LongTarget MakeLongTarget(const TempDir& dir, size_t length, size_t nameLength) {
    const size_t sub = length - dir.path().size() - 1 - nameLength - 1;
    LongTarget t;
    t.folder = dir.Path(std::string(sub, 'd'));
    CreateDirectoryW(Long(t.folder).c_str(), nullptr);
    t.path = t.folder + "\\" + std::string(nameLength - 4, 'r') + ".txt";
    return t;
}

struct FileState {
    std::string bytes;
    FILETIME written{};
    bool operator==(const FileState& o) const {
        return bytes == o.bytes && CompareFileTime(&written, &o.written) == 0;
    }
    static FileState Of(const std::string& path) {
        FileState s;
        s.bytes = ReadLong(path);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data))
            s.written = data.ftLastWriteTime;
        return s;
    }
};

// Starts a Unix command from the Wine process (Wine runs a Unix program as a
// plain child, without a handle to wait on) and waits for the marker file the
// command writes last; its contents.
std::string RunUnix(const std::string& script, const std::string& marker) {
    std::string command =
        "Z:\\bin\\sh -c \"(" + script + ") >> " + marker + " 2>&1; echo done >> " + marker + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "";
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    std::string windowsMarker = "Z:" + marker;
    std::replace(windowsMarker.begin(), windowsMarker.end(), '/', '\\');
    for (int i = 0; i < 750; ++i) {  // up to 15 seconds
        const std::string text = testutil::ReadAll(windowsMarker);
        if (text.find("done") != std::string::npos) {
            DeleteFileA(windowsMarker.c_str());
            return text;
        }
        Sleep(20);
    }
    return "";
}

// A tmpfs of 64 KiB, mounted for the test's life (this needs the superuser).
class TinyDisk {
public:
    TinyDisk() {
        char name[96];
        std::snprintf(name, sizeof name, "/tmp/vantrel-tinydisk-%lu-%lu", GetCurrentProcessId(),
                      GetTickCount());
        unix_ = name;
        const std::string result =
            RunUnix("mkdir -p " + unix_ + " && mount -t tmpfs -o size=64k,mode=0777 vantrel-tinydisk " +
                        unix_ + " 2>&1 && echo mounted",
                    unix_ + ".status");
        mounted_ = result.find("mounted") != std::string::npos;
        if (!mounted_) {
            reason_ = result.empty() ? "no answer from the shell" : result.substr(0, result.find("done"));
            RunUnix("rmdir " + unix_, unix_ + ".status");
        }
        path_ = "Z:" + unix_;
        std::replace(path_.begin(), path_.end(), '/', '\\');
    }
    ~TinyDisk() {
        if (mounted_)
            RunUnix("umount " + unix_ + " || umount -l " + unix_ + "; rmdir " + unix_, unix_ + ".status");
    }
    bool mounted() const { return mounted_; }
    const std::string& reason() const { return reason_; }
    const std::string& path() const { return path_; }

private:
    std::string unix_, path_, reason_;
    bool mounted_ = false;
};

class SafeSave : public testing::Test {
protected:
    void SetUp() override {
        form = testutil::NewMainForm();
        form->dlg1.OnExecute = [this](ui::TSaveDialog& dlg, HWND) {
            dlg.FileName = target;
            return true;
        };
        file = dir.Write("notes.txt", "some notes\r\n");
        form->SetText(edt1, file);
        boxes.clear();
    }
    void TearDown() override { form.reset(); }

    // A click on the Save picture, as the mouse gives it: failures reach the
    // program's failure display.
    void ClickSave() {
        HWND pic = form->Control(image4);
        SendMessageA(pic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageA(pic, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    }
    // The report's bytes from line 2 on, as the window's fields give them.
    std::string ExpectedBody() {
        ReportSource src;
        for (int i = 1; i <= 18; ++i) src.edt[i] = form->Text(edt1 + i - 1);
        for (int i = 1; i <= 7; ++i) src.chk[i] = form->Checked(chk1 + i - 1);
        const std::string text = ReportText(src);
        return text.substr(text.find("\r\n") + 2);
    }
    // A complete report of the window: the first line's time, then the body.
    void ExpectCompleteReport(const std::string& bytes) {
        ASSERT_EQ(0u, bytes.find("Generated by Vantrel at ")) << bytes;
        EXPECT_EQ(ExpectedBody(), bytes.substr(bytes.find("\r\n") + 2));
        EXPECT_EQ(28, std::count(bytes.begin(), bytes.end(), '\n'));
    }
    // The one refusal box, titled "Error".
    void ExpectRefusal(const std::string& text) {
        ASSERT_EQ(1u, boxes.boxes().size());
        EXPECT_EQ(text, boxes.boxes()[0].text);
        EXPECT_EQ("Error", boxes.boxes()[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.boxes()[0].flags);
    }

    TempDir dir;
    std::string file, target;
    std::unique_ptr<TForm1> form;
    testutil::MessageBoxRecorder boxes;
};

TEST_F(SafeSave, AReplacedReportIsCompleteAndNothingElseIsLeft) {
    target = dir.Write("report.txt", std::string(5000, 'o'));  // longer than the report
    ClickSave();
    EXPECT_TRUE(boxes.boxes().empty());
    ExpectCompleteReport(testutil::ReadAll(target));
    EXPECT_EQ((std::vector<std::string>{"notes.txt", "report.txt"}), Listing(dir.path()));
}

TEST_F(SafeSave, DevicesAreRefusedBeforeAnythingIsWritten) {
    const std::string cases[] = {dir.Path("nul.txt"), dir.Path("com1.txt"), dir.Path("aux"),     "CON",
                                 "\\\\.\\NUL",        dir.Path("LPT9.log"), dir.Path("Con .txt")};
    for (const std::string& name : cases) {
        SCOPED_TRACE(name);
        boxes.clear();
        target = name;
        ClickSave();
        ExpectRefusal("The report was not saved: \"" + name +
                      "\" names a device, not a file. Choose another name.");
        EXPECT_EQ(std::vector<std::string>{"notes.txt"}, Listing(dir.path()));
    }
}

TEST_F(SafeSave, TheInspectedFileIsNeverATarget) {
    std::string upper = file;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    const std::string link = dir.Path("link to notes.txt");
    const bool linked = CreateHardLinkA(link.c_str(), file.c_str(), nullptr) != FALSE;
    std::vector<std::string> cases = {file, upper, dir.path() + "\\.\\sub\\..\\notes.txt",
                                      dir.path() + "/notes.txt"};
    if (linked) cases.push_back(link);
    const FileState was = FileState::Of(file);
    const std::vector<std::string> listing = Listing(dir.path());
    for (const std::string& name : cases) {
        SCOPED_TRACE(name);
        boxes.clear();
        target = name;
        ClickSave();
        ExpectRefusal("The report was not saved: \"" + name +
                      "\" is the file being shown, which is only read, never replaced. Choose another name.");
        EXPECT_TRUE(was == FileState::Of(file));
        EXPECT_EQ(listing, Listing(dir.path()));
    }
    EXPECT_TRUE(linked) << "the hard link case did not run";
}

TEST_F(SafeSave, AFullDiskLeavesTheOldReportWholeAndNoFragment) {
    TinyDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the superuser): " << disk.reason();
    target = disk.path() + "\\report.txt";
    ClickSave();
    ASSERT_TRUE(boxes.boxes().empty());
    const FileState old = FileState::Of(target);
    ExpectCompleteReport(old.bytes);

    // Fill the disk to its last byte.
    {
        ui::UniqueFile filler(CreateFileA((disk.path() + "\\filler").c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(filler.valid());
        const std::string chunk(4096, 'f');
        DWORD written = 0;
        while (WriteFile(filler.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) &&
               written) {
        }
    }
    form->SetChecked(chk2, !form->Checked(chk2));  // a report that differs from the old one
    ClickSave();
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("The report was not saved to \"" + target + "\" because the disk is full. I/O error 112.",
              boxes.boxes()[0].text);
    EXPECT_EQ("Vantrel 1.0", boxes.boxes()[0].caption);
    EXPECT_TRUE(old == FileState::Of(target)) << "the old report, byte for byte";
    EXPECT_EQ((std::vector<std::string>{"filler", "report.txt"}), Listing(disk.path())) << "no fragment";

    // With room again, the same save replaces it.
    DeleteFileA((disk.path() + "\\filler").c_str());
    boxes.clear();
    ClickSave();
    EXPECT_TRUE(boxes.boxes().empty());
    ExpectCompleteReport(testutil::ReadAll(target));
    EXPECT_EQ(std::vector<std::string>{"report.txt"}, Listing(disk.path()));
}

TEST_F(SafeSave, LongNamesAreSavedWholeAndNoShorterNameIsTouched) {
    const struct {
        size_t length;
        const char* what;
    } cases[] = {{260, "one past MAX_PATH"}, {264, "the cut name exists"}, {300, "300 characters"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        const LongTarget t = MakeLongTarget(dir, c.length, 80);
        ASSERT_EQ(c.length, t.path.size());
        // The name a 259-character buffer would have made of it.
        const std::string cut = t.path.substr(0, 259);
        ASSERT_TRUE(WriteLong(cut, "keep me"));
        target = t.path;
        ClickSave();
        EXPECT_TRUE(boxes.boxes().empty());
        ExpectCompleteReport(ReadLong(t.path));
        EXPECT_EQ("keep me", ReadLong(cut));
        EXPECT_EQ(2u, Listing(t.folder).size());
        RemoveLongTree(t.folder);
    }
}

TEST(SafeSaveFunction, ReplacesOrLeavesTheTargetAsItWas) {
    TempDir dir;
    const std::string target = dir.Write("out.txt", "old contents");
    SaveReportSafely(target, "new\r\n");
    EXPECT_EQ("new\r\n", testutil::ReadAll(target));
    SaveReportSafely(target, "");
    EXPECT_EQ("", testutil::ReadAll(target));

    // A target that may not be replaced: the error code and the old bytes.
    dir.Write("out.txt", "old contents");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        SaveReportSafely(target, "new\r\n");
        ADD_FAILURE() << "no failure";
    } catch (const EReportNotSaved& e) {
        EXPECT_EQ(5u, e.code());
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("old contents", testutil::ReadAll(target));
    EXPECT_EQ(std::vector<std::string>{"out.txt"}, Listing(dir.path()));
}

TEST(SafeSaveFunction, RefusesANameLongerThanTheSystemTakesAndTheProtectedFile) {
    TempDir dir;
    const std::string tooLong = dir.Path(std::string(33000, 'n'));
    EXPECT_THROW(SaveReportSafely(tooLong, "x"), ETargetRefused);
    const std::string kept = dir.Write("kept.txt", "kept");
    EXPECT_THROW(SaveReportSafely(kept, "x", kept), ETargetRefused);
    EXPECT_EQ("kept", testutil::ReadAll(kept));
    EXPECT_EQ(std::vector<std::string>{"kept.txt"}, Listing(dir.path()));
}

}  // namespace

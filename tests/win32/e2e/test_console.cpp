// The console mode of the built program, run as a process of its own with
// its standard output and error sent to files: each form against references
// computed here (a bitwise CRC-32, the system's MD5) and against the report
// the window's own Save button writes, the exit codes, /out and the walk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/frmMain_layout.h"
#include "driver.h"
#include "signedfiles.h"
#include "testutil.h"

using namespace frmMain;

namespace {

using testutil::SplitCrLf;
using testutil::TempDir;

// The CRC row's rule computed bit by bit: reflected polynomial 0xEDB88320,
// started at all ones, no final XOR.
std::string BitwiseCrcText(const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return std::to_string(crc);
}

std::string Bytes(std::size_t size, std::uint32_t seed) {
    std::string s(size, '\0');
    for (char& c : s) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return s;
}

// The value of report line `n` (0-based), after its label.
std::string Value(const std::vector<std::string>& report, std::size_t n) {
    const std::string& line = report.at(n);
    const std::size_t cut = n >= 21 ? line.rfind(" = ") + 3 : line.find(": ") + 2;
    return line.substr(cut);
}

// A CSV line split by RFC 4180 (the line holds no line break of its own).
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string AnsiToUtf8(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()),
                                                          &w[0], static_cast<int>(w.size()))));
    std::string out(w.size() * 4, '\0');
    out.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                                                            &out[0], static_cast<int>(out.size()), nullptr,
                                                            nullptr)));
    return out;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

struct Outcome {
    DWORD code = STILL_ACTIVE;
    std::string out, err;
};

// Runs vantrel.exe with `arguments` in `folder`, standard output and error
// going to files there, and waits for its end.
Outcome RunConsole(const TempDir& dir, const std::string& arguments) {
    Outcome result;
    const std::string outPath = dir.Path("~stdout"), errPath = dir.Path("~stderr");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    {
        base::UniqueFile out(CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                       CREATE_ALWAYS, 0, nullptr));
        base::UniqueFile err(CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                       CREATE_ALWAYS, 0, nullptr));
        if (!out || !err) {
            ADD_FAILURE() << "cannot create the output files";
            return result;
        }
        const std::string exe = testutil::WindowsPath(VANTREL_EXE);
        std::string commandLine = "\"" + exe + "\" " + arguments;
        commandLine.push_back('\0');
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = out.get();
        si.hStdError = err.get();
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                            dir.path().c_str(), &si, &pi)) {
            ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
            return result;
        }
        base::UniqueFile process(pi.hProcess), thread(pi.hThread);
        // A window or a message box would keep the process alive: the
        // time-out catches it.
        if (WaitForSingleObject(process.get(), e2e::kTimeoutMs * 4) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the console run did not end: " << arguments;
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), e2e::kTimeoutMs);
        }
        GetExitCodeProcess(process.get(), &result.code);
    }
    result.out = testutil::ReadAll(outPath);
    result.err = testutil::ReadAll(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return result;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Times the tests fix on their files: last access in the future, so that
// reading the file (Linux relatime) does not move it between two runs.
void FixTimes(const std::string& path) {
    base::UniqueFile file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    SYSTEMTIME created{2020, 1, 3, 1, 10, 20, 30, 0}, accessed{2099, 6, 3, 5, 11, 22, 32, 0},
        written{2021, 2, 1, 1, 12, 0, 0, 0};
    FILETIME c, a, w;
    SystemTimeToFileTime(&created, &c);
    SystemTimeToFileTime(&accessed, &a);
    SystemTimeToFileTime(&written, &w);
    ASSERT_TRUE(SetFileTime(file.get(), &c, &a, &w));
}

constexpr char kHeaderStart[] = "Generated by Vantrel at ";

class ConsoleMode : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(ConsoleMode, ReportIsTheWindowsSavedReportForTheSameFile) {
    // A copy of this very program: its version lines carry text.
    const std::string path = dir.Path("inspected.exe");
    ASSERT_TRUE(CopyFileA(testutil::WindowsPath(VANTREL_EXE).c_str(), path.c_str(), FALSE));
    FixTimes(path);

    e2e::Program program(Quoted(path));
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    ASSERT_FALSE(program.Text(edt8).empty());
    ASSERT_TRUE(program.WaitForDigest());
    program.Click(image4);
    HWND dialog = program.WaitForWindow("#32770", program.Main());
    ASSERT_NE(nullptr, dialog);
    HWND name = e2e::FindChild(dialog, 0x480);        // Wine's dialog: an edit
    if (!name) name = e2e::FindChild(dialog, 0x47C);  // Windows' own: a combo box
    ASSERT_NE(nullptr, name);
    const std::string saved = dir.Path("saved.txt");
    ASSERT_TRUE(e2e::SetTextOf(name, saved));
    e2e::PressButton(dialog, IDOK);
    std::string windowReport;
    EXPECT_TRUE(e2e::WaitUntil([&] {
        windowReport = testutil::ReadAll(saved);
        return windowReport.find("Offline = ") != std::string::npos && windowReport.back() == '\n';
    }));
    EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(program.Main()) != FALSE; }));
    EXPECT_EQ(0u, program.Exit());

    const Outcome run = RunConsole(dir, "/report " + Quoted(path));
    EXPECT_EQ(0u, run.code) << run.err;
    EXPECT_EQ("", run.err);
    const std::vector<std::string> console = SplitCrLf(run.out), window = SplitCrLf(windowReport);
    ASSERT_EQ(28u, console.size()) << run.out;
    ASSERT_EQ(28u, window.size()) << windowReport;
    EXPECT_EQ("\r\n", run.out.substr(run.out.size() - 2));
    EXPECT_EQ(0u, console[0].find(kHeaderStart)) << console[0];
    EXPECT_EQ(0u, window[0].find(kHeaderStart)) << window[0];
    // Everything after the header time, byte for byte.
    EXPECT_EQ(windowReport.substr(windowReport.find("\r\n")), run.out.substr(run.out.find("\r\n")));
}

TEST_F(ConsoleMode, ReportsAndCsvCarryEachFilesChecksumsAndSize) {
    struct Sample {
        std::string name, bytes;
    };
    const std::vector<Sample> samples = {
        {"empty.dat", ""},
        {"one.bin", "\x7F"},
        {"a, b.txt", Bytes(4096 + 17, 7)},  // a name the CSV must quote
        {"caf\xC3\xA9.bin", Bytes(300 * 1024 + 5, 99)},
    };
    std::string fileArgs;
    for (const Sample& s : samples) {
        const std::string path = dir.Write(s.name, s.bytes);
        FixTimes(path);
        fileArgs += " " + Quoted(path);
    }

    const Outcome reports = RunConsole(dir, "/report" + fileArgs);
    EXPECT_EQ(0u, reports.code) << reports.err;
    EXPECT_EQ("", reports.err);
    const std::vector<std::string> lines = SplitCrLf(reports.out);
    // Four reports of 28 lines with one empty line between two of them.
    ASSERT_EQ(4u * 28 + 3, lines.size()) << reports.out;
    std::vector<std::vector<std::string>> each;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::size_t first = i * 29;
        if (i) {
            EXPECT_EQ("", lines[first - 1]);
        }
        each.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(first),
                          lines.begin() + static_cast<std::ptrdiff_t>(first + 28));
        const std::vector<std::string>& r = each.back();
        const Sample& s = samples[i];
        SCOPED_TRACE(s.name);
        EXPECT_EQ(0u, r[0].find(kHeaderStart));
        EXPECT_EQ("File: " + dir.Path(s.name), r[2]);
        EXPECT_EQ("File Size (bytes): " + std::to_string(s.bytes.size()), r[14]);
        EXPECT_EQ("CRC: " + BitwiseCrcText(s.bytes), r[18]);
        EXPECT_EQ("MD5: " + testutil::CryptoApiMd5(s.bytes), r[19]);
        EXPECT_EQ("Attributes:", r[20]);
    }

    const Outcome csv = RunConsole(dir, "/csv" + fileArgs);
    EXPECT_EQ(0u, csv.code) << csv.err;
    EXPECT_EQ("", csv.err);
    EXPECT_EQ("\r\n", csv.out.substr(csv.out.size() - 2));
    const std::vector<std::string> rows = SplitCrLf(csv.out);
    ASSERT_EQ(samples.size() + 1, rows.size()) << csv.out;
    const std::vector<std::string> header = CsvFields(rows[0]);
    ASSERT_EQ(27u, header.size()) << rows[0];
    EXPECT_EQ("Signature", header[25]);
    EXPECT_EQ("Signer", header[26]);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(samples[i].name);
        const std::vector<std::string> fields = CsvFields(rows[i + 1]);
        ASSERT_EQ(27u, fields.size()) << rows[i + 1];
        EXPECT_EQ("", fields[25]) << "no program: no signature";
        EXPECT_EQ("", fields[26]);
        // Column n is report line n + 2 (fields) or n + 3 (attributes), with
        // the report's label as its name and its value in UTF-8.
        for (std::size_t col = 0; col < 25; ++col) {
            const std::size_t line = col < 18 ? col + 2 : col + 3;
            const std::string& text = each[i][line];
            EXPECT_EQ(0u, text.find(header[col])) << header[col] << " vs " << text;
            EXPECT_EQ(AnsiToUtf8(Value(each[i], line)), fields[col]) << header[col];
        }
    }
}

TEST_F(ConsoleMode, ExitCodesAndMessages) {
    const std::string present = dir.Write("present.txt", "here");
    const std::string missing = dir.Path("missing.txt"), alsoMissing = dir.Path("gone.txt");
    struct Case {
        std::string arguments;
        DWORD code;
        int reports;                     // on standard output
        std::vector<std::string> named;  // each on a line of standard error
        bool usageOnErr, usageOnOut;
    };
    const Case cases[] = {
        {"/report " + Quoted(present), 0, 1, {}, false, false},
        {"/RePoRt " + Quoted(missing) + " " + Quoted(present), 1, 1, {missing}, false, false},
        {"/report " + Quoted(missing) + " " + Quoted(alsoMissing),
         1,
         0,
         {missing, alsoMissing},
         false,
         false},
        {"/csv " + Quoted(present) + " " + Quoted(missing), 1, 0, {missing}, false, false},
        {"/report", 2, 0, {}, true, false},
        {"/csv /out " + Quoted(dir.Path("x.csv")), 2, 0, {}, true, false},
        {"/report " + Quoted(present) + " /out", 2, 0, {}, true, false},
        {"/report " + Quoted(present) + " /bogus", 2, 0, {}, true, false},
        {"/?", 0, 0, {}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome run = RunConsole(dir, c.arguments);
        EXPECT_EQ(c.code, run.code);
        std::size_t reports = 0;
        for (std::size_t at = 0; (at = run.out.find(kHeaderStart, at)) != std::string::npos; ++at) ++reports;
        if (c.arguments.rfind("/csv", 0) == 0 && c.code != 2) {
            EXPECT_EQ(2u, SplitCrLf(run.out).size()) << "header and the one present file: " << run.out;
        } else {
            EXPECT_EQ(static_cast<std::size_t>(c.reports), reports) << run.out;
        }
        EXPECT_EQ(c.usageOnOut, run.out.rfind("Usage:", 0) == 0) << run.out;
        EXPECT_EQ(c.usageOnErr, run.err.find("Usage:") != std::string::npos) << run.err;
        if (c.code == 2) {
            EXPECT_EQ("", run.out);
        }
        if (!c.usageOnErr) {
            const std::vector<std::string> errLines = SplitCrLf(run.err);
            ASSERT_EQ(c.named.size(), errLines.size()) << run.err;
            for (std::size_t i = 0; i < c.named.size(); ++i) {
                EXPECT_NE(std::string::npos, errLines[i].find(c.named[i])) << errLines[i];
                EXPECT_NE(std::string::npos, errLines[i].find("File not found")) << errLines[i];
            }
        }
    }
}

TEST_F(ConsoleMode, AFileTheLoadFailsOnIsNamedWithItsReasonAndTheOthersStillReported) {
    const std::string held = dir.Write("held.bin", "being written");
    const std::string other = dir.Write("other.txt", "fine");
    base::UniqueFile writer(testutil::OpenForWriting(held));
    ASSERT_TRUE(writer);
    const Outcome run = RunConsole(dir, "/report " + Quoted(held) + " " + Quoted(other));
    EXPECT_EQ(1u, run.code);
    const std::vector<std::string> report = SplitCrLf(run.out);
    ASSERT_EQ(28u, report.size()) << run.out;
    EXPECT_EQ("File: " + other, report[2]);
    const std::vector<std::string> errLines = SplitCrLf(run.err);
    ASSERT_EQ(1u, errLines.size()) << run.err;
    EXPECT_EQ(0u, errLines[0].find("vantrel: " + held + ": Cannot open file")) << errLines[0];
}

TEST_F(ConsoleMode, AnyOtherFirstArgumentIsTheFileToShow) {
    e2e::Program program(Quoted("/reports"));
    ASSERT_NE(nullptr, program.WaitForMainWindow());
    EXPECT_EQ("/reports", program.Text(edt1));
    EXPECT_EQ(0u, program.Exit());
}

TEST_F(ConsoleMode, OutReplacesAFileWholeAndRefusesAProtectedOne) {
    const std::string inspected = dir.Write("data.bin", Bytes(5000, 3));
    FixTimes(inspected);
    const std::string target = dir.Write("report.txt", std::string(100000, 'o'));  // longer than a report

    const Outcome reference = RunConsole(dir, "/report " + Quoted(inspected));
    ASSERT_EQ(0u, reference.code);
    const Outcome run = RunConsole(dir, "/report " + Quoted(inspected) + " /out " + Quoted(target));
    EXPECT_EQ(0u, run.code) << run.err;
    EXPECT_EQ("", run.out);
    EXPECT_EQ("", run.err);
    const std::string written = testutil::ReadAll(target);
    EXPECT_EQ(reference.out.substr(reference.out.find("\r\n")), written.substr(written.find("\r\n")));
    EXPECT_EQ((std::vector<std::string>{"data.bin", "report.txt"}), FilesIn(dir.path()))
        << "no temporary file left";

    // A read-only target stays as it is, and nothing is left beside it.
    const std::string locked = dir.Write("locked.txt", "keep me");
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    const Outcome refused = RunConsole(dir, "/report " + Quoted(inspected) + " /out " + Quoted(locked));
    EXPECT_EQ(1u, refused.code);
    EXPECT_NE(std::string::npos, refused.err.find(inspected)) << refused.err;
    EXPECT_NE(std::string::npos, refused.err.find("File access denied")) << refused.err;
    EXPECT_EQ("keep me", testutil::ReadAll(locked));
    EXPECT_EQ((std::vector<std::string>{"data.bin", "locked.txt", "report.txt"}), FilesIn(dir.path()));

    // The CSV form writes its whole text to the file.
    const std::string csvTarget = dir.Path("all.csv");
    const Outcome csv = RunConsole(dir, "/csv " + Quoted(inspected) + " /out " + Quoted(csvTarget));
    EXPECT_EQ(0u, csv.code) << csv.err;
    EXPECT_EQ(2u, SplitCrLf(testutil::ReadAll(csvTarget)).size());
}

TEST_F(ConsoleMode, OutFolderNamesReportsByDisplayNameAndNumbersRepeats) {
    ASSERT_TRUE(CreateDirectoryA(dir.Path("one").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dir.Path("two").c_str(), nullptr));
    const std::string a = dir.Write("one\\same.txt", "first"), b = dir.Write("two\\same.txt", "second"),
                      c = dir.Write("other.txt", "third");
    const std::string out = dir.Path("reports");  // made by the run
    const Outcome run =
        RunConsole(dir, "/report " + Quoted(a) + " " + Quoted(b) + " " + Quoted(c) + " /out " + Quoted(out));
    EXPECT_EQ(0u, run.code) << run.err;
    EXPECT_EQ("", run.out);

    // Each report against the same file's report on standard output.
    struct Expected {
        std::string file, suffix;
    };
    const Expected expected[] = {{a, ""}, {b, " (2)"}, {c, ""}};
    std::vector<std::string> names;
    for (const Expected& e : expected) {
        const Outcome alone = RunConsole(dir, "/report " + Quoted(e.file));
        ASSERT_EQ(0u, alone.code);
        const std::string display = Value(SplitCrLf(alone.out), 3);
        ASSERT_FALSE(display.empty());
        names.push_back(display + e.suffix + ".txt");
        const std::string written = testutil::ReadAll(out + "\\" + names.back());
        ASSERT_FALSE(written.empty()) << names.back();
        EXPECT_EQ(alone.out.substr(alone.out.find("\r\n")), written.substr(written.find("\r\n")))
            << names.back();
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, FilesIn(out));
}

TEST_F(ConsoleMode, AFolderStandsForEveryFileBelowItInNameOrder) {
    for (const char* sub : {"tree", "tree\\A", "tree\\C", "tree\\C\\D", "tree\\empty"})
        ASSERT_TRUE(CreateDirectoryA(dir.Path(sub).c_str(), nullptr));
    for (const char* file :
         {"tree\\c.txt", "tree\\b.txt", "tree\\C\\D\\e.txt", "tree\\a2.txt", "tree\\A\\z.txt"})
        dir.Write(file, file);
    const std::string single = dir.Write("single.txt", "x");
    const Outcome run = RunConsole(dir, "/csv " + Quoted(single) + " " + Quoted(dir.Path("tree")));
    EXPECT_EQ(0u, run.code) << run.err;
    std::vector<std::string> files;
    for (const std::string& row : SplitCrLf(run.out)) files.push_back(CsvFields(row)[0]);
    const std::string t = dir.Path("tree") + "\\";
    EXPECT_EQ((std::vector<std::string>{"File", single, t + "A\\z.txt", t + "a2.txt", t + "b.txt",
                                        t + "C\\D\\e.txt", t + "c.txt"}),
              files);
}

// /out never replaces a file the run reads, under any of its names, and the
// inputs stay byte for byte as they were.
class ConsoleOutInputs : public ConsoleMode {
protected:
    // Runs `arguments` and checks that every file in `inputs` still holds
    // its bytes afterwards.
    Outcome RunKeeping(const std::string& arguments, const std::vector<std::string>& inputs) {
        std::vector<std::string> before;
        for (const std::string& f : inputs) before.push_back(testutil::ReadAll(f));
        Outcome run = RunConsole(dir, arguments);
        for (std::size_t i = 0; i < inputs.size(); ++i)
            EXPECT_EQ(before[i], testutil::ReadAll(inputs[i])) << inputs[i] << " changed by " << arguments;
        return run;
    }
};

TEST_F(ConsoleOutInputs, CsvRefusesATargetThatIsAnInputUnderAnyName) {
    const std::string c55 = dir.Write("c55.bin", Bytes(55, 5));
    ASSERT_TRUE(CreateDirectoryA(dir.Path("cw").c_str(), nullptr));
    const std::string inWalk = dir.Write("cw\\b.txt", "walked"), other = dir.Write("other.txt", "other");
    ASSERT_TRUE(CreateHardLinkA(dir.Path("hard.bin").c_str(), c55.c_str(), nullptr));
    struct Case {
        const char* what;
        std::string arguments;
    };
    std::vector<Case> cases = {
        {"the same path", "/csv " + Quoted(c55) + " /out " + Quoted(c55)},
        {"the path in other case", "/csv " + Quoted(c55) + " /out " + Quoted(dir.Path("C55.BIN"))},
        {"a hard link", "/csv " + Quoted(c55) + " /out " + Quoted(dir.Path("hard.bin"))},
        {"a file of the walked folder", "/csv " + Quoted(dir.Path("cw")) + " /out " + Quoted(inWalk)},
        {"the first file of a list", "/csv " + Quoted(other) + " " + Quoted(c55) + " /out " + Quoted(other)},
    };
    // A symbolic link made on the Unix side, where Wine keeps its files.
    const std::string link = dir.Path("link.bin");
    if (testutil::RunUnixShell("ln -s '" + testutil::UnixPath(c55) + "' '" + testutil::UnixPath(link) + "'") &&
        GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES)
        cases.push_back({"a symbolic link", "/csv " + Quoted(c55) + " /out " + Quoted(link)});
    else
        ADD_FAILURE() << "no symbolic link could be made";

    for (const Case& c : cases) {
        const Outcome run = RunKeeping(c.arguments, {c55, inWalk, other});
        EXPECT_EQ(1u, run.code) << c.what;
        EXPECT_NE(std::string::npos, run.err.find("is one of the files being read")) << c.what << ": " << run.err;
    }
}

TEST_F(ConsoleOutInputs, FolderReportsStepAroundEveryInputAndReplaceNone) {
    // A report name that is an input's takes the next number.
    ASSERT_TRUE(CreateDirectoryA(dir.Path("col").c_str(), nullptr));
    const std::string a = dir.Write("col\\a.txt", "a"), aa = dir.Write("col\\a.txt.txt", "a.txt.txt");
    const Outcome first = RunKeeping("/report " + Quoted(dir.Path("col")) + " /out " + Quoted(dir.Path("col")),
                                     {a, aa});
    EXPECT_EQ(0u, first.code) << first.err;
    const std::vector<std::string> reports = SplitCrLf(testutil::ReadAll(dir.Path("col\\a.txt (2).txt")));
    ASSERT_EQ(28u, reports.size());
    EXPECT_EQ(a, Value(reports, 2));
    EXPECT_EQ(aa, Value(SplitCrLf(testutil::ReadAll(dir.Path("col\\a.txt.txt.txt"))), 2));

    // The same with the files named in the other order.
    ASSERT_TRUE(CreateDirectoryA(dir.Path("col2").c_str(), nullptr));
    const std::string b = dir.Write("col2\\b.txt", "b"), bb = dir.Write("col2\\b.txt.txt", "b.txt.txt");
    const Outcome second =
        RunKeeping("/report " + Quoted(bb) + " " + Quoted(b) + " /out " + Quoted(dir.Path("col2")), {b, bb});
    EXPECT_EQ(0u, second.code) << second.err;
    EXPECT_EQ(b, Value(SplitCrLf(testutil::ReadAll(dir.Path("col2\\b.txt (2).txt"))), 2));
    EXPECT_EQ(bb, Value(SplitCrLf(testutil::ReadAll(dir.Path("col2\\b.txt.txt.txt"))), 2));
}

TEST_F(ConsoleMode, OutMakesEveryMissingFolderOfItsPath) {
    const std::string a = dir.Write("a.txt", "a"), b = dir.Write("b.txt", "b");
    const std::string out = dir.Path("deep\\a\\b");
    const Outcome run = RunConsole(dir, "/report " + Quoted(a) + " " + Quoted(b) + " /out " + Quoted(out));
    EXPECT_EQ(0u, run.code) << run.err;
    EXPECT_EQ(2u, FilesIn(out).size());

    // A file where a folder should be is named in the reason.
    dir.Write("plain", "x");
    const Outcome blocked =
        RunConsole(dir, "/report " + Quoted(a) + " " + Quoted(b) + " /out " + Quoted(dir.Path("plain\\sub")));
    EXPECT_EQ(1u, blocked.code);
    EXPECT_NE(std::string::npos, blocked.err.find("cannot create the folder")) << blocked.err;
}

TEST_F(ConsoleMode, ASecondRunOverTheSameFolderReplacesItsReportsOrSaysWhyNot) {
    ASSERT_TRUE(CreateDirectoryA(dir.Path("in").c_str(), nullptr));
    dir.Write("in\\plain.txt", "plain");
    dir.Write("in\\.hidden.txt", "dot");
    const std::string arguments = "/report " + Quoted(dir.Path("in")) + " /out " + Quoted(dir.Path("out"));
    ASSERT_EQ(0u, RunConsole(dir, arguments).code);
    const Outcome again = RunConsole(dir, arguments);
    // The file system may call a report hidden by its name alone (a leading
    // dot under Wine): then the refusal says so; every other report is replaced.
    bool anyHidden = false;
    for (const std::string& name : FilesIn(dir.Path("out"))) {
        const DWORD attributes = GetFileAttributesA(dir.Path("out\\" + name).c_str());
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_SYSTEM) << name;
        if (!(attributes & FILE_ATTRIBUTE_HIDDEN)) continue;
        anyHidden = true;
        EXPECT_NE(std::string::npos, again.err.find(name + ": File access denied (the file is hidden"))
            << again.err;
    }
    EXPECT_EQ(anyHidden ? 1u : 0u, again.code) << again.err;
    EXPECT_EQ(std::string::npos, again.err.find("plain")) << again.err;
}

TEST_F(ConsoleMode, AClosedOutputEndsTheRunWithOneMessage) {
    ASSERT_TRUE(CreateDirectoryA(dir.Path("many").c_str(), nullptr));
    for (int i = 0; i < 200; ++i) dir.Write("many\\f" + std::to_string(i) + ".txt", std::to_string(i));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    base::UniqueFile reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    const std::string errPath = dir.Path("~stderr");
    base::UniqueFile err(CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                                     nullptr));
    ASSERT_TRUE(err);
    const std::string exe = testutil::WindowsPath(VANTREL_EXE);
    std::string commandLine = Quoted(exe) + " /report " + Quoted(dir.Path("many"));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    base::UniqueFile process(pi.hProcess), thread(pi.hThread);
    writer.reset();
    err.reset();
    // The reader takes the start of the first report and goes away, as
    // `| head -2` does.
    char start[64];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(reader.get(), start, sizeof start, &got, nullptr));
    reader.reset();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), e2e::kTimeoutMs * 4));
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(1u, code);
    EXPECT_EQ("vantrel: cannot write to standard output\r\n", testutil::ReadAll(errPath));
}

TEST_F(ConsoleMode, AVersionTextShapedLikeReportLinesCannotForgeTheReport) {
    const std::string forged = testutil::WindowsPath(std::string(VANTREL_FIXTURES_DIR) + "/forged_lines.dll");
    const Outcome run = RunConsole(dir, "/report " + Quoted(forged));
    EXPECT_EQ(0u, run.code) << run.err;
    const std::vector<std::string> lines = SplitCrLf(run.out);
    ASSERT_EQ(28u, lines.size()) << run.out;
    EXPECT_EQ(28, std::count(run.out.begin(), run.out.end(), '\n'));
    EXPECT_EQ(28, std::count(run.out.begin(), run.out.end(), '\r'));
    EXPECT_EQ("Comments: first line  MD5: 00000000000000000000000000000000  CRC: 1234", lines[11]);
    std::size_t md5Line = 0;
    while (md5Line < lines.size() && lines[md5Line].rfind("MD5: ", 0) != 0) ++md5Line;
    ASSERT_EQ(19u, md5Line);
    EXPECT_EQ("MD5: " + testutil::CryptoApiMd5(testutil::ReadAll(forged)), lines[md5Line]);
}

TEST_F(ConsoleMode, AControlCharacterInANameCannotSplitAMessageLine) {
    const Outcome run = RunConsole(dir, "/report \"missing\nname\x01.txt\"");
    EXPECT_EQ(1u, run.code);
    EXPECT_EQ("vantrel: missing\\nname\\x01.txt: File not found\r\n", run.err);
}

TEST_F(ConsoleMode, CsvEndsWithEachFilesSignatureAndSignerAndTheReportStaysAsItWas) {
    testutil::TrustedTestRoot root;
    if (!root.Added()) GTEST_SKIP() << "the test root is trusted only in a Wine prefix";
    struct Case {
        std::string file, signature, signer;
    };
    std::vector<Case> cases;
    for (const std::string kind : {"pe32", "pe32plus"}) {
        cases.push_back({testutil::SignedFile(kind + "-trusted.exe"), "Valid", "Example Corp"});
        cases.push_back({testutil::SignedFile(kind + "-self.exe"), "Not trusted", "Self Signed Example"});
        cases.push_back({testutil::SignedFile(kind + "-changed.exe"), "Changed after signing", "Example Corp"});
        cases.push_back({testutil::SignedFile(kind + "-unsigned.exe"), "Not signed", ""});
    }
    cases.push_back({dir.Write("notes.txt", "not a program\r\n"), "", ""});
    std::string args;
    for (const Case& c : cases) args += " " + Quoted(c.file);
    const Outcome csv = RunConsole(dir, "/csv" + args);
    EXPECT_EQ(0u, csv.code) << csv.err;
    const std::vector<std::string> rows = SplitCrLf(csv.out);
    ASSERT_EQ(cases.size() + 1, rows.size()) << csv.out;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].file);
        const std::vector<std::string> fields = CsvFields(rows[i + 1]);
        ASSERT_EQ(27u, fields.size());
        EXPECT_EQ(cases[i].file, fields[0]);
        EXPECT_EQ(cases[i].signature, fields[25]);
        EXPECT_EQ(cases[i].signer, fields[26]);
    }

    // The report of a signed program has its 28 lines and nothing of the signature.
    const Outcome report = RunConsole(dir, "/report " + Quoted(cases[0].file));
    EXPECT_EQ(0u, report.code) << report.err;
    const std::vector<std::string> lines = SplitCrLf(report.out);
    EXPECT_EQ(28u, lines.size());
    EXPECT_EQ(std::string::npos, report.out.find("Example Corp"));
    EXPECT_EQ(std::string::npos, report.out.find("Valid"));
}

}  // namespace

#include "driver.h"

#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

#include "app/window/frmMain_layout.h"
#include "testutil.h"

namespace e2e {

using namespace frmMain;

namespace {

struct WindowQuery {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == q->pid && ClassOf(hwnd) == q->className) q->found.push_back(hwnd);
    return TRUE;
}

struct ChildQuery {
    int id;
    HWND found;
};

BOOL CALLBACK FindById(HWND hwnd, LPARAM param) {
    auto* q = reinterpret_cast<ChildQuery*>(param);
    if (GetDlgCtrlID(hwnd) != q->id) return TRUE;
    q->found = hwnd;
    return FALSE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const char* className) {
    WindowQuery q{pid, className, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND FindChild(HWND parent, int id) {
    ChildQuery q{id, nullptr};
    if (parent) EnumChildWindows(parent, FindById, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

std::string ClassOf(HWND hwnd) {
    char name[256];
    const int n = GetClassNameA(hwnd, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

std::string TextOf(HWND hwnd) {
    char buf[4096];
    DWORD_PTR length = 0;
    if (!hwnd || !SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL,
                                      kTimeoutMs, &length))
        return std::string();
    return std::string(buf, length < sizeof buf ? length : 0);
}

bool SetTextOf(HWND hwnd, const std::string& text) {
    DWORD_PTR result = 0;
    return hwnd && SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                       kTimeoutMs, &result) != 0;
}

void ClickPicture(HWND picture) {
    PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

void PressButton(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

namespace {

// Wine now and then fails a process start with ERROR_INTERNAL_ERROR (1359)
// while the test's earlier processes are still going; the start is tried
// again a few times. Any other failure stands at once.
bool StartProcess(const std::string& exe, char* commandLine, BOOL inherit, const char* folder, STARTUPINFOA& si,
                  PROCESS_INFORMATION& pi) {
    for (int tries = 1;; ++tries) {
        if (CreateProcessA(exe.c_str(), commandLine, nullptr, nullptr, inherit, 0, nullptr, folder, &si, &pi))
            return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR || tries == 5) return false;
        Sleep(200);
    }
}

// Starts vantrel.exe with `arguments` in `folder` and the given standard
// handles, lets `whileRunning` act, and waits for its end; false when it
// could not be started.
bool RunWithHandles(const std::string& folder, const std::string& arguments, HANDLE out, HANDLE err,
                    const std::function<void()>& whileRunning, DWORD& code) {
    const std::string exe = ProgramPath();
    std::string commandLine = "\"" + exe + "\" " + arguments;
    commandLine.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    if (!StartProcess(exe, &commandLine[0], TRUE, folder.c_str(), si, pi)) {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
        return false;
    }
    base::UniqueFile process(pi.hProcess), thread(pi.hThread);
    if (whileRunning) whileRunning();
    if (WaitForSingleObject(process.get(), kTimeoutMs * 4) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the console run did not end: " << arguments;
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), kTimeoutMs);
    }
    GetExitCodeProcess(process.get(), &code);
    return true;
}

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}

}  // namespace

ConsoleRun RunConsoleProgram(const std::string& folder, const std::string& arguments) {
    ConsoleRun result;
    const std::string outPath = folder + "\\~stdout", errPath = folder + "\\~stderr";
    {
        base::UniqueFile out(InheritableFile(outPath)), err(InheritableFile(errPath));
        if (!out || !err) {
            ADD_FAILURE() << "cannot create the output files in " << folder;
            return result;
        }
        if (!RunWithHandles(folder, arguments, out.get(), err.get(), nullptr, result.code)) return result;
    }
    result.out = testutil::ReadAll(outPath);
    result.err = testutil::ReadAll(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return result;
}

ConsoleRun RunConsoleIntoClosingPipe(const std::string& folder, const std::string& arguments, std::size_t taken) {
    ConsoleRun result;
    const std::string errPath = folder + "\\~stderr";
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            ADD_FAILURE() << "cannot make a pipe";
            return result;
        }
        base::UniqueFile reader(readEnd), writer(writeEnd), err(InheritableFile(errPath));
        SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
        const auto readAndLeave = [&] {
            writer.reset();  // the child holds the only write end
            std::string bytes(taken, '\0');
            DWORD got = 0;
            if (taken && ReadFile(reader.get(), &bytes[0], static_cast<DWORD>(taken), &got, nullptr))
                result.out = bytes.substr(0, got);
            reader.reset();
        };
        if (!RunWithHandles(folder, arguments, writer.get(), err.get(), readAndLeave, result.code)) return result;
    }
    result.err = testutil::ReadAll(errPath);
    DeleteFileA(errPath.c_str());
    return result;
}

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("VANTREL_TEST_PROGRAM", path, sizeof path);
    return testutil::WindowsPath(n > 0 && n < sizeof path ? std::string(path, n) : std::string(VANTREL_EXE));
}

UINT ExpectedProgramCodePage() {
    char wanted[16] = {};
    if (!GetEnvironmentVariableA("VANTREL_PROGRAM_CODE_PAGE", wanted, sizeof wanted)) return CP_UTF8;
    return static_cast<UINT>(std::strtoul(wanted, nullptr, 10));
}

UINT CodePageOf(HANDLE process) {
    // GetACP sits at the same address in every process of the session, so a
    // thread started there returns the other process's answer as its code.
    auto* getAcp = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetACP")));
    base::UniqueFile thread(CreateRemoteThread(process, nullptr, 0, getAcp, nullptr, 0, nullptr));
    DWORD code = 0;
    if (!thread || WaitForSingleObject(thread.get(), kTimeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeThread(thread.get(), &code))
        return 0;
    return code;
}

Program::Program(const std::string& arguments) {
    const std::string exe = ProgramPath();
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!StartProcess(exe, buffer.data(), FALSE, nullptr, si, pi)) {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
        return;
    }
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
}

Program::~Program() {
    if (!Started() || WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) return;
    ADD_FAILURE() << "the program was still running at the end of the test and had to be terminated";
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), kTimeoutMs);
}

HWND Program::WaitForMainWindow() {
    main_ = WaitForWindow("TForm1");
    // A run under another code page proves nothing about that one.
    if (main_) {
        EXPECT_EQ(ExpectedProgramCodePage(), CodePageOf(process_.get())) << "the program's code page";
    }
    return main_;
}

bool Program::WaitForDigest() {
    return WaitUntil([&] { return Text(frmMain::edt18).size() == 32; });
}

HWND Program::WaitForWindow(const char* className, HWND owner, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND h : TopLevelWindows(pid_, className))
                if (IsWindowVisible(h) && (!owner || GetWindow(h, GW_OWNER) == owner)) found = h;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool Program::Checked(int id) const {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(Control(id), BM_GETCHECK, 0, 0, SMTO_NORMAL, kTimeoutMs, &state);
    return state == BST_CHECKED;
}

DWORD Program::Exit() {
    Click(frmMain::image5);
    return WaitForEnd();
}

DWORD Program::WaitForEnd(DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (!Started()) return code;
    WaitUntil([&] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, timeoutMs);
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

}  // namespace e2e

// Drives the built program from outside, as a user would: starts vantrel.exe
// as a process of its own, finds its windows among the desktop's top-level
// windows, and works its controls with the messages that the user's actions
// produce. Everything that waits polls with a time-out, so a program that
// hangs fails the test instead of stopping the run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/handles.h"

namespace e2e {

constexpr DWORD kTimeoutMs = 15000;

// Polls `done` until it holds or `timeoutMs` has passed; true when it held.
// The test thread's own messages are dispatched meanwhile.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs = kTimeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
}

// The top-level windows of process `pid` whose class is `className`, hidden
// ones included.
std::vector<HWND> TopLevelWindows(DWORD pid, const char* className);
// The descendant of `parent` whose control identifier is `id`.
HWND FindChild(HWND parent, int id);
std::string ClassOf(HWND hwnd);
// The window's text through WM_GETTEXT, which reaches into the other process.
std::string TextOf(HWND hwnd);
// WM_SETTEXT; returns once the other process has handled it.
bool SetTextOf(HWND hwnd, const std::string& text);
// A left click at (10, 10) of a picture button: posted, so that a modal
// window which the click opens does not block the caller.
void ClickPicture(HWND picture);
// Presses a dialog's button the way the dialog manager reports a click.
void PressButton(HWND dialog, int buttonId);

// What a console run of the program gave.
struct ConsoleRun {
    DWORD code = STILL_ACTIVE;  // the exit code
    std::string out, err;       // standard output and standard error
};
// Runs vantrel.exe with `arguments` in `folder`, its standard output and
// error going to files there, and waits for its end (a run that outlives
// four times kTimeoutMs fails the test and is ended).
ConsoleRun RunConsoleProgram(const std::string& folder, const std::string& arguments);
// The same with standard output a pipe whose reader takes up to `taken`
// bytes (none for 0) and then goes away, as `| head` does; `out` holds what
// it took.
ConsoleRun RunConsoleIntoClosingPipe(const std::string& folder, const std::string& arguments, std::size_t taken);

// The program the tests start: the built vantrel.exe, or the one that the
// environment variable VANTREL_TEST_PROGRAM names (a Unix or Windows path).
std::string ProgramPath();
// The code page the program must run in: the one VANTREL_PROGRAM_CODE_PAGE
// names, else UTF-8, which the program's manifest asks for.
UINT ExpectedProgramCodePage();
// GetACP() of the running `process`; 0 when it cannot be asked.
UINT CodePageOf(HANDLE process);

// One run of the program. The constructor starts it; the destructor ends a
// process that is still running with TerminateProcess and fails the test,
// since a test is expected to end the program through its Exit button.
class Program {
public:
    // `arguments` follow the program's path on the command line as given.
    explicit Program(const std::string& arguments = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return process_.valid(); }
    HANDLE Process() const { return process_.get(); }
    DWORD Pid() const { return pid_; }

    // Waits for the visible main window "TForm1"; null after the time-out.
    HWND WaitForMainWindow();
    // Waits until the MD5 row holds a digest: a large file's load may still
    // run when the window appears, and input during a load is not acted on.
    bool WaitForDigest();
    HWND Main() const { return main_; }
    // A visible top-level window of the program with class `className`,
    // owned by `owner` unless that is null; null after the time-out.
    HWND WaitForWindow(const char* className, HWND owner = nullptr, DWORD timeoutMs = kTimeoutMs);

    // The main window's controls by identifier.
    HWND Control(int id) const { return FindChild(main_, id); }
    std::string Text(int id) const { return TextOf(Control(id)); }
    bool Checked(int id) const;
    void Click(int id) const { ClickPicture(Control(id)); }

    // Clicks Exit and waits for the process to end; its exit code, or
    // STILL_ACTIVE when it did not end in time.
    DWORD Exit();
    // Waits for the end of the process; its exit code, or STILL_ACTIVE.
    DWORD WaitForEnd(DWORD timeoutMs = kTimeoutMs);

private:
    using KernelHandle = base::UniqueFile;  // CloseHandle serves any kernel object
    KernelHandle process_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

}  // namespace e2e

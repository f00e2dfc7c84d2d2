// The program-wide application object: the title, the main form, the message
// loop and the failure display.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class Form;

class TApplication {
public:
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // The first form created, with its window while it has one; closing it
    // ends the program. Forms tell of their window's creation and end.
    Form* MainForm() const { return mainForm_; }
    HWND MainWindow() const { return mainWindow_; }
    void SetMainForm(Form* form, HWND window) {
        if (!mainForm_) mainForm_ = form, mainWindow_ = window;
    }
    void MainWindowGone(Form* form) {
        if (mainForm_ == form) mainWindow_ = nullptr;
    }
    void ClearMainForm(Form* form) {
        if (mainForm_ == form) mainForm_ = nullptr, mainWindow_ = nullptr;
    }

    // A hidden top-level window that stands for the application (owner of
    // shell requests); created on first use.
    HWND Handle();

    // Shows the main form with `showCmd`, then dispatches messages until the
    // program is told to end. Returns the exit code.
    int Run(int showCmd);
    // Dispatches one message; false when WM_QUIT was taken.
    bool ProcessMessage(MSG& msg);
    // Dispatches whatever is waiting, without blocking.
    void ProcessMessages();

    // The failure display: a modal box with the title as caption, the error
    // icon, one OK button and the message with the full-stop rule applied.
    void ShowException(const std::string& message);

    // A message box of the program (base::ShowMessageBox, which tests can
    // answer).
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

    // Keyboard shortcuts of the top-level window `target`: the loop translates
    // them for messages to it or its controls, only while it is enabled, so
    // none acts while a modal window is open. A null table ends them; the
    // caller owns the table and keeps it alive while it is set.
    void SetAccelerators(HWND target, HACCEL table) {
        accelTarget_ = target;
        accelTable_ = table;
    }

private:
    std::string title_;
    Form* mainForm_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND handle_ = nullptr;
    HWND accelTarget_ = nullptr;
    HACCEL accelTable_ = nullptr;
    int exitCode_ = 0;
};

TApplication& Application();

}  // namespace ui

// Working the main window from the keyboard and the context menu.
//
// Shortcuts, translated by the message loop only while the window is enabled
// (never under a modal window): Ctrl+S saves the report as the Save picture
// does, Ctrl+O opens the browse dialog as Alt+Down does, F1 opens About,
// Ctrl+Shift+C copies the whole report text (the bytes a save would write) to
// the clipboard, Esc stops a running load. Right-clicking a detail field
// offers Copy and Select All, Copy All Details (the report text) and, on the
// CRC and MD5 rows, Copy SHA-256 and Copy SHA-1; and Digital Signature…,
// the box of the shown file's signature. The five picture buttons
// carry their captions as their accessible names.
#pragma once

#include <windows.h>

#include "base/handles.h"

class TForm1;

class Shortcuts {
public:
    // Command identifiers of the shortcuts and the context menu.
    enum Command : WORD {
        kSave = 0x7100,
        kBrowse,
        kAbout,
        kCopyReport,
        kStopLoad,
        kCopy,
        kSelectAll,
        kCopyAllDetails,
        kCopySha256,
        kCopySha1,
        kDigitalSignature,
    };

    explicit Shortcuts(TForm1& form);
    ~Shortcuts();
    Shortcuts(const Shortcuts&) = delete;
    Shortcuts& operator=(const Shortcuts&) = delete;

    // The window's messages that concern shortcuts (WM_COMMAND from the
    // accelerator table). True when answered, with the answer in `result`.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // Runs a command as its shortcut or menu item would; `field` is the
    // detail field a menu was opened on (null for a shortcut).
    void Run(WORD command, HWND field = nullptr);

    // The context menu of a detail field, as it would be shown; the caller
    // owns it. Exposed so that tests can read its items.
    HMENU BuildMenu(int field) const;

    // Called with the command a context menu was closed with (0 for none),
    // instead of waiting for the user; for tests.
    using MenuAnswer = WORD (*)(HMENU menu);
    void SetMenuAnswer(MenuAnswer answer) { menuAnswer_ = answer; }

private:
    static LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    void ShowMenu(HWND field, LPARAM at);
    int FieldId(HWND field) const;

    TForm1& form_;
    base::UniqueAccel accel_;
    MenuAnswer menuAnswer_ = nullptr;
};

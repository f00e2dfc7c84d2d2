// Working the main window from the keyboard and the context menu.
//
// Shortcuts, translated by the message loop only while the window is enabled
// (never under a modal window): Ctrl+S saves the report as the Save picture
// does, Ctrl+O opens the browse dialog as Alt+Down does, F1 opens About,
// Ctrl+Shift+C copies the whole report text (the bytes a save would write) to
// the clipboard, Esc stops a running load. Right-clicking a detail field
// offers Copy and Select All, Copy All Details (the report text) and, on the
// CRC and MD5 rows, Copy SHA-256, SHA-1, SHA-384, SHA-512, BLAKE2b-512 and
// BLAKE3-256; Digital Signature…, the box of the shown file's signature;
// Checksum File Signature…, the box of the signatures of the checksum files
// beside it that list it; and Compare with… (Ctrl+K), which compares the
// shown file with a second one (app/verify/comparewindow.h). The five picture
// buttons carry their captions as their accessible names.
#pragma once

#include <windows.h>

#include <string>

#include "app/verify/ondemand.h"
#include "base/handles.h"

class SignatureCheck;
namespace ui {
class Form;
}

// What the shortcuts and the menu ask of the window they work.
class WindowCommands {
public:
    virtual void SaveReport() = 0;  // as the Save picture
    virtual void Browse() = 0;      // the name box's browse steps
    virtual void ShowAbout() = 0;   // as the About picture
    // The report text of what the window shows now (the bytes a save would write).
    virtual std::string ReportText() const = 0;
    // Stops the running load's pass; nothing between loads.
    virtual void StopLoad() = 0;
    // The name of the file the window was last asked to show.
    virtual const std::string& ShownFile() const = 0;
    // The shown file's digest computed on demand (ComputeFileDigest); empty
    // when the read was stopped.
    virtual std::string Digest(DigestKind kind) = 0;
    // Asks for a second file and compares the shown file with it.
    virtual void CompareWithFile() = 0;
    // Whether a checksum file beside the shown file lists it; the box of
    // those files' signatures (ClipboardVerifier::ShowListSignatureBox).
    virtual bool CanShowListSignature() const = 0;
    virtual void ShowListSignature() = 0;

protected:
    ~WindowCommands() = default;
};

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
        kCopySha384,
        kCopySha512,
        kCopyBlake2b,
        kCopyBlake3,
        kCompareWith,
        kListSignature,
    };

    // Works `form`'s fields and buttons through `commands`; the menu's
    // Digital Signature item shows `signature`'s box.
    Shortcuts(ui::Form& form, WindowCommands& commands, SignatureCheck& signature);
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

    ui::Form& form_;
    WindowCommands& commands_;
    SignatureCheck& signature_;
    base::UniqueAccel accel_;
    MenuAnswer menuAnswer_ = nullptr;
};

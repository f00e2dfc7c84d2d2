// The main window: the file-name box, the detail rows, the attribute boxes,
// the two icon pictures and the button row, with the three inspection
// components that fill them.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/verify/windowpasses.h"
#include "base/fs.h"
#include "app/window/fileload.h"
#include "app/window/shortcuts.h"
#include "app/details/filedetails.h"
#include "app/window/frmMain_layout.h"
#include "app/details/report.h"
#include "components/dcFileCRC.h"
#include "components/dcFileInfo.h"
#include "components/dcVersionInfo.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/trayicon.h"

class TAboutBox;
class ClipboardVerifier;
class FileCompare;
class SignatureCheck;

class TForm1 : public ui::Form, public WindowPasses, public WindowCommands {
public:
    // `commandLine` is the process's command line (UTF-8); its first argument
    // is loaded at creation.
    explicit TForm1(const std::string& commandLine = fs::Narrow(GetCommandLineW()));
    ~TForm1() override;

    // The path of the file that the window was last asked to show.
    std::string SelectedFileName;
    // The About window the About button shows; none until it is given.
    void SetAboutBox(TAboutBox* box) { aboutBox_ = box; }

    TdcVersionInfo fver1;
    TdcFileInfo Finfo1;
    TdcFileCRC dcflcrc1;
    ui::TTrayIcon trycn1;
    ui::TSaveDialog dlg1;

    void edt1Change();
    // The guarded sequence of a load of `name`: the components, the refresh,
    // then one pass over the file for the checksum and the digest. Raises
    // the failures that the load's message reports.
    void Load(const std::string& name);
    void GetFileInfo();
    void MoveButton(int image);
    void MoveButtonBack(int image);
    void image4MouseEnter() { MoveButton(frmMain::image4); }
    void image4MouseLeave() { MoveButtonBack(frmMain::image4); }
    void image5MouseEnter() { MoveButton(frmMain::image5); }
    void image5MouseLeave() { MoveButtonBack(frmMain::image5); }
    void image6MouseEnter() { MoveButton(frmMain::image6); }
    void image6MouseLeave() { MoveButtonBack(frmMain::image6); }
    void image7MouseEnter() { MoveButton(frmMain::image7); }
    void image7MouseLeave() { MoveButtonBack(frmMain::image7); }
    void image8MouseEnter() { MoveButton(frmMain::image8); }
    void image8MouseLeave() { MoveButtonBack(frmMain::image8); }
    void WMDROPFILES(HDROP drop);
    void FormCreate(const std::string& commandLine);
    void trycn1Click();
    void image7Click();
    void image5Click();
    void trycn1MouseMove(int x, int y);
    void image4Click();
    void image8Click();
    void image6Click();
    // What the window shows now, as the report copies it, stamped with the
    // current local time.
    ReportSource CurrentReport() const;
    // The browse steps of the name box.
    void Browse() override;
    // True from the start to the end of a change of the name box's text,
    // its messages included; nothing starts another load meanwhile.
    bool Loading() const { return load_->Running(); }
    // The pass of the running load (tests watch and stop loads through it).
    WindowPass& LoadPass() { return load_->CurrentPass(); }
    // One more pass over a file with the load's busy display, progress and
    // stops, outside a load (digests computed on demand).
    PassResult RunPass(HANDLE file, const std::string& name, const PassFeeds& feeds) override;
    bool PassRunning() const override { return load_->CurrentPass().Running(); }

    // Verifying against the clipboard, and the keyboard and context menu.
    ClipboardVerifier& Verifier() { return *verify_; }
    Shortcuts& Keys() { return *keys_; }
    // The check of the shown file's signature, after each load's pass.
    SignatureCheck& Signature() { return *signature_; }

    // The system dialogs, replaceable so that tests can answer them.
    std::function<bool(OPENFILENAMEW&)> onOpenDialog = [](OPENFILENAMEW& ofn) {
        return GetOpenFileNameW(&ofn) != FALSE;
    };

    // The commands of the shortcuts and the menu.
    void SaveReport() override { image4Click(); }
    void ShowAbout() override { image6Click(); }
    std::string ReportText() const override;
    void StopLoad() override { load_->CurrentPass().Stop(); }
    std::string Digest(DigestKind kind) override;
    const std::string& ShownFile() const override { return SelectedFileName; }
    void CompareWithFile() override;
    // Compares the shown file, as loaded, with `second`, with the load's
    // progress and stops (app/verify/comparewindow.h); nothing without a
    // loaded file or while a pass runs.
    void CompareWith(const std::string& second);
    FileCompare& Comparison() { return *compare_; }
    bool CanShowListSignature() const override;
    void ShowListSignature() override;

protected:
    void OnEvent(int id, ui::Event event) override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Writes one row of the rows table from `details` (icons from Finfo1).
    void WriteRow(int id, const FileDetails& details);
    void EmptyRow(int id);
    void EmptyRowsFrom(size_t firstRow);
    void ShowLoadFailure();
    void ChangeOnce();
    WindowPass::Stopping StopsLoad(const MSG& msg) const;

    std::unique_ptr<FileLoad> load_;   // the load: its pass, busy display and held inputs
    FileDetails details_;              // what the rows show of the loaded file
    bool startupLoad_ = false;         // the load of the command line's name runs
    COLORREF md5Color_ = CLR_INVALID;  // the MD5 row's colour under the progress text
    std::unique_ptr<ClipboardVerifier> verify_;
    std::unique_ptr<Shortcuts> keys_;
    std::unique_ptr<SignatureCheck> signature_;
    std::unique_ptr<FileCompare> compare_;
    size_t rowsWritten_ = 0;   // rows the current refresh has rewritten
    std::string browseDir_;
    std::string browseName_;
    TAboutBox* aboutBox_ = nullptr;
};

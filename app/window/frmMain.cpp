#include "app/window/frmMain.h"

#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "app/window/About.h"
#include "app/window/browsename.h"
#include "app/details/datetimesettings.h"
#include "app/details/detailrows.h"
#include "app/details/detailtexts.h"
#include "app/details/readdetails.h"
#include "app/details/report.h"
#include "app/save/reportfile.h"
#include "app/save/safesave.h"
#include "app/window/shortcuts.h"
#include "app/signature/signaturecheck.h"
#include "app/verify/comparewindow.h"
#include "app/verify/verify.h"
#include "base/fs.h"
#include "base/windowmessages.h"
#include "components/dcUtils.h"
#include "components/names.h"
#include "resources/resource.h"
#include "ui/dpi.h"

using namespace frmMain;


namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);

bool DirectoryExists(const std::string& dir) { return ProbeEntry(dir) == EntryKind::Directory; }

}  // namespace

TForm1::TForm1(const std::string& commandLine) {
    fver1.Name = "fver1";
    Finfo1.Name = "Finfo1";
    dcflcrc1.Name = "dcflcrc1";
    dlg1.Title = "Save to a Text File";
    dlg1.FilterName = "Text File (*.txt)";
    dlg1.FilterPattern = "*.txt";
    dlg1.DefaultExt = "txt";
    CreateForm(kMainFormSpec, kMainLayout, kMainLayoutCount, nullptr);
    // Centred on the rectangle that encloses all monitors. Placing is a
    // courtesy: a call that fails leaves the window where it was made.
    RECT rc{};
    (void)GetWindowRect(Handle(), &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int vw = GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    (void)SetWindowPos(Handle(), nullptr, vx + (vw - w) / 2, vy + (vh - h) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    trycn1.OnClick = [this] { trycn1Click(); };
    trycn1.OnMouseMove = [this](int x, int y) { trycn1MouseMove(x, y); };
    // The notification area shows icons at the small-icon size of the
    // screen's scale.
    trycn1.Create(ui::LoadIconForDpi(IDI_TRAY, SM_CXSMICON, SM_CYSMICON, ui::ScreenDpi()),
                  "Click To Open Vantrel", "Click To Open Vantrel", "Vantrel", 3000);
    load_ = std::make_unique<FileLoad>(Handle());
    WindowPass& pass = load_->CurrentPass();
    pass.stopsPass = [this](const MSG& msg) { return StopsLoad(msg); };
    pass.showProgress = [this](const std::wstring& text) {
        if (md5Color_ == CLR_INVALID) md5Color_ = FontColor(edt18);
        SetFontColor(edt18, text.empty() ? md5Color_ : kGrey);
        // The progress text is a courtesy: the row's final text comes after.
        (void)SetWindowTextW(Control(edt18), text.c_str());
    };
    pass.onLongPass = [this] {
        // Started with a large file: the window shows at once and the load runs in it.
        if (startupLoad_ && !IsWindowVisible(Handle())) {
            ShowWindow(Handle(), SW_SHOW);
            UpdateWindow(Handle());
        }
    };
    verify_ = std::make_unique<ClipboardVerifier>(*this, *this);
    compare_ = std::make_unique<FileCompare>(*this);
    signature_ = std::make_unique<SignatureCheck>(*this);
    keys_ = std::make_unique<Shortcuts>(*this, *this, *signature_);
    FormCreate(commandLine);
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(const std::string& commandLine) {
    DragAcceptFiles(Handle(), TRUE);  // returns nothing: it sets a window style
    const std::string arg = ParamStr(commandLine, 1);
    if (!arg.empty()) {
        SelectedFileName = arg;
        startupLoad_ = true;
        SetText(edt1, SelectedFileName);
        startupLoad_ = false;
        // "vantrel.exe A B": A shown and compared with B.
        const std::string second = ParamStr(commandLine, 2);
        if (!second.empty()) CompareWith(second);
    }
}

namespace {

using ui::Event;

// clang-format off
constexpr ui::EventRow<TForm1> kEvents[] = {
    {edt1,   Event::Change,     &TForm1::edt1Change},        // a load per change of the name
    {edt1,   Event::Browse,     &TForm1::Browse},            // browse button, Alt+Down
    {image4, Event::Click,      &TForm1::image4Click},       // Save
    {image8, Event::Click,      &TForm1::image8Click},       // Clear
    {image7, Event::Click,      &TForm1::image7Click},       // Tray
    {image6, Event::Click,      &TForm1::image6Click},       // About
    {image5, Event::Click,      &TForm1::image5Click},       // Exit
    {image4, Event::MouseEnter, &TForm1::image4MouseEnter},
    {image4, Event::MouseLeave, &TForm1::image4MouseLeave},
    {image8, Event::MouseEnter, &TForm1::image8MouseEnter},
    {image8, Event::MouseLeave, &TForm1::image8MouseLeave},
    {image7, Event::MouseEnter, &TForm1::image7MouseEnter},
    {image7, Event::MouseLeave, &TForm1::image7MouseLeave},
    {image6, Event::MouseEnter, &TForm1::image6MouseEnter},
    {image6, Event::MouseLeave, &TForm1::image6MouseLeave},
    {image5, Event::MouseEnter, &TForm1::image5MouseEnter},
    {image5, Event::MouseLeave, &TForm1::image5MouseLeave},
};
// clang-format on

// An Open dialog of `owner` for any file, the chosen name going to `file`
// (a long path's room).
OPENFILENAMEW OpenDialogFor(HWND owner, std::vector<wchar_t>& file) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"All files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    return ofn;
}

}  // namespace

void TForm1::OnEvent(int id, ui::Event event) {
    if (load_->Running() && (event == Event::Click || event == Event::Browse)) {
        // Clear and Exit stop the load and act after it; nothing else acts during it.
        if (event == Event::Click && (id == image8 || id == image5))
            load_->Hold(base::kHeldClickMessage, static_cast<WPARAM>(id), 0);
        return;
    }
    ui::DispatchEvent(*this, kEvents, id, event);
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT answer = 0;
    if (verify_ && verify_->HandleMessage(msg, wp, lp, answer)) return answer;
    if (compare_ && compare_->HandleMessage(msg, wp, lp, answer)) return answer;
    if (keys_ && keys_->HandleMessage(msg, wp, lp, answer)) return answer;
    if (signature_ && signature_->HandleMessage(msg, wp, lp, answer)) return answer;
    switch (msg) {
    case WM_DROPFILES:
        if (load_->Running()) load_->Hold(msg, wp, lp);
        else WMDROPFILES(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_CLOSE:
        if (load_->Running()) {
            load_->Hold(msg, wp, lp);
            return 0;
        }
        break;
    case base::kHeldClickMessage:
        ui::Guarded([&] { OnEvent(static_cast<int>(wp), ui::Event::Click); });
        return 0;
    case WM_WININICHANGE:
        ReloadFormatSettings();
        break;
    case WM_DESTROY:
        trycn1.Remove();
        break;
    }
    return Form::HandleMessage(msg, wp, lp);
}

void TForm1::edt1Change() {
    // Never a load inside a load: the running one stops, and the box's text
    // is loaded when it has ended.
    if (load_->Running()) load_->Restart();
    else load_->Run([this] { ChangeOnce(); });
}

void TForm1::ChangeOnce() {
    const std::string text = Text(edt1);
    if (FileExists(text)) {
        SetFontColor(edt1, kBlue);
        rowsWritten_ = 0;
        try {
            SelectedFileName = Text(edt1);
            Load(SelectedFileName);
        } catch (const FileChangedWhileRead& e) {
            ui::Application().ShowMessageBox(Handle(), e.what(), "Error", MB_OK | MB_ICONERROR);
            EmptyRowsFrom(rowsWritten_);
        } catch (const std::exception&) {
            ShowLoadFailure();
            // Rows this load did not reach would otherwise pair the new path
            // with another file's details.
            EmptyRowsFrom(rowsWritten_);
        }
    } else {
        SetFontColor(edt1, kRed);
        SelectedFileName.clear();
    }
    if (Text(edt1).empty()) {
        image8Click();
        SelectedFileName.clear();
    }
    if (verify_) verify_->Check();
}

WindowPass::Stopping TForm1::StopsLoad(const MSG& msg) const {
    using S = WindowPass::Stopping;
    const auto keepIf = [](bool stops) { return stops ? S::AndKeep : S::No; };
    switch (msg.message) {
    case WM_KEYDOWN:
        return msg.wParam == VK_ESCAPE ? S::AndTake : S::No;
    case WM_SYSKEYDOWN:
        return keepIf(msg.wParam == VK_F4);  // Alt+F4
    case WM_CLOSE:
    case WM_DROPFILES:
        return S::AndKeep;
    case WM_SYSCOMMAND:
        return keepIf((msg.wParam & 0xFFF0) == SC_CLOSE);
    case WM_NCLBUTTONDOWN:
        return keepIf(msg.wParam == HTCLOSE);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return keepIf(msg.hwnd && (msg.hwnd == Control(image8) || msg.hwnd == Control(image5)));
    }
    return S::No;
}

void TForm1::ShowLoadFailure() {
    ui::Application().ShowMessageBox(Handle(), "No Version Information for this File", "Error",
                                     MB_OK | MB_ICONERROR);
}

void TForm1::GetFileInfo() {
    // No checksums yet: their rows show nothing of another file until the
    // load's pass over the file has computed them.
    details_ = DetailsOf(Finfo1, fver1);
    for (const DetailRow& row : kDetailRows) {
        WriteRow(row.id, details_);
        if (row.id != edt17 && row.id != edt18) ++rowsWritten_;
    }
}

void TForm1::WriteRow(int id, const FileDetails& details) {
    if (IsCheckBox(id)) SetChecked(id, RowChecked(details, id));
    else if (id == image2) SetIcon(id, Finfo1.LargeIcon().Copy());
    else if (id == image3) SetIcon(id, Finfo1.SmallIcon().Copy());
    else SetText(id, RowText(details, id, CurrentDateTimeFormat()));
}

void TForm1::Load(const std::string& name) {
    FileLoad::Busy busy(*load_);
    signature_->Clear();
    if (compare_) compare_->End();  // another file: the compare was of the last one
    rowsWritten_ = 0;
    fver1.SetFILENAME(name);
    Finfo1.SetFILENAME(name);
    GetFileInfo();

    ChecksumWants wants;
    // The CRC of every load comes from its own pass, beside the MD5: one kept
    // for the name could be of another version of the file than the rows.
    wants.crc = dcflcrc1.Method();
    wants.stamp = true;
    if (verify_) {
        // Checksum files beside it, and the digests they need, in the same pass.
        PassFeeds shas;
        verify_->LoadBegins(name, shas);
        wants.digests = shas.caller;
        wants.workers = shas.workers;
    }
    const ChecksumPass pass =
        ReadChecksums(name, wants, [this](HANDLE file, const std::string& path, const PassFeeds& feeds) {
            return load_->CurrentPass().Run(file, path, feeds);
        });
    RaiseIfChangedWhileRead(pass.result, name);
    // Stopped: the checksum rows stay empty and the checksum counts as not computed.
    if (pass.result.outcome == PassOutcome::Stopped) return;
    // The version the rows describe; a file held for writing elsewhere was
    // read for its CRC alone, so no digest of it is kept.
    if (verify_) verify_->LoadRead(name, pass.result, pass.openError == ERROR_SUCCESS);
    if (pass.crc) dcflcrc1.TakeCRC(name, *pass.crc);
    details_.crc = dcflcrc1.CRC();
    WriteRow(edt17, details_);
    ++rowsWritten_;
    if (pass.openError != ERROR_SUCCESS) throw CannotOpenFile(name, pass.openError);
    details_.md5 = pass.md5;
    WriteRow(edt18, details_);
    ++rowsWritten_;
    signature_->Start(Verifier().Loaded());  // of the version the pass read, on a thread of its own
}

std::string TForm1::ReportText() const { return ::ReportText(CurrentReport()); }

std::string TForm1::Digest(DigestKind kind) {
    return ComputeFileDigest(*this, verify_->Loaded(), kind, SelectedFileName);
}

// Cleared rows show no file, whose lists the verifier may still hold.
bool TForm1::CanShowListSignature() const { return verify_->HasListings() && !Text(edt18).empty(); }

void TForm1::ShowListSignature() {
    if (CanShowListSignature()) verify_->ShowListSignatureBox();
}

PassResult TForm1::RunPass(HANDLE file, const std::string& name, const PassFeeds& feeds) {
    // The MD5 row carries the progress text of a long pass: what it showed
    // comes back afterwards.
    const std::string md5Row = Text(edt18);
    const PassResult r = load_->Pass(file, name, feeds);
    if (Text(edt18) != md5Row) SetText(edt18, md5Row);
    return r;
}

void TForm1::EmptyRow(int id) {
    if (IsCheckBox(id)) SetChecked(id, false);
    else if (IsIconPicture(id)) SetIcon(id, nullptr);
    else SetText(id, "");
}

void TForm1::EmptyRowsFrom(size_t firstRow) {
    for (size_t i = firstRow; i < kDetailRowCount; ++i) EmptyRow(kDetailRows[i].id);
}

void TForm1::image8Click() {
    if (signature_) signature_->Clear();
    if (compare_) compare_->End();
    SetText(edt1, "");
    for (const DetailRow& row : kDetailRows)
        if (row.cleared) EmptyRow(row.id);
    Finfo1.SetFILENAME("");
    fver1.SetFILENAME("");
}

void TForm1::image4Click() {
    if (!FileExists(SelectedFileName)) {
        ui::Application().ShowMessageBox(Handle(), "You Must Select a File First to Save File Infrmation", "Error",
                                         MB_OK | MB_ICONERROR);
        return;
    }
    dlg1.FileName = Finfo1.DisplayName() + ".txt";
    if (!dlg1.Execute(Handle())) return;
    try {
        WriteReportFile(dlg1.FileName, ReportLines(CurrentReport()), SelectedFileName);
    } catch (const ETargetRefused& refused) {
        ui::Application().ShowMessageBox(Handle(), refused.what(), "Error", MB_OK | MB_ICONERROR);
    }
}

ReportSource TForm1::CurrentReport() const {
    ReportSource src;
    src.generatedAt = CurrentDateTimeText();
    for (int id = edt1; id <= edt18; ++id) src.edt[static_cast<size_t>(id - edt1 + 1)] = Text(id);
    for (int id = chk1; id <= chk7; ++id) src.chk[static_cast<size_t>(id - chk1 + 1)] = Checked(id);
    return src;
}

void TForm1::WMDROPFILES(HDROP drop) {
    base::UniqueDrop owner(drop);  // released on every path
    // With Shift held, the first file dropped is compared with the shown one.
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count > 0 && GetKeyState(VK_SHIFT) < 0 && !SelectedFileName.empty() && verify_->Loaded().Known()) {
        std::vector<wchar_t> buffer(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
        if (DragQueryFileW(drop, 0, buffer.data(), static_cast<UINT>(buffer.size())) == 0) return;
        buffer.back() = L'\0';
        CompareWith(fs::Narrow(buffer.data()));
        return;
    }
    SelectedFileName.clear();
    Finfo1.SetFILENAME("");
    fver1.SetFILENAME("");
    for (UINT i = 0; i < count; ++i) {
        // Each name is asked for at its own length, so none is cut. The wide
        // call counts in the units it copies; the single-byte one may count
        // UTF-16 units and then cut a name whose bytes are more.
        std::vector<wchar_t> buffer(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        // A name the shell does not give is no name: it is skipped rather
        // than loaded as the empty text.
        if (DragQueryFileW(drop, i, buffer.data(), static_cast<UINT>(buffer.size())) == 0) continue;
        buffer.back() = L'\0';
        SetText(edt1, fs::Narrow(buffer.data()));
        SelectedFileName = Text(edt1);
    }
}

void TForm1::image7Click() { ShowWindow(Handle(), SW_HIDE); }

// A post that fails (a full queue) leaves the window open; the user can
// click again.
void TForm1::image5Click() { (void)PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TForm1::image6Click() {
    if (aboutBox_) aboutBox_->Execute();
}

void TForm1::trycn1Click() {
    // Visible again with its taskbar button, on top and active; a minimised
    // window stays minimised.
    if (!IsWindowVisible(Handle())) ShowWindow(Handle(), IsIconic(Handle()) ? SW_SHOWMINNOACTIVE : SW_SHOW);
    // The system may refuse to bring it forward; it is visible either way.
    (void)SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm1::trycn1MouseMove(int, int) { trycn1Click(); }

void TForm1::MoveButton(int image) { Nudge(image, 2, LoadCursor(nullptr, IDC_HAND)); }

void TForm1::MoveButtonBack(int image) { Nudge(image, -2, LoadCursor(nullptr, IDC_ARROW)); }

void TForm1::Browse() {
    const std::string text = Text(edt1);
    const BrowsePreset preset = BrowsePresetFor(text, DirectoryExists);
    if (preset.takeFromText) {
        if (!preset.initialDir.empty()) browseDir_ = preset.initialDir;
        browseName_ = preset.fileName;
    }
    std::vector<wchar_t> file(32768, L'\0');
    fs::Widen(browseName_).copy(file.data(), file.size() - 1);
    const std::wstring initialDir = fs::Widen(browseDir_);
    OPENFILENAMEW ofn = OpenDialogFor(Handle(), file);
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    const bool confirmed = onOpenDialog(ofn);
    HWND box = Control(edt1);
    if (IsWindowVisible(box) && IsWindowEnabled(box)) SetFocus(box);
    if (!confirmed) return;
    const std::string chosen = fs::Narrow(file.data());
    SetText(edt1, chosen);
    browseName_ = chosen;
    browseDir_ = ExtractFilePath(chosen);
}

void TForm1::CompareWithFile() {
    if (SelectedFileName.empty()) return;
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn = OpenDialogFor(Handle(), file);
    ofn.lpstrTitle = L"Compare with";
    ofn.Flags |= OFN_FILEMUSTEXIST;
    if (!onOpenDialog(ofn)) return;
    CompareWith(fs::Narrow(file.data()));
}

void TForm1::CompareWith(const std::string& second) {
    if (load_->Running() || PassRunning() || SelectedFileName.empty() || !verify_->Loaded().Known()) return;
    compare_->End();
    // The second file's details, as a load would show them; its contents
    // only in the compare's pass.
    FileDetails other;
    bool haveOther = false;
    if (FileExists(second)) {
        TdcFileInfo info;
        TdcVersionInfo version;
        try {
            info.SetFILENAME(second);
            try {
                version.SetFILENAME(second);
            } catch (const std::exception&) {
                // No version resource: its rows are empty, as the shown file's would be.
            }
            other = DetailsOf(info, version);
            haveOther = true;
        } catch (const std::exception&) {
            haveOther = false;
        }
    }
    // The MD5 row carries the progress text of a long compare.
    const std::string md5Row = Text(edt18);
    const CompareResult r = load_->Compare(verify_->Loaded().Path(), second);
    if (Text(edt18) != md5Row) SetText(edt18, md5Row);
    compare_->Show(second, r, details_, haveOther ? &other : nullptr, verify_->Loaded());
}

#include "app/window/shortcuts.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "app/verify/clipboard.h"
#include "app/window/frmMain_ids.h"
#include "app/signature/signaturecheck.h"
#include "base/fs.h"
#include "ui/form.h"
#include "components/dcUtils.h"

using namespace frmMain;

namespace {

constexpr UINT_PTR kFieldSubclassId = 0x5C;

const ACCEL kKeys[] = {
    {FCONTROL | FVIRTKEY, 'S', Shortcuts::kSave},
    {FCONTROL | FVIRTKEY, 'O', Shortcuts::kBrowse},
    {FVIRTKEY, VK_F1, Shortcuts::kAbout},
    {FCONTROL | FSHIFT | FVIRTKEY, 'C', Shortcuts::kCopyReport},
    {FVIRTKEY, VK_ESCAPE, Shortcuts::kStopLoad},
    {FCONTROL | FVIRTKEY, 'K', Shortcuts::kCompareWith},
};

// The picture buttons and the names a screen reader announces for them.
struct ButtonName {
    int id;
    const char* name;
};
constexpr ButtonName kButtonNames[] = {
    {image4, "Save"}, {image8, "Clear"}, {image7, "Tray"}, {image6, "About"}, {image5, "Exit"},
};

bool IsDetailField(int id) { return id >= edt2 && id <= edt19; }

// The context menu's digests of the checksum rows, in the menu's order.
struct DigestItem {
    Shortcuts::Command command;
    DigestKind kind;
    const wchar_t* caption;
};
constexpr DigestItem kDigestItems[] = {
    {Shortcuts::kCopySha256, DigestKind::SHA256, L"Copy SHA-&256"},
    {Shortcuts::kCopySha1, DigestKind::SHA1, L"Copy SHA-&1"},
    {Shortcuts::kCopySha384, DigestKind::SHA384, L"Copy SHA-38&4"},
    {Shortcuts::kCopySha512, DigestKind::SHA512, L"Copy SHA-&512"},
    {Shortcuts::kCopyBlake2b, DigestKind::BLAKE2b, L"Copy &BLAKE2b-512"},
    {Shortcuts::kCopyBlake3, DigestKind::BLAKE3, L"Copy BLAKE&3-256"},
};
bool IsChecksumRow(int id) { return id == edt17 || id == edt18; }

}  // namespace

Shortcuts::Shortcuts(ui::Form& form, WindowCommands& commands, SignatureCheck& signature)
    : form_(form), commands_(commands), signature_(signature) {
    // Without the table (no memory for it) the keys do nothing, and a field
    // whose subclass the system refuses keeps the edit control's own menu;
    // the buttons still do all of it.
    accel_.reset(
        CreateAcceleratorTableW(const_cast<ACCEL*>(kKeys), static_cast<int>(sizeof kKeys / sizeof kKeys[0])));
    ui::Application().SetAccelerators(form_.Handle(), accel_.get());
    for (int id = edt2; id <= edt19; ++id)
        if (HWND field = form_.Control(id))
            (void)SetWindowSubclass(field, FieldProc, kFieldSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // The pictures draw no text, so their window text is free to carry the
    // name that accessibility clients read.
    for (const ButtonName& b : kButtonNames)
        if (HWND button = form_.Control(b.id))
            (void)SetWindowTextW(button, fs::Widen(b.name).c_str());  // a name unread is no loss
}

Shortcuts::~Shortcuts() {
    ui::Application().SetAccelerators(nullptr, nullptr);
    for (int id = edt2; id <= edt19; ++id)
        if (HWND field = form_.Control(id)) RemoveWindowSubclass(field, FieldProc, kFieldSubclassId);
}

bool Shortcuts::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // Accelerators arrive as commands with no control and notification 1.
    if (msg != WM_COMMAND || lp != 0 || HIWORD(wp) != 1) return false;
    const WORD command = LOWORD(wp);
    if ((command < kSave || command > kStopLoad) && command != kCompareWith) return false;
    Run(command);
    result = 0;
    return true;
}

void Shortcuts::Run(WORD command, HWND field) {
    switch (command) {
    case kSave:
        commands_.SaveReport();
        break;
    case kBrowse:
        commands_.Browse();
        break;
    case kAbout:
        commands_.ShowAbout();
        break;
    case kCopyReport:
    case kCopyAllDetails:
        WriteClipboardText(form_.Handle(), commands_.ReportText());
        break;
    case kStopLoad:
        // During a load its pass sees Esc first and stops (TForm1::StopsLoad);
        // between loads there is nothing to stop and Esc does nothing else.
        commands_.StopLoad();
        signature_.Stop();
        break;
    case kCompareWith:
        commands_.CompareWithFile();
        break;
    case kCopy:
        if (field) SendMessageW(field, WM_COPY, 0, 0);
        break;
    case kSelectAll:
        if (field) SendMessageW(field, EM_SETSEL, 0, -1);
        break;
    case kCopySha256:
    case kCopySha1:
    case kCopySha384:
    case kCopySha512:
    case kCopyBlake2b:
    case kCopyBlake3:
        for (const DigestItem& item : kDigestItems) {
            if (item.command != command) continue;
            // A stopped read copies nothing: the clipboard keeps what it had.
            const std::string digest = commands_.Digest(item.kind);
            if (!digest.empty()) WriteClipboardText(form_.Handle(), digest);
        }
        break;
    case kDigitalSignature:
        signature_.ShowBox();
        break;
    case kListSignature:
        commands_.ShowListSignature();
        break;
    default:
        break;
    }
}

HMENU Shortcuts::BuildMenu(int field) const {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    HWND edit = form_.Control(field);
    DWORD start = 0, end = 0;
    if (edit) SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool hasText = edit && GetWindowTextLengthW(edit) > 0;
    AppendMenuW(menu, MF_STRING | (end > start ? 0u : MF_GRAYED), kCopy, L"&Copy");
    AppendMenuW(menu, MF_STRING | (hasText ? 0u : MF_GRAYED), kSelectAll, L"Select &All");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kCopyAllDetails, L"Copy All &Details");
    if (IsChecksumRow(field)) {
        // Only for a shown file that can still be read.
        const UINT state = hasText && FileExists(commands_.ShownFile()) ? 0u : MF_GRAYED;
        for (const DigestItem& item : kDigestItems)
            AppendMenuW(menu, MF_STRING | state, item.command, item.caption);
    }
    // Greyed until a check has ended for a file that can carry a signature.
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | (signature_.CanShow() ? 0u : MF_GRAYED), kDigitalSignature,
                L"Digital Si&gnature\u2026");
    // Only when a checksum file beside the shown file lists it.
    AppendMenuW(menu, MF_STRING | (commands_.CanShowListSignature() ? 0u : MF_GRAYED), kListSignature,
                L"C&hecksum File Signature\u2026");
    AppendMenuW(menu, MF_STRING | (commands_.ShownFile().empty() ? MF_GRAYED : 0u), kCompareWith,
                L"Compare &with\u2026\tCtrl+K");
    return menu;
}

int Shortcuts::FieldId(HWND field) const {
    for (int id = edt2; id <= edt19; ++id)
        if (form_.Control(id) == field) return id;
    return 0;
}

void Shortcuts::ShowMenu(HWND field, LPARAM at) {
    const int id = FieldId(field);
    if (!IsDetailField(id)) return;
    base::UniqueMenu menu(BuildMenu(id));
    if (!menu) return;
    POINT pt{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {
        // From the keyboard (Shift+F10, the menu key): below the field's start.
        // The field is alive (it asked for the menu); should the call still
        // fail, the menu opens at the screen's corner, never at stray values.
        RECT rc{};
        (void)GetWindowRect(field, &rc);
        pt = POINT{rc.left, rc.bottom};
    }
    if (GetFocus() != field) SetFocus(field);
    const WORD command =
        menuAnswer_
            ? menuAnswer_(menu.get())
            : static_cast<WORD>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                               pt.x, pt.y, 0, form_.Handle(), nullptr));
    if (command) ui::Guarded([&] { Run(command, field); });
}

LRESULT CALLBACK Shortcuts::FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    if (msg == WM_CONTEXTMENU) {
        reinterpret_cast<Shortcuts*>(ref)->ShowMenu(hwnd, lp);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, FieldProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

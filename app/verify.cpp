#include "app/verify.h"

#include <commctrl.h>

#include "app/clipboard.h"
#include "app/frmMain.h"
#include "app/ondemand.h"
#include "components/dcUtils.h"

using namespace frmMain;

namespace {

std::wstring Utf8ToWide(const std::string& s) {
    if (s.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string WideToUtf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

TOOLINFOW ToolFor(HWND owner, HWND row) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(row);
    return ti;
}

}  // namespace

ClipboardVerifier::ClipboardVerifier(TForm1& form) : form_(form) {
    listening_ = AddClipboardFormatListener(form_.Handle()) != FALSE;
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, form_.Handle(), nullptr,
                                   GetModuleHandleA(nullptr), nullptr));
}

ClipboardVerifier::~ClipboardVerifier() {
    if (listening_ && form_.Handle()) RemoveClipboardFormatListener(form_.Handle());
    // The tooltip goes with the window when the window went first.
    if (!IsWindow(tooltip_.get())) tooltip_.release();
}

void ClipboardVerifier::Check() {
    if (checking_) return;  // a digest read below lets messages through
    // While a pass reads, the rows are in flux (the MD5 row shows progress);
    // the load checks again when it ends.
    if (form_.LoadPass().Running()) return;
    checking_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{checking_};

    const FoundHash hash = FindHash(ReadClipboardText(form_.Handle()));
    const std::string crcRow = form_.Text(edt17);
    const std::string md5Row = form_.Text(edt18);
    switch (hash.kind) {
    case HashKind::CRC32:
        if (crcRow.empty()) break;
        Mark(edt17, CrcMatches(hash, crcRow), hash);
        return;
    case HashKind::MD5:
        if (md5Row.empty()) break;
        Mark(edt18, DigestMatches(hash, md5Row), hash);
        return;
    case HashKind::SHA1:
    case HashKind::SHA256: {
        if (md5Row.empty() || !FileExists(SelectedFileName)) break;
        std::string digest;
        try {
            digest = ComputeFileDigest(
                form_, hash.kind == HashKind::SHA1 ? DigestKind::SHA1 : DigestKind::SHA256, SelectedFileName);
        } catch (const std::exception&) {
            // Unreadable now: nothing was compared, so nothing is claimed.
            break;
        }
        // Stopped, or a load runs (its end checks again): nothing compared.
        if (digest.empty()) break;
        Mark(edt18, DigestMatches(hash, digest), hash);
        return;
    }
    case HashKind::None:
        break;
    }
    Unmark();
}

void ClipboardVerifier::Mark(int row, bool matches, const FoundHash& hash) {
    const COLORREF color = matches ? kMatch : kDiffer;
    const std::wstring tip = Utf8ToWide(VerifyTooltip(hash.kind, matches, hash.text));
    if (row == row_ && color == color_ && tip == tip_) return;
    Unmark();
    row_ = row;
    color_ = color;
    tip_ = tip;
    brush_.reset(CreateSolidBrush(color));
    HWND rowWindow = form_.Control(row);
    if (tooltip_) {
        TOOLINFOW ti = ToolFor(form_.Handle(), rowWindow);
        ti.lpszText = &tip_[0];
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    InvalidateRect(rowWindow, nullptr, TRUE);
}

void ClipboardVerifier::Unmark() {
    if (!row_) return;
    HWND rowWindow = form_.Control(row_);
    if (tooltip_) {
        TOOLINFOW ti = ToolFor(form_.Handle(), rowWindow);
        SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    row_ = 0;
    color_ = CLR_INVALID;
    tip_.clear();
    brush_.reset();
    InvalidateRect(rowWindow, nullptr, TRUE);
}

std::string ClipboardVerifier::TooltipText() const {
    if (!row_ || !tooltip_) return std::string();
    wchar_t buffer[256] = {};
    TOOLINFOW ti = ToolFor(form_.Handle(), form_.Control(row_));
    ti.lpszText = buffer;
    SendMessageW(tooltip_.get(), TTM_GETTEXTW, sizeof buffer / sizeof buffer[0],
                 reinterpret_cast<LPARAM>(&ti));
    return WideToUtf8(buffer);
}

bool ClipboardVerifier::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CLIPBOARDUPDATE:
        Check();
        result = 0;
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) Check();
        return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (row_ && brush_ && reinterpret_cast<HWND>(lp) == form_.Control(row_)) {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, form_.FontColor(row_));
            SetBkColor(dc, color_);
            result = reinterpret_cast<LRESULT>(brush_.get());
            return true;
        }
        return false;
    default:
        return false;
    }
}

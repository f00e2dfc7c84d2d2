#include "app/verify/verify.h"

#include <commctrl.h>

#include "app/details/fields.h"
#include "app/verify/clipboard.h"
#include "app/verify/ondemand.h"
#include "app/verify/windowpasses.h"
#include "ui/form.h"
#include "base/fs.h"
#include "ui/tooltips.h"

using namespace fields;

namespace {

// The timer of the look at a coloured row's file.
constexpr UINT_PTR kLookTimer = 0x5E71;
// Wide enough for a tooltip line naming a long checksum file; the lines
// break at their CR LF.
constexpr int kTooltipWidth = 640;

int Slot(int row) { return row == edt17 ? 0 : 1; }

}  // namespace

ClipboardVerifier::ClipboardVerifier(ui::Form& form, WindowPasses& passes) : form_(form), passes_(passes) {
    // Without the listener (the system refused it) the rows are compared
    // with the clipboard only when the window is activated.
    listening_ = AddClipboardFormatListener(form_.Handle()) != FALSE;
    tooltip_.reset(ui::CreateTooltip(form_.Handle(), kTooltipWidth));
    marks_[0].row = edt17;
    marks_[1].row = edt18;
    match_.reset(CreateSolidBrush(kMatch));
    differ_.reset(CreateSolidBrush(kDiffer));
}

ClipboardVerifier::~ClipboardVerifier() {
    Watch(false);
    // Fails only for a window that is gone, which takes its listener with it.
    if (listening_ && form_.Handle()) (void)RemoveClipboardFormatListener(form_.Handle());
    // The tooltip goes with the window when the window went first.
    if (!IsWindow(tooltip_.get())) tooltip_.release();
}

void ClipboardVerifier::LoadBegins(const std::string& name, PassFeeds& feeds) {
    loaded_.Forget();
    loadSha1_.reset();
    loadSha256_.reset();
    listsOf_ = name;
    listings_ = FindListings(name, &lists_);
    for (const Listing& l : listings_) {
        // Beside the MD5 on the reading thread, so that both run at once.
        if (l.kind == DigestKind::SHA1 && !loadSha1_) {
            loadSha1_ = std::make_unique<Sha1Sink>();
            feeds.reader.push_back(loadSha1_.get());
        }
        if (l.kind == DigestKind::SHA256 && !loadSha256_) {
            loadSha256_ = std::make_unique<Sha256Sink>();
            feeds.reader.push_back(loadSha256_.get());
        }
    }
}

void ClipboardVerifier::LoadRead(const std::string& name, const PassResult& result) {
    if (result.outcome == PassOutcome::Done) {
        loaded_.Take(name, result.stamp);
        if (loaded_.Known() && loadSha1_) loaded_.Keep(DigestKind::SHA1, loadSha1_->Hex());
        if (loaded_.Known() && loadSha256_) loaded_.Keep(DigestKind::SHA256, loadSha256_->Hex());
    } else {
        loaded_.Forget();
    }
    loadSha1_.reset();
    loadSha256_.reset();
}

void ClipboardVerifier::Check() {
    if (checking_) return;  // a digest read below lets messages through
    // While a pass reads, the rows are in flux (the MD5 row shows progress);
    // the load checks again when it ends.
    if (passes_.PassRunning()) return;
    checking_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{checking_};

    // Every hash that speaks for a row: the clipboard's, then the checksum files'.
    struct Claim {
        DigestKind kind;
        std::string source;
        std::string digest;
        const FoundHash* clip;  // the clipboard's hash, with its notations
    };
    std::vector<Claim> claims;
    if (!listsOf_.empty() && ListsChanged(lists_)) listings_ = FindListings(listsOf_, &lists_);
    const FoundHash hash = FindHash(ReadClipboardText(form_.Handle()));
    if (hash.kind != DigestKind::None) claims.push_back({hash.kind, kClipboardSource, hash.text, &hash});
    for (const Listing& l : listings_) claims.push_back({l.kind, l.source, l.digest, nullptr});

    struct Verdicts {
        bool any = false, differs = false, stale = false;
        std::string tip;
    } verdicts[2];
    const std::string crcRow = form_.Text(edt17);
    const std::string md5Row = form_.Text(edt18);
    const LoadedVersion::Now now = claims.empty() ? LoadedVersion::Now::Unknown : loaded_.Check();
    for (const Claim& c : claims) {
        Verdicts& v = verdicts[c.kind == DigestKind::CRC32 ? 0 : 1];
        const std::string& row = c.kind == DigestKind::CRC32 ? crcRow : md5Row;
        // An empty row, or rows of no version read whole, claim nothing.
        if (row.empty() || now == LoadedVersion::Now::Unknown) continue;
        if (now == LoadedVersion::Now::Changed) {
            v.stale = true;
            continue;
        }
        bool matches = false;
        switch (c.kind) {
            case DigestKind::CRC32:
                matches = c.clip ? CrcMatches(*c.clip, crcRow) : HexEquals(c.digest, UsualCrcHex(crcRow));
                break;
            case DigestKind::MD5:
                matches = HexEquals(c.digest, md5Row);
                break;
            case DigestKind::SHA1:
            case DigestKind::SHA256: {
                std::string digest = loaded_.Digest(c.kind);
                if (digest.empty()) {
                    try {
                        digest = ComputeFileDigest(passes_, loaded_, c.kind, loaded_.Path());
                    } catch (const FileChangedSinceLoad&) {
                        v.stale = true;
                        continue;
                    } catch (const std::exception&) {
                        // Unreadable now: nothing was compared, so nothing is claimed.
                        continue;
                    }
                }
                // Stopped, or a load runs (its end checks again): nothing compared.
                if (digest.empty()) continue;
                matches = HexEquals(c.digest, digest);
                break;
            }
            case DigestKind::None:
            case DigestKind::SHA384:
            case DigestKind::SHA512:
            case DigestKind::BLAKE2b:
            case DigestKind::BLAKE3:
                continue;
        }
        v.any = true;
        v.differs = v.differs || !matches;
        if (!v.tip.empty()) v.tip += "\r\n";
        v.tip += VerifyTooltip(c.kind, matches, c.source, c.digest);
    }

    bool coloured = false;
    for (int i = 0; i < 2; ++i) {
        const Verdicts& v = verdicts[i];
        if (v.stale) {
            Show(marks_[i], CLR_INVALID, fs::Widen(kFileChangedSinceLoad));
        } else if (v.any) {
            Show(marks_[i], v.differs ? kDiffer : kMatch, fs::Widen(v.tip));
            coloured = true;
        } else {
            Show(marks_[i], CLR_INVALID, std::wstring());
        }
    }
    Watch(coloured);
}

void ClipboardVerifier::Show(Mark& mark, COLORREF color, const std::wstring& tip) {
    if (mark.color == color && mark.tip == tip) return;
    HWND rowWindow = form_.Control(mark.row);
    if (tooltip_ && !mark.tip.empty()) {
        TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), rowWindow);
        SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    mark.color = color;
    mark.tip = tip;
    if (tooltip_ && !mark.tip.empty()) {
        TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), rowWindow);
        ti.lpszText = &mark.tip[0];
        // A tool the tooltip refuses (no memory) only goes without its tip:
        // the row's colour still tells.
        (void)SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    (void)InvalidateRect(rowWindow, nullptr, TRUE);  // a row that is gone needs no paint
}

void ClipboardVerifier::Watch(bool on) {
    if (on == watching_ || !form_.Handle()) return;
    if (on) {
        // No timer to be had: the file is not looked at while the rows are
        // coloured, and the next colouring asks again.
        watching_ = SetTimer(form_.Handle(), kLookTimer, kLookEveryMs, nullptr) != 0;
    } else {
        (void)KillTimer(form_.Handle(), kLookTimer);  // fails only when there is no such timer
        watching_ = false;
    }
}

COLORREF ClipboardVerifier::RowColor(int row) const {
    if (row != edt17 && row != edt18) return CLR_INVALID;
    return marks_[Slot(row)].color;
}

std::string ClipboardVerifier::RowTooltip(int row) const {
    if ((row != edt17 && row != edt18) || marks_[Slot(row)].tip.empty() || !tooltip_) return std::string();
    std::wstring buffer(4096, L'\0');
    TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), form_.Control(row));
    ti.lpszText = &buffer[0];
    SendMessageW(tooltip_.get(), TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&ti));
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return fs::Narrow(buffer);
}

int ClipboardVerifier::MarkedRow() const {
    for (const Mark& m : marks_)
        if (m.color != CLR_INVALID || !m.tip.empty()) return m.row;
    return 0;
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
        case WM_TIMER:
            if (wp != kLookTimer) return false;
            // Only a look at the files; the full check when one is no longer the version read.
            if (loaded_.Check() != LoadedVersion::Now::Same || ListsChanged(lists_)) Check();
            result = 0;
            return true;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            for (const Mark& m : marks_) {
                if (m.color == CLR_INVALID || reinterpret_cast<HWND>(lp) != form_.Control(m.row)) continue;
                HDC dc = reinterpret_cast<HDC>(wp);
                SetTextColor(dc, form_.FontColor(m.row));
                SetBkColor(dc, m.color);
                result = reinterpret_cast<LRESULT>(m.color == kMatch ? match_.get() : differ_.get());
                return true;
            }
            return false;
        default:
            return false;
    }
}

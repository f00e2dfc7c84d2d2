#include "app/verify/verify.h"

#include <commctrl.h>

#include <algorithm>

#include "app/details/fields.h"
#include "app/verify/checksig.h"
#include "app/verify/clipboard.h"
#include "app/verify/ondemand.h"
#include "app/verify/windowpasses.h"
#include "ui/application.h"
#include "ui/form.h"
#include "base/fs.h"
#include "components/names.h"
#include "ui/tooltips.h"

using namespace fields;

namespace {

// The timer of the look at a coloured row's file.
constexpr UINT_PTR kLookTimer = 0x5E71;
// Wide enough for a tooltip line naming a long checksum file; the lines
// break at their CR LF.
constexpr int kTooltipWidth = 640;

int Slot(int row) { return row == edt17 ? 0 : 1; }

// The kinds the rows do not show, which are computed to be compared.
bool IsComputedForAClaim(DigestKind kind) {
    return kind != DigestKind::None && kind != DigestKind::CRC32 && kind != DigestKind::MD5;
}

// The BLAKE2b length a hash in hex is of (the parser gives BLAKE2b of any
// whole number of bytes); 64 for the other kinds, which ignore it.
std::size_t Blake2bBytesOf(DigestKind kind, const std::string& hex) {
    return kind == DigestKind::BLAKE2b ? hex.size() / 2 : 64;
}

// Where the load's pass feeds each extra digest: the reading thread carries
// the reads and the CRC, the calling thread the MD5, and each further digest
// runs on a thread of its own, so that heavy digests run on separate cores.
template <typename Digests>
void PlaceLoadDigests(Digests& digests, PassFeeds& feeds) {
    for (auto& digest : digests) feeds.workers.push_back(digest.sink.get());
}

}  // namespace

ClipboardVerifier::ClipboardVerifier(ui::Form& form, WindowPasses& passes) : form_(form), passes_(passes) {
    // Without the listener (the system refused it) the rows are compared
    // with the clipboard only when the window is activated.
    listening_ = AddClipboardFormatListener(form_.Handle()) != FALSE;
    tooltip_.reset(ui::CreateTooltip(form_.Handle(), kTooltipWidth));
    keysFolder_ = KeysFolderBesideProgram();
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
    loadDigests_.clear();
    listsOf_ = name;
    listings_ = FindListings(name, &lists_);
    JudgeLists();
    for (const Listing& l : listings_) {
        if (!IsComputedForAClaim(l.kind)) continue;
        const std::size_t bytes = Blake2bBytesOf(l.kind, l.digest);
        bool known = false;
        for (const LoadDigest& d : loadDigests_)
            known = known || (d.kind == l.kind && d.blake2bBytes == bytes);
        if (known) continue;
        std::unique_ptr<HexDigestSink> sink = MakeHexDigestSink(l.kind, bytes);
        // A length no BLAKE2b has is compared on demand, which claims nothing.
        if (sink) loadDigests_.push_back(LoadDigest{l.kind, bytes, std::move(sink)});
    }
    PlaceLoadDigests(loadDigests_, feeds);
}

void ClipboardVerifier::LoadRead(const std::string& name, const PassResult& result, bool digestsRead) {
    if (result.outcome == PassOutcome::Done) {
        loaded_.Take(name, result.stamp);
        if (loaded_.Known() && digestsRead)
            for (const LoadDigest& d : loadDigests_) loaded_.Keep(d.kind, d.sink->Hex());
    } else {
        loaded_.Forget();
    }
    loadDigests_.clear();
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
    if (!listsOf_.empty() && ListsChanged(lists_)) {
        listings_ = FindListings(listsOf_, &lists_);
        JudgeLists();
    }
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
    // The loaded version's digest of a kind, at the length of `hex`: kept from
    // the load or computed now. Empty when nothing can be compared: stopped,
    // unreadable now, or (`stale` set) changed since the load.
    auto digestOf = [&](DigestKind kind, const std::string& hex, bool& stale) {
        const std::size_t bytes = Blake2bBytesOf(kind, hex);
        std::string digest = loaded_.Digest(kind, bytes);
        if (!digest.empty()) return digest;
        try {
            return ComputeFileDigest(passes_, loaded_, kind, loaded_.Path(), bytes);
        } catch (const FileChangedSinceLoad&) {
            stale = true;
        } catch (const std::exception&) {
            // Unreadable now: nothing was compared, so nothing is claimed.
        }
        return std::string();
    };
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
        DigestKind judged = c.kind;
        switch (c.kind) {
            case DigestKind::CRC32:
                matches = c.clip ? CrcMatches(*c.clip, crcRow) : HexEquals(c.digest, UsualCrcHex(crcRow));
                break;
            case DigestKind::MD5:
                matches = HexEquals(c.digest, md5Row);
                break;
            case DigestKind::SHA1:
            case DigestKind::SHA256:
            case DigestKind::SHA384:
            case DigestKind::SHA512:
            case DigestKind::BLAKE2b:
            case DigestKind::BLAKE3: {
                const std::string digest = digestOf(c.kind, c.digest, v.stale);
                // Stopped, or a load runs (its end checks again): nothing compared.
                if (digest.empty()) continue;
                matches = HexEquals(c.digest, digest);
                // A bare hash of 64 or 128 digits may be of the kind whose
                // tool writes no tag (b3sum, b2sum): it matches as that too.
                const DigestKind also = c.clip ? c.clip->alsoKind : DigestKind::None;
                if (!matches && also != DigestKind::None) {
                    bool stale = false;
                    if (HexEquals(c.digest, digestOf(also, c.digest, stale))) {
                        matches = true;
                        judged = also;
                    }
                }
                break;
            }
            case DigestKind::None:
                continue;
        }
        v.any = true;
        v.differs = v.differs || !matches;
        if (!v.tip.empty()) v.tip += "\r\n";
        v.tip += VerifyTooltip(judged, matches, c.source, c.digest);
        if (const SigVerdict* signature = c.clip ? nullptr : VerdictOf(c.source)) {
            // A list whose signature fails says nothing trustworthy, whatever its hash.
            v.differs = v.differs || SigStatusFails(signature->status);
            v.tip += ListSignatureTip(*signature);
        }
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

void ClipboardVerifier::JudgeLists() {
    listVerdicts_.clear();
    unreadableKeys_.clear();
    if (listings_.empty()) return;
    TrustedKeys keys;
    LoadKeysFolder(keysFolder_, keys, unreadableKeys_);
    // lists_ holds the checksum files in the order they were looked at.
    for (const ReadList& read : lists_) {
        const std::string source = ExtractFileName(read.path);
        bool lists = false;
        for (const Listing& l : listings_) lists = lists || l.source == source;
        if (!lists) continue;
        const ListSignature signature = CheckListSignature(read.path, keys);
        listVerdicts_.push_back(
            ListVerdict{source, ExtractFileName(signature.signatureFile), signature.verdict});
    }
}

const SigVerdict* ClipboardVerifier::VerdictOf(const std::string& source) const {
    for (const ListVerdict& l : listVerdicts_)
        if (l.list == source) return &l.verdict;
    return nullptr;
}

void ClipboardVerifier::ShowListSignatureBox() {
    if (!HasListings()) return;
    ui::Application().ShowMessageBox(form_.Handle(), ListSignatureText(), "Checksum File Signature",
                                     MB_OK | MB_ICONINFORMATION);
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
    return fs::Narrow(ui::WindowToolText(tooltip_.get(), form_.Handle(), form_.Control(row)));
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

#include "app/verify/comparewindow.h"

#include <commctrl.h>

#include "app/details/datetimesettings.h"
#include "app/details/detailrows.h"
#include "app/details/detailtexts.h"
#include "base/errors.h"
#include "base/fs.h"
#include "base/messages.h"
#include "components/comparetext.h"
#include "components/hashtext.h"
#include "components/names.h"
#include "ui/form.h"
#include "ui/tooltips.h"

namespace {

constexpr UINT_PTR kLookTimer = 0x5E72;
constexpr int kTooltipWidth = 640;

std::string RowValue(const FileDetails& details, int id) {
    if (fields::IsCheckBox(id)) return RowChecked(details, id) ? "True" : "False";
    return RowText(details, id, CurrentDateTimeFormat());
}

bool IsContentsRow(int id) { return id == fields::edt17 || id == fields::edt18; }

}  // namespace

FileCompare::FileCompare(ui::Form& form) : form_(form) {
    tooltip_.reset(ui::CreateTooltip(form_.Handle(), kTooltipWidth));
    differ_.reset(CreateSolidBrush(kDiffer));
}

FileCompare::~FileCompare() {
    if (form_.Handle()) (void)KillTimer(form_.Handle(), kLookTimer);
    if (!IsWindow(tooltip_.get())) tooltip_.release();
}

void FileCompare::Show(const std::string& second, const CompareResult& r, const FileDetails& shown,
                       const FileDetails* other, const LoadedVersion& loaded) {
    End();
    const std::string name = ExtractFileName(second);
    CompareVerdict verdict = CompareVerdict::Same;
    std::uint64_t byte = 0;
    std::string reason;
    switch (r.outcome) {
        case CompareOutcome::Same:
            break;
        case CompareOutcome::SameFile:
            verdict = CompareVerdict::SameFile;
            break;
        case CompareOutcome::Differs:
            verdict = CompareVerdict::Differs;
            byte = r.offset + 1;
            break;
        case CompareOutcome::FirstShorter:
            verdict = CompareVerdict::Longer;
            byte = r.offset;
            break;
        case CompareOutcome::SecondShorter:
            verdict = CompareVerdict::Shorter;
            byte = r.offset;
            break;
        case CompareOutcome::Changed:
            verdict = CompareVerdict::Changed;
            break;
        case CompareOutcome::NotAFile:
            verdict = CompareVerdict::Unreadable;
            reason = "it is not a file";
            break;
        case CompareOutcome::Stopped:
            return;
        default:
            verdict = CompareVerdict::Unreadable;
            reason = OneLineWithoutFullStop(base::SystemErrorText(r.error));
            break;
    }
    // A failure of the shown file is the shown file's, named as such.
    if (verdict == CompareVerdict::Unreadable && r.which == 0)
        reason = "the shown file could not be read: " + reason;
    active_ = true;
    verdict_ = CompareVerdictLine(verdict, name, byte, reason);
    SetTitle(verdict_);
    const bool differs = verdict == CompareVerdict::Differs || verdict == CompareVerdict::Shorter ||
                         verdict == CompareVerdict::Longer;
    if (other) {
        for (const DetailRow& row : kDetailRows) {
            if (row.id == fields::image2 || row.id == fields::image3 || IsContentsRow(row.id)) continue;
            const std::string value = RowValue(*other, row.id);
            if (value != RowValue(shown, row.id)) Mark(row.id, "In " + name + ": " + value);
        }
    }
    if (differs)
        for (int id : {fields::edt17, fields::edt18}) Mark(id, verdict_);
    if (r.outcome == CompareOutcome::Same || r.outcome == CompareOutcome::SameFile || differs) {
        first_.Take(loaded.Path(), r.stamps[0]);
        second_.Take(second, r.stamps[1]);
        if (!loaded.Is(loaded.Path(), r.stamps[0])) first_.Forget();
        if (!marks_.empty()) (void)SetTimer(form_.Handle(), kLookTimer, kLookEveryMs, nullptr);
        // The compare's first file is no longer the version the rows describe.
        if (!first_.Known()) Look();
    }
}

void FileCompare::Mark(int row, const std::string& tip) {
    struct Mark m {
        row, kDiffer, fs::Widen(tip)
    };
    marks_.push_back(m);
    struct Mark& added = marks_.back();
    if (tooltip_) {
        TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), form_.Control(row));
        ti.lpszText = &added.tip[0];
        (void)SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    (void)InvalidateRect(form_.Control(row), nullptr, TRUE);
}

void FileCompare::Unmark() {
    for (const struct Mark& m : marks_) {
        if (tooltip_) {
            TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), form_.Control(m.row));
            SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        }
        (void)InvalidateRect(form_.Control(m.row), nullptr, TRUE);
    }
    marks_.clear();
}

void FileCompare::End() {
    if (form_.Handle()) (void)KillTimer(form_.Handle(), kLookTimer);
    Unmark();
    if (active_) SetTitle(std::string());
    active_ = false;
    stale_ = false;
    verdict_.clear();
    first_.Forget();
    second_.Forget();
}

void FileCompare::SetTitle(const std::string& verdict) {
    if (verdict.empty()) {
        (void)SetWindowTextW(form_.Handle(), title_.c_str());
        return;
    }
    if (!active_ || title_.empty()) {
        wchar_t text[512] = L"";
        GetWindowTextW(form_.Handle(), text, 512);
        title_ = text;
    }
    (void)SetWindowTextW(form_.Handle(), (title_ + L" \u2014 " + fs::Widen(verdict)).c_str());
}

void FileCompare::Look() {
    if (stale_ || !active_) return;
    if (first_.Known() && first_.Check() == LoadedVersion::Now::Same &&
        second_.Check() == LoadedVersion::Now::Same)
        return;
    // The verdict is of versions that are gone: the rows go neutral and say why.
    stale_ = true;
    (void)KillTimer(form_.Handle(), kLookTimer);
    for (struct Mark& m : marks_) {
        m.color = CLR_INVALID;
        m.tip = fs::Widen(kFileChangedSinceLoad);
        if (tooltip_) {
            TOOLINFOW ti = ui::WindowTool<TOOLINFOW>(form_.Handle(), form_.Control(m.row));
            ti.lpszText = &m.tip[0];
            SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        }
        (void)InvalidateRect(form_.Control(m.row), nullptr, TRUE);
    }
}

COLORREF FileCompare::RowColor(int row) const {
    for (const struct Mark& m : marks_)
        if (m.row == row) return m.color;
    return CLR_INVALID;
}

std::string FileCompare::RowTooltip(int row) const {
    for (const struct Mark& m : marks_) {
        if (m.row != row || !tooltip_) continue;
        return fs::Narrow(ui::WindowToolText(tooltip_.get(), form_.Handle(), form_.Control(row)));
    }
    return std::string();
}

bool FileCompare::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_TIMER:
            if (wp != kLookTimer) return false;
            Look();
            result = 0;
            return true;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            for (const struct Mark& m : marks_) {
                if (m.color == CLR_INVALID || reinterpret_cast<HWND>(lp) != form_.Control(m.row)) continue;
                HDC dc = reinterpret_cast<HDC>(wp);
                SetTextColor(dc, form_.FontColor(m.row));
                SetBkColor(dc, m.color);
                result = reinterpret_cast<LRESULT>(differ_.get());
                return true;
            }
            return false;
        default:
            return false;
    }
}

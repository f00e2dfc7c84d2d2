// The window's compare of the shown file with a second file.
//
// The shown file stays the first. The compare itself is a pass over both
// files side by side (components/comparepass.h) run by the window's load,
// with its progress and its stop; its verdict is of the versions both files
// had then: the loaded version of the first (LoadedVersion) and the version
// of the second the pass read. The verdict is one line added to the window's
// title ("Same contents as B", "Differs from B at byte 1,234,567", "B is
// shorter: it ends at byte N", "B could not be read: <system text>"), so the
// layout does not move. Every detail row whose text differs for the second
// file takes the mismatch colour, with a tooltip that gives the second
// file's value; the CRC and MD5 rows, whose values would need the whole of
// the second file, take it when the contents differ, with the verdict as
// their tip. Rows that agree stay as they are. While rows are coloured both
// files are looked at once a second: when either is no longer the version
// compared, the rows go back to their usual colour with the tooltip
// kFileChangedSinceLoad. Clear and the next load end the compare.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/details/filedetails.h"
#include "app/details/loadedversion.h"
#include "base/handles.h"
#include "components/comparepass.h"

namespace ui {
class Form;
}

class FileCompare {
public:
    explicit FileCompare(ui::Form& form);
    ~FileCompare();
    FileCompare(const FileCompare&) = delete;
    FileCompare& operator=(const FileCompare&) = delete;

    // Shows the compare of the shown file (`shown`, the rows' details, of
    // the version `loaded`) with `second`: `result` the pass's, `other` the
    // second file's details (null when they could not be read, with `reason`).
    void Show(const std::string& second, const CompareResult& result, const FileDetails& shown,
              const FileDetails* other, const LoadedVersion& loaded);
    // Ends the compare: the rows and the title as they were.
    void End();
    bool Active() const { return active_; }

    // The verdict line; empty without a compare.
    const std::string& Verdict() const { return verdict_; }
    // A row's colour (CLR_INVALID: the usual one) and tooltip (UTF-8).
    COLORREF RowColor(int row) const;
    std::string RowTooltip(int row) const;
    HWND Tooltip() const { return tooltip_.get(); }

    // The rows' colours and the look at both files once a second. True when
    // the message is answered, with the answer in `result`.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    static constexpr COLORREF kDiffer = RGB(255, 182, 182);  // the verifier's mismatch colour
    static constexpr UINT kLookEveryMs = 1000;

private:
    struct Mark {
        int row;
        COLORREF color;
        std::wstring tip;
    };
    void Mark(int row, const std::string& tip);
    void Unmark();
    void Look();
    void SetTitle(const std::string& verdict);

    ui::Form& form_;
    bool active_ = false;
    bool stale_ = false;
    std::string verdict_;
    std::wstring title_;  // the title before the compare
    std::vector<struct Mark> marks_;
    LoadedVersion first_, second_;  // the versions compared
    base::UniqueBrush differ_;
    base::UniqueWindow tooltip_;
};

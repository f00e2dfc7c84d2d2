// Verifying the shown file against a hash on the clipboard.
//
// Whenever the clipboard changes, a load ends or the window is activated, the
// clipboard's text is searched for one hash (components/hashtext.h). A hash
// of the kind a row shows colours that row: green when it matches, light red
// when it differs, with a tooltip that says what was compared. SHA-1 and
// SHA-256 are computed on demand and coloured on the MD5 row. Anything else
// on the clipboard, or an empty row, leaves every row in its usual look.
// Texts, the report and the rows' other behaviour are not touched.
#pragma once

#include <windows.h>

#include <string>

#include "components/hashtext.h"
#include "base/handles.h"

class TForm1;

class ClipboardVerifier {
public:
    // Listens to `form`'s clipboard changes until destroyed.
    explicit ClipboardVerifier(TForm1& form);
    ~ClipboardVerifier();
    ClipboardVerifier(const ClipboardVerifier&) = delete;
    ClipboardVerifier& operator=(const ClipboardVerifier&) = delete;

    // Reads the clipboard and colours the rows anew.
    void Check();

    // The window's messages that concern verifying (clipboard changes,
    // activation, the rows' colours). True when the message is answered,
    // with the answer in `result`; activation is only watched.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // The row coloured now (edt17 or edt18), 0 for none; its background
    // colour and its tooltip text (UTF-8).
    int MarkedRow() const { return row_; }
    COLORREF MarkColor() const { return color_; }
    std::string TooltipText() const;
    HWND Tooltip() const { return tooltip_.get(); }

    static constexpr COLORREF kMatch = RGB(144, 238, 144);
    static constexpr COLORREF kDiffer = RGB(255, 182, 182);

private:
    void Mark(int row, bool matches, const FoundHash& hash);
    void Unmark();

    TForm1& form_;
    bool listening_ = false;
    bool checking_ = false;
    int row_ = 0;
    COLORREF color_ = CLR_INVALID;
    std::wstring tip_;
    base::UniqueBrush brush_;
    base::UniqueWindow tooltip_;
};

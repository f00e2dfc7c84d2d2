// The form runtime: builds a top-level window and its child controls from a
// stored layout (one constant table per window) and routes the controls'
// events to the form object. One Form object per window, bound to its HWND at
// WM_NCCREATE and unbound at WM_NCDESTROY.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/handles.h"
#include "ui/controls.h"
#include "ui/dpiscale.h"
#include "ui/layout.h"
#include "ui/picture.h"

namespace ui {

class Form : public ControlHost {
public:
    Form();
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const override { return hwnd_; }
    HWND Control(int id) const;
    // The caption label a detail field or name box carries; null for none.
    HWND LabelOf(int id) const;
    const ControlSpec* SpecOf(int id) const;

    // Text of an edit or label. SetText on an unchanged text does nothing and
    // so raises no change event.
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
    // The icon picture takes ownership of `icon` (null empties it).
    void SetIcon(int id, HICON icon);
    HICON IconOf(int id) const;
    void SetFontColor(int id, COLORREF color);
    COLORREF FontColor(int id) const;
    void SetCursor(int id, HCURSOR cursor);
    // Moves a control, keeping its size (in the window's pixels).
    void SetPosition(int id, int left, int top);
    // The hover nudge of a picture: Left += delta, then Top += delta, then
    // the control's cursor := cursor. `delta` is in pixels at 96 dpi and is
    // scaled to the window's dpi.
    void Nudge(int id, int delta, HCURSOR cursor);
    RECT Bounds(int id) const;  // in the parent's coordinates
    // Whether an edit's whole text is wider than the room it shows it in;
    // such an edit shows its whole text in a tooltip while the mouse rests
    // on it.
    bool Clipped(int id) const;

    HFONT Font() const { return font_.get(); }
    // The picture a picture control or the name box's browse button shows
    // (state 0 normal, 1 hot, 2 pressed); null for none.
    const Picture* PictureOf(int id, int state = 0) const;

    // The dpi the window is laid out for, and a layout value (pixels at
    // 96 dpi) scaled to it. Layout tables, font heights and the fixed
    // distances of the controls are all given at 96 dpi.
    int Dpi() const { return dpi_; }
    int Scale(int value) const override { return ScaleToDpi(value, dpi_); }
    // The control that takes the focus first.
    HWND FirstTabStop() const;
    void Show(int showCmd = SW_SHOW) { ShowWindow(hwnd_, showCmd); }

    // Shows the form modally: other top-level windows of the thread are
    // disabled until it is closed; returns when it is hidden again.
    void ShowModal();
    void CloseModal();
    bool IsModal() const { return modal_; }

    // Raises a control's event on the form, guarded; nothing while the layout
    // is being built.
    void Dispatch(ControlState* state, Event event) override;
    // Paints an owner-painted control; false for the default drawing.
    bool PaintControl(int id, HDC dc, const RECT& rc) override;

protected:
    void CreateForm(const FormSpec& spec, const ControlSpec* rows, size_t count, HWND owner);
    // A control's event; runs guarded (failures go to the failure display).
    virtual void OnEvent(int id, Event event);
    // Messages of the window itself; the default handles control colours,
    // commands from the controls and closing.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    // After the window moved to a display of another scale and the runtime
    // rebuilt the layout, fonts and pictures: forms rebuild what they made
    // themselves.
    virtual void DpiChanged() {}

private:
    friend struct ControlState;
    friend LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK NameBoxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    ControlState* StateOf(int id) const;
    ControlState* StateOf(HWND hwnd) const;
    void CreateControl(const ControlSpec& row);
    void ArrangeZOrder(HWND parent);
    LRESULT OnCtlColor(UINT msg, HDC dc, HWND child);
    // The tooltip of edits whose text does not fit.
    void AddClipTool(HWND edit);
    bool OnClipTipNeedsText(NMHDR* hdr);

    // Display-scale parts of the runtime (formscale.cpp).
    void CreateFonts();
    void LoadIcons();
    void FitClientArea();
    void PlaceControl(ControlState* s);
    SIZE CaptionSize(const ControlState* s) const;
    void LoadPictures(ControlState* s);
    void ShapeControl(ControlState* s);
    void PlaceBrowseButton(ControlState* s) override;
    void PlaceLabel(ControlState* s);
    HFONT FontOf(const ControlState* s) const;
    void OnDpiChanged(int dpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    const FormSpec* spec_ = nullptr;
    std::vector<std::unique_ptr<ControlState>> controls_;
    base::UniqueFont font_;
    base::UniqueFont boldFont_;
    base::UniqueBrush background_;
    base::UniqueBrush silver_;
    base::UniqueIcon icon_;
    base::UniqueIcon smallIcon_;
    HWND tooltip_ = nullptr;   // hints of the picture buttons
    HWND clipTip_ = nullptr;   // whole texts of clipped edits
    std::wstring clipText_;    // the text clipTip_ shows
    HWND lastFocus_ = nullptr;
    int dpi_ = kBaseDpi;
    bool building_ = false;
    bool modal_ = false;
};

// Runs `fn`, showing any failure it lets through in the program-wide failure
// display instead of letting it cross a window procedure.
template <typename Fn>
void Guarded(Fn&& fn);

}  // namespace ui

#include "ui/application.h"

template <typename Fn>
void ui::Guarded(Fn&& fn) {
    try {
        fn();
    } catch (const std::bad_alloc&) {
        Application().ShowException("Out of memory");
    } catch (const std::exception& e) {
        Application().ShowException(e.what());
    }
}

// Per-control state of the form runtime and the window procedures of the
// control kinds it draws itself.
#pragma once

#include <windows.h>

#include "base/handles.h"
#include "ui/layout.h"
#include "ui/picture.h"

namespace ui {

// Width of the browse button at the right end of the name box, at 96 dpi.
constexpr int kBrowseButtonWidth = 22;
// Wide enough for a long path or name in the tooltip of a clipped edit;
// longer texts wrap at their spaces (at 96 dpi).
constexpr int kClipTipWidth = 600;

struct ControlState;

// The form as its controls see it: the window they sit on, its scale, and
// where their events and paintings go.
class ControlHost {
public:
    virtual HWND Handle() const = 0;
    // A layout value (pixels at 96 dpi) at the window's dpi.
    virtual int Scale(int value) const = 0;
    // Raises a control's event on the form.
    virtual void Dispatch(ControlState* state, Event event) = 0;
    // Paints an owner-painted control; false for the default drawing.
    virtual bool PaintControl(int id, HDC dc, const RECT& rc) = 0;
    // Puts the name box's browse button at the box's right end.
    virtual void PlaceBrowseButton(ControlState* s) = 0;

protected:
    ~ControlHost() = default;
};

struct ControlState {
    ControlHost* form = nullptr;
    const ControlSpec* spec = nullptr;
    HWND hwnd = nullptr;
    HWND label = nullptr;    // caption label of an edit
    HWND browse = nullptr;   // browse button of the name box
    Picture picture;         // picture of a picture control
    Picture states[3];       // browse button: normal, hot, pressed
    base::UniqueIcon icon;   // icon picture's own copy
    HCURSOR cursor = nullptr;
    COLORREF color = 0;      // font colour
    int nudge = 0;           // hover nudge now applied, in pixels at 96 dpi
    bool hover = false;      // the mouse is over the control
    bool pressed = false;    // left button went down on the control
    bool browseHot = false;
    bool browsePressed = false;
};

// Window procedures of the runtime's own classes; each binds the control's
// state from its creation parameter.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK BrowseButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// What the runtime adds to the system's controls, as subclasses whose
// reference data is the control's state.
LRESULT CALLBACK NameBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
LRESULT CALLBACK LinkLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
LRESULT CALLBACK ReadOnlyCheckBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

}  // namespace ui

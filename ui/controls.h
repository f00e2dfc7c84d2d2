// Per-control state of the form runtime and the window procedures of the
// control kinds it draws itself.
#pragma once

#include <windows.h>

#include "ui/form.h"

namespace ui {

// Width of the browse button at the right end of the name box, at 96 dpi.
constexpr int kBrowseButtonWidth = 22;

struct ControlState {
    Form* form = nullptr;
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

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

}  // namespace ui

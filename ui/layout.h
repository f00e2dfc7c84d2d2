// What a window is built from: the kinds of control, one row of a stored
// layout, a form's window properties, the controls' events and a form's
// event table.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ui {

// Kinds of control a layout can hold.
enum class Kind {
    Panel,          // raised panel holding other controls
    NameBox,        // file-name edit with a browse button at its right end
    DetailField,    // single-line edit with a caption label above it
    CheckBox,       // two-state check box on silver
    IconPicture,    // shows an icon at its own size from the top-left corner
    Frame,          // lowered outline, drawn only, takes no mouse input
    PictureButton,  // PNG picture that acts as a button, with its hint
    Picture,        // PNG or bitmap picture, optionally clickable
    CaptionLabel,   // text label in the window's font
    Label,          // centred text label
    LinkLabel,      // centred text label that reacts to the mouse
    TitleLabel,     // text the form paints itself
    Decoration,     // stretched PNG that takes no mouse input
};

// One row of a stored layout. Positions are relative to the parent.
struct ControlSpec {
    int id;
    const char* name;
    Kind kind;
    int parent;          // id of the holding panel; 0 for the window itself
    int left, top, width, height;
    const char* caption; // label, check box caption, hint, or label text
    bool readOnly;
    int tabOrder;        // order among the parent's tab stops; -1 for none
    int picture;         // resource id of the picture(s); 0 for none
    bool bitmap = false; // the picture is a BITMAP resource, not a PNG
};

// Window properties of a form.
struct FormSpec {
    const char* className;
    const char* caption;
    int clientWidth, clientHeight;
    DWORD style, exStyle;
    COLORREF background;   // CLR_INVALID: the button-face colour
    const char* fontName;
    int fontHeight;        // character height in pixels (negative LOGFONT height)
    int iconResource;      // 0: none
};

enum class Event { Change, Click, MouseEnter, MouseLeave, MouseMove, Browse };

// One row of a form's event table: the handler that a control's event runs.
template <typename T>
struct EventRow {
    int id;
    Event event;
    void (T::*handler)();
};

// Runs the handler that `table` names for the control's event; false when
// the table has none.
template <typename T, size_t N>
bool DispatchEvent(T& form, const EventRow<T> (&table)[N], int id, Event event) {
    for (const EventRow<T>& row : table) {
        if (row.id == id && row.event == event) {
            (form.*row.handler)();
            return true;
        }
    }
    return false;
}

}  // namespace ui

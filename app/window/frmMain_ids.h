// The main window's control identifiers, shared by the code, the layout table
// and the tests: the detail fields' (app/details/fields.h), then the buttons,
// labels, panels and frames. Numbers group by kind: pictures 1202..,
// labels 1301.., panels 1401.., bevels 1501...
#pragma once

#include "app/details/fields.h"

namespace frmMain {

using namespace fields;

enum : int {
    image4 = image3 + 1,  // Save
    image5,               // Exit
    image6,               // About
    image7,               // Tray
    image8,               // Clear
    lbl1 = 1301,          // button captions: Save, Clear, Tray, About, Exit
    lbl2,
    lbl3,
    lbl4,
    lbl5,
    spnl1 = 1401,  // name-box panel
    spnl2,         // details panel
    sbvl1 = 1501,  // frames
    sbvl2,
    sbvl3,
};

}  // namespace frmMain

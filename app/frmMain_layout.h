// The main window's stored layout: its properties and its controls, in the
// stored order. Control identifiers are shared by the code, the tests and the
// layout table.
#pragma once

#include "ui/form.h"

enum MainControlId {
    edt1 = 1001, edt2, edt3, edt4, edt5, edt6, edt7, edt8, edt9, edt10,
    edt11, edt12, edt13, edt14, edt15, edt16, edt17, edt18, edt19,
    chk1 = 1101, chk2, chk3, chk4, chk5, chk6, chk7,
    image2 = 1202, image3, image4, image5, image6, image7, image8,
    lbl1 = 1301, lbl2, lbl3, lbl4, lbl5,
    spnl1 = 1401, spnl2,
    sbvl1 = 1501, sbvl2, sbvl3,
};

extern const ui::FormSpec kMainFormSpec;
extern const ui::ControlSpec kMainLayout[];
extern const size_t kMainLayoutCount;

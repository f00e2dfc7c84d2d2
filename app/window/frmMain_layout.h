// The main window's stored layout: its properties and its controls, in the
// stored order.
#pragma once

#include "app/window/frmMain_ids.h"
#include "ui/form.h"

extern const ui::FormSpec kMainFormSpec;
extern const ui::ControlSpec kMainLayout[];
extern const size_t kMainLayoutCount;

// Built only by the layer test, which expects it to fail: the details folder
// may not include the window's headers.
#include "app/window/frmMain_ids.h"

int UpwardProbe() { return frmMain::image4; }

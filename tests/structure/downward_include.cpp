// Built only by the layer test, the control of the upward probe: the same
// view compiles what the details folder may include.
#include "app/details/fields.h"
#include "components/hashtext.h"

int DownwardProbe() { return fields::edt1; }

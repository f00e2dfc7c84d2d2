// The program's private window messages, in one list so that no two share a
// number. All are above WM_APP, which no system control uses.
#pragma once

#include <windows.h>

namespace base {

// The notification-area icon's callback: the mouse message in lParam.
constexpr UINT kTrayIconMessage = WM_APP + 1;
// A click on Clear or Exit that came during a load, acted on after it:
// wParam holds the picture's id.
constexpr UINT kHeldClickMessage = WM_APP + 40;
// A signature check ended on its thread: wParam holds the check's number.
constexpr UINT kSignatureChecked = WM_APP + 41;

}  // namespace base

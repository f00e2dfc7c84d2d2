// The display scale of windows: which dpi a window is shown at, and the
// system's per-dpi metrics and frame sizes. The newer per-monitor functions
// are looked up at run time, so the program still starts on systems that lack
// them (Windows 7, 8); there the screen's dpi stands for every window.
#pragma once

#include <windows.h>

#include "ui/dpiscale.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace ui {

// The dpi of the screen (the system-wide dpi).
int ScreenDpi();

// The dpi a window is shown at: GetDpiForWindow where the system has it,
// else the screen's dpi.
int WindowDpi(HWND hwnd);

// A system metric (SM_CXICON, SM_CXSMICON, ...) for a dpi: GetSystemMetricsForDpi
// where present, else the metric at the screen's dpi scaled to `dpi`.
int SystemMetricForDpi(int index, int dpi);

// The window rectangle around a client rectangle for a dpi, as
// AdjustWindowRectEx does at the screen's dpi.
void AdjustWindowRectForDpi(RECT* rc, DWORD style, DWORD exStyle, int dpi);

// DrawEdge `width` times, each one pixel further in: an edge of a line
// width that follows the display scale.
void DrawEdges(HDC dc, RECT rc, UINT edge, int width);

// An icon resource of this module at the system's size `metricX` x `metricY`
// (SM_CXICON / SM_CYICON or the small pair) for `dpi`; null when missing.
HICON LoadIconForDpi(int resourceId, int metricX, int metricY, int dpi);

}  // namespace ui

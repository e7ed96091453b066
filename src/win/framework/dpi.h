// The DPI a window is laid out for, and the system's size measures at a given DPI. The per-DPI
// functions of user32 (Windows 10 1607 and later) are bound by name at run time; without them
// the answers are those of the screen the process was started on.
#pragma once

#include <windows.h>

namespace qv::win {

// GetDpiForWindow where it exists, else the screen's LOGPIXELSY; 96 if neither answers.
int DpiOfWindow(HWND window);

// GetSystemMetricsForDpi where it exists, else GetSystemMetrics (the start-up screen's DPI).
int SystemMetricForDpi(int index, int dpi);

// The frame (title bar and borders) around a client area of a window with this style at `dpi`:
// AdjustWindowRectExForDpi where it exists; else AdjustWindowRectEx at the start-up screen's DPI,
// scaled to `dpi` from there.
SIZE FrameSizeForDpi(DWORD style, DWORD exStyle, int dpi);

// The message font and other non-client metrics at `dpi`: SystemParametersInfoForDpi where it
// exists, else the start-up screen's with the font height scaled to `dpi`.
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi);

}  // namespace qv::win

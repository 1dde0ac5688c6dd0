#pragma once
// The DPI a window is drawn at, and system metrics for it, on every Windows from 7 on: the
// per-window calls exist only from Windows 10 and are looked up at run time.

#include <windows.h>

namespace corvane {

// GetDpiForWindow where the system has it, else the DPI of the given device context.
int WindowDpi(HWND window, HDC dc);

// GetSystemMetricsForDpi where the system has it, else GetSystemMetrics.
int SystemMetricForDpi(int index, int dpi);

} // namespace corvane

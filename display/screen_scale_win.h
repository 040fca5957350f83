#pragma once
// The screen's scale as Windows reports it to a DPI-aware program, and what is made for a scale:
// the tooltips' font and a window's frame.

#include <windows.h>

#include "app/win_handles.h"

// Dots per inch of the system (the primary monitor at start-up). A window's own scale is
// WindowDpi (display/monitor_area_win.h).
int SystemDpi();
// The whole area of the monitor holding most of `r` (the nearest one where none does), as Windows
// reports it; programs ask through MonitorAreaHolding (display/monitor_area_win.h).
bool SystemMonitorArea(const RECT& r, RECT* area);

// The tooltips' font at the bar's scale, when that differs from the system's (whose font the
// tooltips take on their own).
void ApplyTooltipFont(HWND tooltip);
// Hands over the tooltips' font, so that the next ApplyTooltipFont makes one for the bar's scale
// now; the caller keeps it alive until both tooltips have taken the new one.
UniqueFont ReleaseTooltipFont();

// The outer rectangle of a client area, at a window's scale: AdjustWindowRectExForDpi where
// user32 has it (Windows 10 1607 and later), AdjustWindowRectEx elsewhere.
void AdjustFrameForDpi(RECT* frame, DWORD style, DWORD exStyle, int dpi);

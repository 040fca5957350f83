#pragma once
// The screen's scale as Windows reports it to a DPI-aware program, and the bar's answer when it
// moves to a monitor of another scale.

#include <windows.h>

// Dots per inch of the system (the primary monitor at start-up) and of the monitor a window is
// on: GetDpiForWindow where Windows has it (10 and later), the system's figure elsewhere.
int SystemDpi();
int WindowDpi(HWND window);

// For the bar's procedure: WM_DPICHANGED draws the images and lays the bar out anew for the new
// scale and moves it where Windows suggests. True when handled.
bool HandleDpiMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);

// The tooltips' font at the bar's scale, when that differs from the system's (whose font the
// tooltips take on their own).
void ApplyTooltipFont(HWND tooltip);

#pragma once
// The screen's scale as Windows reports it to a DPI-aware program, and what is made for a scale:
// the tooltips' font and a window's frame.

#include <windows.h>

#include "app/win_handles.h"

// Dots per inch of the system (the primary monitor at start-up) and of the monitor a window is
// on: GetDpiForWindow where Windows has it (10 and later), the system's figure elsewhere.
int SystemDpi();
int WindowDpi(HWND window);

// The tooltips' font at the bar's scale, when that differs from the system's (whose font the
// tooltips take on their own).
void ApplyTooltipFont(HWND tooltip);
// Hands over the tooltips' font, so that the next ApplyTooltipFont makes one for the bar's scale
// now; the caller keeps it alive until both tooltips have taken the new one.
UniqueFont ReleaseTooltipFont();

// The outer rectangle of a client area, at a window's scale: AdjustWindowRectExForDpi where
// user32 has it (Windows 10 1607 and later), AdjustWindowRectEx elsewhere.
void AdjustFrameForDpi(RECT* frame, DWORD style, DWORD exStyle, int dpi);

#pragma once
// A change of the bar's scale, run like a menu command: monitoring stops, fonts and images are made
// for the new scale, the bar is laid out and goes where Windows suggests, monitoring starts again.

#include <windows.h>

// For the bar's procedure: WM_DPICHANGED. True when handled.
bool HandleDpiMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
// Runs a change of scale that came while it could not run (inside a layout, inside another change,
// in tray mode). The event layer calls it before every wait; tray mode when the bar comes back.
void RunPendingScaleChange();

#pragma once
// A change of the bar's scale, run like a menu command: monitoring stops, fonts and images are made
// for the new scale, the bar is laid out and goes where Windows suggests, monitoring starts again.

#include <windows.h>

// For the bar's procedure: WM_GETDPISCALEDSIZE (the bar's exact size at a scale, so that what
// Windows suggests already has it) and WM_DPICHANGED. True when handled, with the answer.
bool HandleDpiMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// Runs a change of scale that came while it could not run (inside a layout, inside another change,
// in tray mode). The event layer calls it before every wait; tray mode when the bar comes back.
void RunPendingScaleChange();
// Tray mode, as the bar comes back: Windows may have sent no message while it was hidden, so the
// scale it holds the bar at now is asked and taken where it differs.
void TakeWindowScale();

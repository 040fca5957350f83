#pragma once
// Start-up and the orderly end on user32 and kernel32.

#include <windows.h>

// The hidden bar window (window 0), without controls.
HWND CreateBarWindow(HINSTANCE instance);
// The 24 LED controls of AppState.WindowHandle, each showing its slot's idle image (image n).
void CreateLedControls(HINSTANCE instance);
// Start-up from the bar window on: the window, the menu, image 200, the 96 images, then the
// controls, and the bar laid out and shown.
void BuildBar(HINSTANCE instance);
// What start-up leaves until the bar has been painted: the tooltips (and comctl32 with them).
void FinishStartAfterFirstPaint();
// Closes window 0: the bar disappears.
void CloseBarWindow();
// Timers first (no tick after this), then the mutex, the notification icon, the windows, and only
// then the fonts and images they used, and the menu.
void ReleaseProgramResources();
// Releases everything and exits with code 0; never returns.
[[noreturn]] void EndProgram();

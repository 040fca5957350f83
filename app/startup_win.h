#pragma once
// Start-up and the orderly end on user32 and kernel32.

#include <windows.h>

// The hidden bar window (window 0) with its 24 LED controls.
HWND CreateBarWindow(HINSTANCE instance);
// Closes window 0: the bar disappears.
void CloseBarWindow();
// Timers first (no tick after this), then the mutex, the notification icon, images, windows and
// fonts; exits with code 0 and never returns.
[[noreturn]] void EndProgram();

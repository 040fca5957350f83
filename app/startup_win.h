#pragma once
// Start-up as far as the program has it, and the orderly end.

#include <windows.h>

// Creates the hidden bar window and its 24 LED controls.
HWND CreateBarWindow(HINSTANCE instance);
// Timers first (no tick after this), then images, fonts and windows; never returns.
[[noreturn]] void EndProgram();
